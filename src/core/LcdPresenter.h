#pragma once

#include "core/DecoderQuirks.h"
#include "core/MeterReading.h"
#include "core/ModelTable.h"

#include <array>
#include <bitset>
#include <cstdint>

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

// How the LCD panel shows one reading: which members are lit, the captions of the four digit
// members, and the bar graph. Every member not listed keeps its fixed caption, so two equal
// presentations draw the same panel.
struct LcdPresentation {
    LcdVisibility visible;
    // Captions of LcdDa..LcdDd, one character each; 0 leaves the member without one.
    std::array<char, 4> digits{};
    std::int32_t bar = 0; // PBar2 position

    bool operator==(const LcdPresentation &) const = default;
};

LcdPresentation presentReading(const MeterReading &reading, const DecoderQuirks &quirks,
                               const CountClass &counts);

} // namespace vireo
