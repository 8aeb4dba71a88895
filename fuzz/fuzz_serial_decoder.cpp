// Feeds arbitrary serial bytes through the 11-byte collector into the decoder, as a meter on
// a noisy line would. Nothing may crash, and every decoded reading must stay self-consistent.
#include "core/FrameCollector.h"
#include "core/LcdDecoder.h"

#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    // The first byte picks the model switches, so every decoding variant is explored.
    vireo::ModelSwitches sw;
    sw.IFOsprey = (data[0] & 1) != 0;
    sw.IFPlover = (data[0] & 2) != 0;
    sw.IFHeron = (data[0] & 4) != 0;
    sw.IFFinch = (data[0] & 8) != 0;
    const vireo::CountClass counts = vireo::countClassFor((data[0] & 0x30) == 0x10   ? "6"
                                                          : (data[0] & 0x30) == 0x20 ? "34"
                                                                                     : "4");
    const vireo::DecoderQuirks quirks = vireo::applyModelSwitches(sw).quirks;
    vireo::MaxMinTracker tracker = vireo::MaxMinTracker::forCounts(counts);
    vireo::FrameCollector frames;
    vireo::collectHeron(frames, std::span(data + 1, size - 1), [&] {
        const vireo::DecodedFrame f =
            vireo::LcdDecode(frames.FrameText, quirks, ".", counts, tracker);
        if (!f.decoded)
            return;
        const vireo::MeterReading &r = f.reading;
        const bool overload = r.ValueText.find('L') != std::string::npos;
        if (overload != r.overload)
            std::abort();
        const float limit = static_cast<float>(counts.FullScaleCount + 1);
        if (overload && r.ReadingCount != limit && r.ReadingCount != -limit)
            std::abort();
        if (!overload && (r.ReadingCount > 9999 || r.ReadingCount < -9999))
            std::abort();
        if (f.lcd.bar < 1 || f.lcd.bar > 99)
            std::abort();
    });
    if (frames.RxNibbles.size() > vireo::FrameCollector::RxNibblesLimit)
        std::abort();
    return 0;
}
