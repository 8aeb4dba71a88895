#include "core/LcdDecoder.h"

namespace vireo {

MaxMinTracker MaxMinTracker::forCounts(const CountClass &counts)
{
    MaxMinTracker t;
    t.MaxCount = counts.MaxCount;
    t.MinCount = counts.MinCount;
    return t;
}

namespace {

using M = LcdMember;

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

// Flags of one frame: which decimal point is lit and which prefix labels show.
struct Flags {
    bool P1 = false, P2 = false, P3 = false;
    bool k = false, M = false, m = false, u = false, n = false, A = false;

    void clearPointsAndPrefixes() { *this = Flags{}; }
    void point(int which)
    {
        P1 = which == 1;
        P2 = which == 2;
        P3 = which == 3;
    }
};

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
constexpr Row kMicroAmp[8] = {{"uA", 3, 0, 600}, {"uA", 0, 0, 6000}, {"uA", 0, 0, 0},
                              {"uA", 0, 0, 0},   {"uA", 0, 0, 0},    {"uA", 0, 0, 0},
                              {"uA", 0, 0, 0},   {"uA", 0, 0, 0}};
constexpr Row kMilliAmp[8] = {{"mA", 2, 0, 60}, {"mA", 3, 0, 600}, {"mA", 0, 0, 0},
                              {"mA", 0, 0, 0},  {"mA", 0, 0, 0},   {"mA", 0, 0, 0},
                              {"mA", 0, 0, 0},  {"mA", 0, 0, 0}};
constexpr Row kResistance[8] = {{"*", 3, 0, 600},    {"k*", 1, 'k', 6}, {"k*", 2, 'k', 60},
                                {"k*", 3, 'k', 600}, {"M*", 1, 'M', 6}, {"M*", 2, 'M', 60},
                                {"*", 0, 0, 0},      {"*", 0, 0, 0}};
constexpr Row kFrequency[8] = {{"Hz", 0, 0, 0},    {"kHz", 2, 'k', 60}, {"kHz", 3, 'k', 600},
                               {"MHz", 1, 'M', 6}, {"MHz", 2, 'M', 60}, {"MHz", 3, 'M', 600},
                               {"", 0, 0, 0},      {"", 0, 0, 0}};
constexpr Row kCapacitance[8] = {{"nF", 1, 'n', 6}, {"nF", 2, 'n', 60}, {"nF", 3, 'n', 600},
                                 {"uF", 1, 'u', 6}, {"uF", 2, 'u', 60}, {"uF", 3, 'u', 600},
                                 {"mF", 1, 'm', 6}, {"mF", 2, 'm', 60}};

void setPrefix(Flags &f, char prefix)
{
    switch (prefix) {
    case 'k':
        f.k = true;
        break;
    case 'M':
        f.M = true;
        break;
    case 'm':
        f.m = true;
        break;
    case 'u':
        f.u = true;
        break;
    case 'n':
        f.n = true;
        break;
    default:
        break;
    }
}

// Integer value of a run of decimal digits, with the display's sign.
std::int32_t integerOf(bool negative, std::string_view digits)
{
    std::int32_t v = 0;
    for (char c : digits)
        v = v * 10 + (c - '0');
    return negative ? -v : v;
}

} // namespace

DecodedFrame LcdDecode(std::string_view frameText, const ModelSwitches &sw,
                       std::string_view decimalSep, const CountClass &counts,
                       MaxMinTracker &tracker)
{
    DecodedFrame out;
    if (frameText.size() < 11)
        return out;

    const char rangeChar = frameText[1];
    const int func = hexValue(frameText[6]);
    const int status = hexValue(frameText[7]);
    const int opt1 = hexValue(frameText[8]);
    const int opt2 = hexValue(frameText[9]);
    const bool overload = (status & 1) != 0;

    // Functions whose table depends on the range need a decimal range nibble, and a
    // reading needs decimal digits; a frame with A-F there cannot be read.
    const bool rangeMatters = func == 0xB || func == 0xD || func == 0x3 || func == 0x2 ||
                              func == 0x6 || (func == 0xF && !sw.IFFinch) ||
                              (func == 0x9 && sw.IFFinch);
    if (rangeMatters && !isDecimal(rangeChar))
        return out;
    // On overload only the 0L form is shown, so the digits are not read as a number.
    if (!overload) {
        for (std::size_t pos = 2; pos <= 5; ++pos) {
            if (!isDecimal(frameText[pos]))
                return out;
        }
    }
    const int range = isDecimal(rangeChar) ? rangeChar - '0' : 0;
    // Ranges past a table's end take its last row, the table's catch-all.
    const int rangeRow = range < 7 ? range : 7;

    // A digit of '\0' is one the model drops from the display.
    char d1 = frameText[2], d2 = frameText[3], d3 = frameText[4], d4 = frameText[5];
    if (overload) {
        d2 = '0';
        d3 = '@';
    }

    LcdVisibility &v = out.visible;
    auto show = [&v](M m, bool on) { v.set(index(m), on); };

    for (M m : {M::LcdDa, M::LcdDb, M::LcdDc, M::LcdDd})
        show(m, true);

    // Sign, battery, AC/DC, range mode and the serial-link marks.
    const std::string_view sign = (status & 4) != 0 ? "-" : "";
    show(M::LcdFH, !sign.empty());
    show(M::LCDBATT, (status & 2) != 0);
    if ((opt2 & 4) != 0) {
        out.FuncText = "AC";
        if (sw.IFOsprey) {
            show(M::LcdACDC, true);
            show(M::LCDTRMST, true);
            show(M::LCDTRMS, true);
        } else {
            show(M::LcdAC, true);
        }
    }
    if ((opt2 & 8) != 0) {
        show(M::LcdDc1, true);
        out.FuncText = "DC";
    }
    const bool autoRange = (opt2 & 2) != 0;
    show(M::LcdAuto, autoRange);
    show(M::lcdManual, !autoRange);
    out.RangeText = autoRange ? "AUTO" : "MANU";
    const bool serialMarks = !sw.IFOsprey && (opt2 & 1) == 0;
    show(M::LCDRS, serialMarks);
    show(M::LCD232C, serialMarks);

    Flags f;
    auto setAxis = [&out](int halfRange) {
        if (halfRange != 0)
            out.axis = AxisRange{-static_cast<double>(halfRange), static_cast<double>(halfRange)};
    };
    auto apply = [&](const Row &row) {
        out.UnitText = row.unit;
        f.point(row.point);
        setPrefix(f, row.prefix);
        setAxis(row.axis);
    };

    switch (func) {
    case 0xB:
        show(M::LcdV, true);
        apply(kVoltage[rangeRow]);
        if (sw.IFFinch && range == 2)
            out.axis = AxisRange{-600, 400};
        break;
    case 0xD:
        f.u = f.A = true;
        apply(kMicroAmp[rangeRow]);
        break;
    case 0xF:
        if (sw.IFFinch) {
            out.UnitText = "A";
            f.point(2);
            f.A = true;
        } else {
            f.m = f.A = true;
            apply(kMilliAmp[rangeRow]);
        }
        break;
    case 0x9:
        if (sw.IFFinch) {
            out.UnitText = "mA";
            f.m = f.A = true;
            if (range == 0) {
                f.point(2);
                setAxis(10);
            } else if (range == 1) {
                f.point(3);
                setAxis(100);
            }
        } else {
            out.UnitText = "A";
            f.point(2);
            f.A = true;
            setAxis(10);
        }
        break;
    case 0x3:
        show(M::LCDohm, true);
        apply(kResistance[rangeRow]);
        break;
    case 0x2:
        // The first pass only decides the axis of the lowest range; the second pass
        // starts from clean flags and settles the rest.
        if (range == 0) {
            const bool narrow = (sw.IFPlover || sw.IFHeron) && ((status & 8) == 0 || sw.IFFinch);
            setAxis(narrow ? 6 : 6000);
        }
        f.clearPointsAndPrefixes();
        show(M::LCDHz, true);
        apply(kFrequency[rangeRow]);
        break;
    case 0x4:
        if ((status & 8) != 0) {
            show(M::LCDCS, true);
            out.UnitText = "#";
            out.axis = AxisRange{-40, 1000};
        } else {
            show(M::LCDFS, true);
            out.UnitText = "?";
            out.axis = AxisRange{-40, 1832};
        }
        break;
    case 0x5:
        show(M::LCDFm, true);
        out.UnitText = "&";
        if (sw.IFPlover) {
            show(M::LCDohm, true);
            out.UnitText = "&*";
        }
        setAxis(6000);
        break;
    case 0x1:
        show(M::LCDDI, true);
        show(M::LcdV, true);
        f.point(1);
        out.UnitText = ")";
        setAxis(6);
        break;
    case 0x6:
        show(M::LCDF, true);
        apply(kCapacitance[rangeRow]);
        break;
    case 0xE:
        show(M::lcdhFE, true);
        show(M::LCDBT, true);
        setAxis(6000);
        break;
    default:
        break;
    }

    show(M::LCDHold, (opt1 & 8) != 0);
    show(M::lcdMax, (opt1 & 4) != 0);
    show(M::lcdMin, (opt1 & 2) != 0);

    // Models with the older unit layout read diode and continuity with three digits.
    if (sw.IFFinch && func == 0x1) {
        d4 = '\0';
        out.UnitText += "V";
    }
    if (sw.IFFinch && func == 0x5) {
        d4 = '\0';
        f.P3 = false;
        out.UnitText += "*";
        show(M::LCDohm, true);
    }

    show(M::LcdP1, f.P1);
    show(M::LcdP2, f.P2);
    show(M::LcdP3, f.P3);
    show(M::LCDk, f.k);
    show(M::LCDM1, f.M);
    show(M::Lcdm, f.m);
    show(M::LCDu, f.u);
    show(M::LCDA, f.A);
    show(M::LCDn, f.n);

    const std::string_view sep1 = f.P1 ? decimalSep : "";
    const std::string_view sep2 = f.P2 ? decimalSep : "";
    const std::string_view sep3 = f.P3 ? decimalSep : "";
    std::string &value = out.ValueText;
    value.reserve(8 + 3 * decimalSep.size());
    value.append(sign);
    if (overload) {
        value.append(sep1).append("0").append(sep2).append("L").append(sep3);
    } else {
        value.append(1, d1).append(sep1).append(1, d2).append(sep2).append(1, d3).append(sep3);
        if (d4 != '\0')
            value.append(1, d4);
    }

    const bool negative = !sign.empty();
    out.overloadEdge = negative ? AxisEdge::Bottom : AxisEdge::Top;
    const auto full = static_cast<float>(counts.FullScaleCount + 1);
    if (overload) {
        out.ReadingCount = negative ? -full : full;
    } else {
        const char all[4] = {d1, d2, d3, d4};
        out.ReadingCount =
            static_cast<float>(integerOf(negative, std::string_view(all, d4 != '\0' ? 4 : 3)));
    }

    // Leading-zero blanking; the value text keeps the zeros.
    if (!f.P1 && !f.P2 && !f.P3) {
        if (d1 == '0' && d2 == '0' && d3 == '0') {
            show(M::LcdDa, false);
            show(M::LcdDb, false);
            show(M::LcdDc, false);
        } else if (d1 == '0' && d2 == '0') {
            show(M::LcdDa, false);
            show(M::LcdDb, false);
        } else if (d1 == '0') {
            show(M::LcdDa, false);
        }
    }
    if (f.P2 && d1 == '0')
        show(M::LcdDa, false);
    if (f.P3 && d1 == '0') {
        show(M::LcdDa, false);
        if (d2 == '0')
            show(M::LcdDb, false);
    }
    if (func == 0x5) {
        show(M::LcdDd, false);
        show(M::LcdDc, true);
    }
    if (func == 0x1)
        show(M::LcdDd, false);
    if (overload) {
        show(M::LcdDa, false);
        show(M::LcdDd, false);
    }

    const int pointPos = f.P3 ? 3 : f.P2 ? 2 : f.P1 ? 1 : 0;
    if (out.UnitText == tracker.PrevUnitText && pointPos == tracker.PrevPointPos) {
        if (out.ReadingCount >= tracker.MaxCount) {
            tracker.MaxValueText = value;
            tracker.MaxCount = out.ReadingCount;
        }
        if (out.ReadingCount <= tracker.MinCount) {
            tracker.MinValueText = value;
            tracker.MinCount = out.ReadingCount;
        }
    } else {
        tracker.PrevUnitText = out.UnitText;
        tracker.MaxCount = -full;
        tracker.MinCount = full;
    }
    tracker.PrevPointPos = pointPos;
    out.MaxText = tracker.MaxValueText;
    out.MinText = tracker.MinValueText;
    out.MaxTextU = out.UnitText;
    out.MinTextU = out.UnitText;

    out.digits[0].assign(1, d1);
    out.digits[1].assign(1, d2);
    out.digits[2].assign(1, d3);
    if (d4 != '\0')
        out.digits[3].assign(1, d4);

    if (overload) {
        out.needle = negative ? 0 : counts.ScaleSpan * 10;
        out.bar = func == 0x1 ? 25 : counts.BarMidPos;
    } else {
        const char lead[3] = {d1, d2, d3};
        out.needle = integerOf(negative, std::string_view(lead, 3)) + counts.ScaleCenter;
        const std::int32_t n = integerOf(false, std::string_view(lead, 2));
        out.bar = n >= 2 ? n : 1;
    }

    out.decoded = true;
    return out;
}

} // namespace vireo
