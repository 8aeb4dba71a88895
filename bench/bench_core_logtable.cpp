// Memory per row of the reading log (dated and judged rows) and the cost of appending a row to
// a short and to a very long log.
#include "core/LogTable.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

// Texts as a meter streams them: times of a day, four-digit values with a decimal point or
// the overload form, a handful of units.
class LiveTexts {
public:
    LiveTexts()
    {
        std::mt19937 random(7);
        char buffer[16];
        for (int s = 0; s < 86400; ++s) {
            std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
            m_times.emplace_back(buffer);
        }
        for (int i = 0; i < 4096; ++i) {
            const int count = static_cast<int>(random() % 4000);
            const int point = static_cast<int>(random() % 4);
            std::string value = std::to_string(count);
            value.insert(0, 4 - value.size(), '0');
            value.insert(static_cast<std::size_t>(point), ".");
            if (random() % 3 == 0)
                value.insert(0, "-");
            m_values.push_back(i % 500 == 0 ? ",0L" : value);
        }
    }

    vireo::LogRow row(std::size_t i) const
    {
        static constexpr const char *units[] = {"V", "mV", "k*", "*", "#", "&*", "uA"};
        // One reading per frame, about 174 a second: the time moves every 174 rows. Every row
        // is dated and judged, as a live row is.
        const std::string &value = m_values[i % m_values.size()];
        return {static_cast<std::int32_t>(i + 1),
                m_times[(i / 174) % m_times.size()],
                (i / 5000) % 2 ? "AC" : "DC",
                value,
                units[(i / 20000) % 7],
                (i / 3000) % 2 ? "MANU" : "AUTO",
                vireo::LogStamp{1'796'834'523'125 + static_cast<std::int64_t>(i) * 1000 / 174, 60},
                value == ",0L" ? vireo::Verdict::Fail : vireo::Verdict::Pass};
    }

private:
    std::vector<std::string> m_times;
    std::vector<std::string> m_values;
};

const LiveTexts &liveTexts()
{
    static const LiveTexts texts;
    return texts;
}

void fill(vireo::LogTable &table, std::size_t rows)
{
    const LiveTexts &texts = liveTexts();
    for (std::size_t i = table.rowCount(); i < rows; ++i)
        table.append(texts.row(i));
}

void BM_BytesPerRow(benchmark::State &state)
{
    const auto rows = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        vireo::LogTable table;
        fill(table, rows);
        state.counters["bytes_per_row"] =
            static_cast<double>(table.memoryBytes()) / static_cast<double>(rows);
        benchmark::DoNotOptimize(table.rowCount());
    }
}
BENCHMARK(BM_BytesPerRow)
    ->Arg(1'000'000)
    ->Arg(10'000'000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// Each iteration appends a batch of rows to a table of the given size; the short table is
// brought back to its size between batches, outside the timing. The short table thereby reuses
// pages it has touched before while the long one grows into fresh ones, so the gap between
// the two is the first touch of memory (a page fault per 170 rows), not work per row.
void BM_AppendRow(benchmark::State &state)
{
    constexpr std::size_t batch = 1000;
    const auto base = static_cast<std::size_t>(state.range(0));
    const LiveTexts &texts = liveTexts();
    vireo::LogTable table;
    fill(table, base);
    std::size_t next = base;
    for (auto _ : state) {
        for (std::size_t i = 0; i < batch; ++i)
            table.append(texts.row(next++));
        if (base < 100'000) {
            state.PauseTiming();
            table.clear();
            fill(table, base);
            next = base;
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * batch));
    state.counters["ns_per_append"] =
        benchmark::Counter(static_cast<double>(state.iterations() * batch),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_AppendRow)->Arg(1'000)->Arg(10'000'000)->Iterations(3000);

} // namespace

BENCHMARK_MAIN();
