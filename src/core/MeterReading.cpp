#include "core/MeterReading.h"

// GCC 12 at -O3 reports a false overlap (-Wrestrict) in the short literal assignments to the
// unit text below (GCC bug 105329); the copies are of string literals into a std::string.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wrestrict"
#endif

namespace vireo {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0;
}

bool isDecimal(char c)
{
    return c >= '0' && c <= '9';
}

// One row of a function table: unit text, lit point (0 none), prefix, axis (0..0: unchanged).
struct Row {
    const char *unit;
    int point;
    char prefix; // 'k', 'M', 'm', 'u', 'n' or 0
    int axis;    // symmetric axis half-range; 0 leaves the axis alone
};

constexpr Row kVoltage[8] = {{"V", 1, 0, 6},    {"V", 2, 0, 60},     {"V", 3, 0, 600},
                             {"V", 0, 0, 6000}, {"mV", 3, 'm', 600}, {"V", 0, 0, 0},
                             {"V", 0, 0, 0},    {"V", 0, 0, 0}};
constexpr Row kMicroAmp[8] = {{"uA", 3, 'u', 600}, {"uA", 0, 'u', 6000}, {"uA", 0, 'u', 0},
                              {"uA", 0, 'u', 0},   {"uA", 0, 'u', 0},    {"uA", 0, 'u', 0},
                              {"uA", 0, 'u', 0},   {"uA", 0, 'u', 0}};
constexpr Row kMilliAmp[8] = {{"mA", 2, 'm', 60}, {"mA", 3, 'm', 600}, {"mA", 0, 'm', 0},
                              {"mA", 0, 'm', 0},  {"mA", 0, 'm', 0},   {"mA", 0, 'm', 0},
                              {"mA", 0, 'm', 0},  {"mA", 0, 'm', 0}};
constexpr Row kResistance[8] = {{"*", 3, 0, 600},    {"k*", 1, 'k', 6}, {"k*", 2, 'k', 60},
                                {"k*", 3, 'k', 600}, {"M*", 1, 'M', 6}, {"M*", 2, 'M', 60},
                                {"*", 0, 0, 0},      {"*", 0, 0, 0}};
constexpr Row kFrequency[8] = {{"Hz", 0, 0, 0},    {"kHz", 2, 'k', 60}, {"kHz", 3, 'k', 600},
                               {"MHz", 1, 'M', 6}, {"MHz", 2, 'M', 60}, {"MHz", 3, 'M', 600},
                               {"", 0, 0, 0},      {"", 0, 0, 0}};
constexpr Row kCapacitance[8] = {{"nF", 1, 'n', 6}, {"nF", 2, 'n', 60}, {"nF", 3, 'n', 600},
                                 {"uF", 1, 'u', 6}, {"uF", 2, 'u', 60}, {"uF", 3, 'u', 600},
                                 {"mF", 1, 'm', 6}, {"mF", 2, 'm', 60}};

// Integer value of a run of decimal digits, with the display's sign.
std::int32_t integerOf(bool negative, std::string_view digits)
{
    std::int32_t v = 0;
    for (char c : digits)
        v = v * 10 + (c - '0');
    return negative ? -v : v;
}

} // namespace

