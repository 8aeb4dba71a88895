#pragma once

#include "core/ModelTable.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vireo {

// Members of the LCD panel, in drawing order (a later member is drawn over an earlier one).
enum class LcdMember : std::uint8_t {
    LCDM1,
    LcdDa,
    LcdAuto,
    Lcdm,
    LCDRS,
    LcdDb,
    LcdDc,
    LcdDd,
    LcdP3,
    LcdP2,
    LcdP1,
    LcdFH,
    LcdAC,
    LCD232C,
    LcdV,
    LCDk,
    LCDn,
    LCDBF,
    LCDA,
    LCDHz,
    LCDF,
    LCDHold,
    LCDRec,
    LCDBATT,
    LCDBT,
    LCDCS,
    LCDFS,
    LCDDI,
    LCDohm,
    LCDFm,
    LCDu,
    LcdDc1,
    LcdRPM,
    LCDTRMST,
    LCDTRMS,
    LcdACDC,
    lcdManual,
    lcdhFE,
    lcdMax,
    lcdMin,
};
inline constexpr std::size_t kLcdMemberCount = 40;
using LcdVisibility = std::bitset<kLcdMemberCount>;

constexpr std::size_t index(LcdMember m)
{
    return static_cast<std::size_t>(m);
}

// Running maximum and minimum of the readings; restarts when the unit or the decimal
// point position changes, so that a range or function change starts a new max/min.
struct MaxMinTracker {
    float MaxCount = 0;
    float MinCount = 0;
    std::string MaxValueText;
    std::string MinValueText;
    std::string PrevUnitText = "113"; // no frame produces this, so the first frame restarts
    int PrevPointPos = 0;

    static MaxMinTracker forCounts(const CountClass &counts);
};

struct AxisRange {
    double min = 0;
    double max = 0;
    bool operator==(const AxisRange &) const = default;
};

// The end of the chart's vertical axis where a reading whose value is no number (the overload
// form) is plotted.
enum class AxisEdge : std::uint8_t { Top, Bottom };

// Everything one frame changes. The window applies it in this order: link indicator,
// panel members and digits, chart axis, max/min labels, needle, log, bar graph.
struct DecodedFrame {
    // False when a range or digit nibble holds A-F: nothing of the frame may reach the
    // panel or the log then; only the link indicator and the trace take note of it.
    bool decoded = false;
    LcdVisibility visible;
    std::array<std::string, 4> digits; // captions of LcdDa..LcdDd
    std::string ValueText;
    std::string UnitText;
    std::string FuncText;
    std::string RangeText;
    float ReadingCount = 0;
    // A negative overload is plotted at the bottom of the axis, any other at the top.
    AxisEdge overloadEdge = AxisEdge::Top;
    std::optional<AxisRange> axis; // vertical chart range requested by this frame
    std::int32_t needle = 0;       // analog-scale position for KDrun
    std::int32_t bar = 0;          // PBar2 position
    std::string MaxText;
    std::string MinText;
    std::string MaxTextU;
    std::string MinTextU;
};

// Decodes one framed display text ("A", nine digits, "D"; the caller has checked the
// framing). `decimalSep` is written wherever the meter lights a decimal point.
DecodedFrame LcdDecode(std::string_view frameText, const ModelSwitches &switches,
                       std::string_view decimalSep, const CountClass &counts,
                       MaxMinTracker &tracker);

} // namespace vireo
