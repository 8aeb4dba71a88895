#pragma once

#include "core/DecoderQuirks.h"
#include "core/LcdPresenter.h"
#include "core/MaxMinTracker.h"
#include "core/MeterReading.h"
#include "core/ModelTable.h"

#include <string_view>

namespace vireo {

// Everything one frame changes. The window applies it in this order: link indicator,
// panel members and digits, chart axis, max/min labels, needle, log, bar graph.
struct DecodedFrame {
    // False when a range or digit nibble holds A-F: nothing of the frame may reach the
    // panel or the log then; only the link indicator and the trace take note of it.
    bool decoded = false;
    LcdPresentation lcd;
    MaxMinReadout maxMin;
    MeterReading reading;
};

// The three steps of one frame: read it, take it into the max/min, present it on the LCD.
DecodedFrame LcdDecode(std::string_view frameText, const DecoderQuirks &quirks,
                       std::string_view decimalSep, const CountClass &counts,
                       MaxMinTracker &tracker);

} // namespace vireo
