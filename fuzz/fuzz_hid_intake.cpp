// Feeds arbitrary USB input reports to the report intake and its burst finishers. The input
// is cut into reports at every byte 0xFF; the first byte of each report is its ID.
#include "core/HidIntake.h"

#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    vireo::HidIntake intake;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= size; ++i) {
        if (i < size && data[i] != 0xFF)
            continue;
        if (i > start) {
            const std::span<const std::uint8_t> report(data + start + 1, i - start - 1);
            const vireo::HidReportOutcome out = intake.take(data[start], report);
            if (out.finishedBurst) {
                const vireo::HeronBurstFrame frame = vireo::finishHeronBurst(*out.finishedBurst);
                if (frame.FrameText.size() > 11)
                    std::abort();
                if (vireo::finishWrenBurst(*out.finishedBurst).size() > 14)
                    std::abort();
            }
            if (intake.HidHexText.size() > 2 * vireo::HidIntake::MaxBurstBytes)
                std::abort();
        }
        start = i + 1;
    }
    return 0;
}
