// Frames decoded per second on one core, over a mix of functions and ranges.
#include "core/LcdDecoder.h"

#include <benchmark/benchmark.h>

#include <array>
#include <string>

namespace {

void BM_DecodeFrame(benchmark::State &state)
{
    const std::array<std::string, 8> frames = {"A01234B00AD", "A41234B40AD", "A11234310AD",
                                               "A20567F00AD", "A30999200AD", "A00250480AD",
                                               "A51234600CD", "A00012E00AD"};
    const vireo::DecoderQuirks quirks =
        vireo::applyModelSwitches(vireo::ModelSwitches::shipped()).quirks;
    const vireo::CountClass counts = vireo::countClassFor("4");
    vireo::MaxMinTracker tracker = vireo::MaxMinTracker::forCounts(counts);
    std::size_t i = 0;
    for (auto _ : state) {
        vireo::DecodedFrame f = vireo::LcdDecode(frames[i++ & 7], quirks, ".", counts, tracker);
        benchmark::DoNotOptimize(f);
    }
    state.counters["frames_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeFrame);

} // namespace

BENCHMARK_MAIN();
