// The cost of adding a chart point to a short and to a very long trend.
#include "core/ChartPager.h"

#include <benchmark/benchmark.h>

namespace {

// Each iteration adds a batch of points to a pager holding the given number of points; the
// short one is brought back to its size between batches, outside the timing. The short one
// thereby reuses pages it has touched before while the long one grows into fresh ones (a page
// fault per 512 points), which is all that separates the two.
void BM_AddValue(benchmark::State &state)
{
    constexpr int batch = 1000;
    const auto base = static_cast<int>(state.range(0));
    vireo::ChartPager pager(100);
    for (int i = 1; i < base; ++i)
        pager.AddValue(i % 4000);
    for (auto _ : state) {
        for (int i = 0; i < batch; ++i)
            benchmark::DoNotOptimize(pager.AddValue(i));
        if (base < 100'000) {
            state.PauseTiming();
            pager.ClearPoints();
            for (int i = 1; i < base; ++i)
                pager.AddValue(i);
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations() * batch);
    state.counters["ns_per_add"] =
        benchmark::Counter(static_cast<double>(state.iterations() * batch),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_AddValue)->Arg(10)->Arg(10'000'000)->Iterations(5000);

} // namespace

BENCHMARK_MAIN();
