// Saving and loading a log of one million live rows, as tab-separated text, as XML and as CSV
// with dates.
#include "core/LogFileCsv.h"
#include "core/LogFileText.h"
#include "core/LogFileXml.h"
#include "core/LogTable.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <span>
#include <string>

namespace {

constexpr std::size_t Rows = 1'000'000;

const vireo::LogTable &liveLog()
{
    static const vireo::LogTable table = [] {
        vireo::LogTable t;
        static constexpr const char *units[] = {"V", "mV", "k*", "&*", "#"};
        char time[16];
        char value[16];
        for (std::size_t i = 0; i < Rows; ++i) {
            const std::size_t s = i / 174;
            std::snprintf(time, sizeof time, "%02zu:%02zu:%02zu", s / 3600 % 24, s / 60 % 60,
                          s % 60);
            const std::size_t count = (i * 7919) % 4000;
            std::snprintf(value, sizeof value, "%s%zu,%03zu", i % 3 ? "" : "-", count / 1000,
                          count % 1000);
            t.append({static_cast<std::int32_t>(i + 1), time, i % 2 ? "AC" : "DC",
                      i % 997 ? value : ",0L", units[i / 10000 % 5], "AUTO",
                      vireo::LogStamp{1'796'834'523'125 + static_cast<std::int64_t>(i) * 6, 60},
                      i % 997 ? vireo::Verdict::Pass : vireo::Verdict::Fail});
        }
        return t;
    }();
    return table;
}

std::span<const std::uint8_t> bytesOf(const std::string &text)
{
    return {reinterpret_cast<const std::uint8_t *>(text.data()), text.size()};
}

template <std::string (*Save)(const vireo::LogTable &)> void BM_Save(benchmark::State &state)
{
    const vireo::LogTable &table = liveLog();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string out = Save(table);
        bytes = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

template <std::string (*Save)(const vireo::LogTable &),
          bool (*Load)(std::span<const std::uint8_t>, vireo::LogTable &)>
void BM_Load(benchmark::State &state)
{
    const std::string file = Save(liveLog());
    for (auto _ : state) {
        state.PauseTiming();
        vireo::LogTable table;
        state.ResumeTiming();
        if (!Load(bytesOf(file), table) || table.rowCount() != Rows)
            state.SkipWithError("load failed");
        state.PauseTiming();
        table.clear();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}

std::string saveCsv(const vireo::LogTable &table)
{
    return vireo::saveLogCsv(table, ",");
}

bool loadCsv(std::span<const std::uint8_t> bytes, vireo::LogTable &table)
{
    return vireo::loadLogCsv(bytes, table).complete;
}

BENCHMARK(BM_Save<vireo::saveLogText>)->Name("SaveText")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load<vireo::saveLogText, vireo::loadLogText>)
    ->Name("LoadText")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save<vireo::saveLogXml>)->Name("SaveXml")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load<vireo::saveLogXml, vireo::loadLogXml>)
    ->Name("LoadXml")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save<saveCsv>)->Name("SaveCsv")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load<saveCsv, loadCsv>)->Name("LoadCsv")->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
