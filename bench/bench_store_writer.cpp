// What a logged row costs the thread that logs it, now that it also goes to the recovery file:
// the stamp, the row made into CSV, and the bytes handed to the file's writer. The writer's own
// writes and syncs run on its thread and are not counted; it writes to /dev/null without a pause
// here, so that its buffer stays as small as at a meter's pace while rows come a million times
// faster.
#include "core/LogFileCsv.h"
#include "store/DurableFile.h"
#include "store/StampSource.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void setNsPerRow(benchmark::State &state)
{
    state.counters["ns_per_row"] =
        benchmark::Counter(static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_StampRow(benchmark::State &state)
{
    vireo::StampSource stamps;
    for (auto _ : state)
        benchmark::DoNotOptimize(stamps.now(":"));
    setNsPerRow(state);
}
BENCHMARK(BM_StampRow);

void BM_LogRowToRecoveryWriter(benchmark::State &state)
{
    vireo::DurableFile file({.path = "/dev/null",
                             .start = vireo::DurableFile::Start::Append,
                             .pause = std::chrono::milliseconds(0)});
    vireo::StampSource stamps;
    std::string line;
    std::int32_t no = 1;
    for (auto _ : state) {
        const vireo::RowStamp stamp = stamps.now(":");
        line.clear();
        vireo::appendLogCsvRow(
            {no++, stamp.time, "DC", "-1,234", "k*", "AUTO", stamp.dateTime, vireo::Verdict::Pass},
            ",", line);
        file.append(line);
    }
    setNsPerRow(state);
}
BENCHMARK(BM_LogRowToRecoveryWriter);

} // namespace

BENCHMARK_MAIN();