bool readFrame(std::string_view frameText, const DecoderQuirks &q, std::string_view decimalSep,
               const CountClass &counts, MeterReading &r)
{
    if (frameText.size() < 11)
        return false;

    const char rangeChar = frameText[1];
    const int func = hexValue(frameText[6]);
    const int status = hexValue(frameText[7]);
    const int opt1 = hexValue(frameText[8]);
    const int opt2 = hexValue(frameText[9]);
    const bool overload = (status & 1) != 0;

    // Functions whose table depends on the range need a decimal range nibble, and a
    // reading needs decimal digits; a frame with A-F there cannot be read.
    const bool rangeMatters = func == 0xB || func == 0xD || func == 0x3 || func == 0x2 ||
                              func == 0x6 || (func == 0xF && !q.swappedCurrentFunctions) ||
                              (func == 0x9 && q.swappedCurrentFunctions);
    if (rangeMatters && !isDecimal(rangeChar))
        return false;
    // On overload only the 0L form is shown, so the digits are not read as a number.
    if (!overload) {
        for (std::size_t pos = 2; pos <= 5; ++pos) {
            if (!isDecimal(frameText[pos]))
                return false;
        }
    }

    r.function = static_cast<std::uint8_t>(func);
    r.range = static_cast<std::uint8_t>(isDecimal(rangeChar) ? rangeChar - '0' : 0);
    r.digits = {frameText[2], frameText[3], frameText[4], frameText[5]};
    r.overload = overload;
    r.negative = (status & 4) != 0;
    r.battery = (status & 2) != 0;
    r.celsius = (status & 8) != 0;
    r.hold = (opt1 & 8) != 0;
    r.max = (opt1 & 4) != 0;
    r.min = (opt1 & 2) != 0;
    r.ac = (opt2 & 4) != 0;
    r.dc = (opt2 & 8) != 0;
    r.autoRange = (opt2 & 2) != 0;
    r.rs232 = (opt2 & 1) == 0;
    r.FuncText = r.dc ? "DC" : r.ac ? "AC" : "";
    r.RangeText = r.autoRange ? "AUTO" : "MANU";

    // Ranges past a table's end take its last row, the table's catch-all.
    const int range = r.range;
    const int rangeRow = range < 7 ? range : 7;
    auto setAxis = [&r](int halfRange) {
        if (halfRange != 0)
            r.axis = AxisRange{-static_cast<double>(halfRange), static_cast<double>(halfRange)};
    };
    auto apply = [&](const Row &row) {
        r.UnitText = row.unit;
        r.point = row.point;
        r.prefix = row.prefix;
        setAxis(row.axis);
    };

    switch (func) {
    case 0xB:
        apply(kVoltage[rangeRow]);
        if (q.offsetVoltageAxis && range == 2)
            r.axis = AxisRange{-600, 400};
        break;
    case 0xD:
        apply(kMicroAmp[rangeRow]);
        break;
    case 0xF:
        if (q.swappedCurrentFunctions) {
            r.UnitText = "A";
            r.point = 2;
        } else {
            apply(kMilliAmp[rangeRow]);
        }
        break;
    case 0x9:
        if (q.swappedCurrentFunctions) {
            r.UnitText = "mA";
            r.prefix = 'm';
            if (range == 0) {
                r.point = 2;
                setAxis(10);
            } else if (range == 1) {
                r.point = 3;
                setAxis(100);
            }
        } else {
            r.UnitText = "A";
            r.point = 2;
            setAxis(10);
        }
        break;
    case 0x3:
        apply(kResistance[rangeRow]);
        break;
    case 0x2:
        if (range == 0) {
            const bool narrow =
                q.narrowFrequencyAxis && (!r.celsius || q.frequencyAxisIgnoresCelsiusBit);
            setAxis(narrow ? 6 : 6000);
        }
        apply(kFrequency[rangeRow]);
        break;
    case 0x4:
        r.UnitText = r.celsius ? "#" : "?";
        r.axis = r.celsius ? AxisRange{-40, 1000} : AxisRange{-40, 1832};
        break;
    case 0x5:
        r.UnitText = q.continuityInOhm ? "&*" : "&";
        setAxis(6000);
        break;
    case 0x1:
        r.point = 1;
        r.UnitText = ")";
        setAxis(6);
        break;
    case 0x6:
        apply(kCapacitance[rangeRow]);
        break;
    case 0xE:
        setAxis(6000);
        break;
    default:
        break;
    }

    if (q.threeDigitDiodeAndContinuity && func == 0x1) {
        r.fourthDigit = false;
        r.UnitText += "V";
    }
    if (q.threeDigitDiodeAndContinuity && func == 0x5) {
        r.fourthDigit = false;
        if (r.point == 3)
            r.point = 0;
        r.UnitText += "*";
    }

    std::string_view sep[4] = {"", "", "", ""};
    sep[r.point] = decimalSep;
    std::string &value = r.ValueText;
    value.reserve(8 + decimalSep.size());
    if (r.negative)
        value.push_back('-');
    const auto [d1, d2, d3, d4] = r.digits;
    if (overload) {
        value.append(sep[1]).append("0").append(sep[2]).append("L").append(sep[3]);
    } else {
        value.append(1, d1).append(sep[1]).append(1, d2).append(sep[2]).append(1, d3);
        value.append(sep[3]);
        if (r.fourthDigit)
            value.append(1, d4);
    }

    const auto full = static_cast<float>(counts.FullScaleCount + 1);
    if (overload) {
        r.ReadingCount = r.negative ? -full : full;
        r.needle = r.negative ? 0 : counts.ScaleSpan * 10;
    } else {
        r.ReadingCount = static_cast<float>(
            integerOf(r.negative, std::string_view(r.digits.data(), r.fourthDigit ? 4 : 3)));
        r.needle = integerOf(r.negative, std::string_view(r.digits.data(), 3)) + counts.ScaleCenter;
    }
    r.overloadEdge = r.negative ? AxisEdge::Bottom : AxisEdge::Top;
    return true;
}

} // namespace vireo
