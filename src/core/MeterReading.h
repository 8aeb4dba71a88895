#pragma once

#include "core/DecoderQuirks.h"
#include "core/ModelTable.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vireo {

struct AxisRange {
    double min = 0;
    double max = 0;
    bool operator==(const AxisRange &) const = default;
};

// The end of the chart's vertical axis where a reading whose value is no number (the overload
// form) is plotted.
enum class AxisEdge : std::uint8_t { Top, Bottom };

// What one display frame says, read once: the fields of the frame and the reading the rest
// of the program shares.
struct MeterReading {
    std::uint8_t function = 0;
    // The range nibble when it is a decimal digit, else 0.
    std::uint8_t range = 0;
    // The frame's digit characters, as sent; an overload leaves them unread.
    std::array<char, 4> digits{};
    // The models that read diode and continuity with three digits drop the fourth.
    bool fourthDigit = true;
    // Which decimal point is lit: 1 to 3 from the left, 0 for none.
    int point = 0;
    // The prefix annunciator: 'k', 'M', 'm', 'u', 'n' or 0.
    char prefix = 0;

    bool negative = false;
    bool overload = false;
    bool battery = false;
    bool celsius = false;
    bool hold = false;
    bool max = false;
    bool min = false;
    bool ac = false;
    bool dc = false;
    bool autoRange = false;
    // The meter says that its serial output is on.
    bool rs232 = false;

    std::string ValueText;
    std::string UnitText;
    std::string FuncText;
    std::string RangeText;
    float ReadingCount = 0;
    // A negative overload is plotted at the bottom of the axis, any other at the top.
    AxisEdge overloadEdge = AxisEdge::Top;
    std::optional<AxisRange> axis; // vertical chart range requested by this frame
    std::int32_t needle = 0;       // analog-scale position for KDrun
};

// Reads one framed display text ("A", nine digits, "D"; the caller has checked the framing)
// into `reading`, which must be fresh. False, and `reading` left as it was, when a range or
// digit nibble that matters holds A-F: such a frame cannot be read. `decimalSep` is written
// wherever the meter lights a decimal point.
bool readFrame(std::string_view frameText, const DecoderQuirks &quirks, std::string_view decimalSep,
               const CountClass &counts, MeterReading &reading);

} // namespace vireo
