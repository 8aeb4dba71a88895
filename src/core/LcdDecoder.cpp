#include "core/LcdDecoder.h"

namespace vireo {

DecodedFrame LcdDecode(std::string_view frameText, const DecoderQuirks &quirks,
                       std::string_view decimalSep, const CountClass &counts,
                       MaxMinTracker &tracker)
{
    // The steps write into one frame in place: a frame costs no copies of its texts.
    DecodedFrame out;
    out.decoded = readFrame(frameText, quirks, decimalSep, counts, out.reading);
    if (out.decoded) {
        out.maxMin = tracker.take(out.reading, counts);
        out.lcd = presentReading(out.reading, quirks, counts);
    }
    return out;
}

} // namespace vireo
