#include "core/LcdDecoder.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace vireo;
using M = LcdMember;

namespace {

// "A", range, four digits, function, status, option 1, option 2, "D".
std::string frame(char range, const char *digits, char func, int status = 0, int opt1 = 0,
                  int opt2 = 0xA)
{
    const char *hex = "0123456789ABCDEF";
    std::string f = "A";
    f += range;
    f += digits;
    f += func;
    f += hex[status];
    f += hex[opt1];
    f += hex[opt2];
    f += 'D';
    return f;
}

ModelSwitches only(bool ModelSwitches::*sw)
{
    ModelSwitches s;
    s.*sw = true;
    return s;
}

struct Decoded {
    DecodedFrame frame;
    MaxMinTracker tracker;
};

Decoded decode(const std::string &text, const ModelSwitches &sw = ModelSwitches::shipped(),
               std::string_view sep = ".", const CountClass &counts = countClassFor("4"))
{
    Decoded d{{}, MaxMinTracker::forCounts(counts)};
    d.frame = LcdDecode(text, applyModelSwitches(sw).quirks, sep, counts, d.tracker);
    return d;
}

bool shown(const DecodedFrame &f, M m)
{
    return f.lcd.visible.test(index(m));
}

const M kUnitLabels[] = {M::LcdV,  M::LCDA,  M::LCDohm, M::LCDHz,  M::LCDCS, M::LCDFS,
                         M::LCDFm, M::LCDDI, M::LCDF,   M::lcdhFE, M::LCDBT, M::LcdRPM};
const M kPrefixLabels[] = {M::LCDk, M::LCDM1, M::Lcdm, M::LCDu, M::LCDn};
const M kPoints[] = {M::LcdP1, M::LcdP2, M::LcdP3};

struct TableCase {
    char func;
    char range;
    ModelSwitches sw;
    const char *unit;
    int point;          // 0: none
    std::set<M> labels; // unit and prefix labels that must show; all others hidden
    std::optional<AxisRange> axis;
};

std::optional<AxisRange> axis(double half)
{
    return AxisRange{-half, half};
}

class FunctionTable : public ::testing::TestWithParam<TableCase> {};

TEST_P(FunctionTable, UnitPointLabelsAndAxis)
{
    const TableCase &c = GetParam();
    const DecodedFrame f = decode(frame(c.range, "1234", c.func), c.sw).frame;
    ASSERT_TRUE(f.decoded);
    EXPECT_EQ(f.reading.UnitText, c.unit);
    for (int p = 1; p <= 3; ++p)
        EXPECT_EQ(shown(f, kPoints[p - 1]), c.point == p) << "point " << p;
    for (M m : kUnitLabels)
        EXPECT_EQ(shown(f, m), c.labels.count(m) == 1) << "unit label " << index(m);
    for (M m : kPrefixLabels)
        EXPECT_EQ(shown(f, m), c.labels.count(m) == 1) << "prefix label " << index(m);
    EXPECT_EQ(f.reading.axis, c.axis);
}

const ModelSwitches kShipped = ModelSwitches::shipped();
const ModelSwitches kFinch = only(&ModelSwitches::IFFinch);
const ModelSwitches kPlover = only(&ModelSwitches::IFPlover);
const ModelSwitches kHeron = only(&ModelSwitches::IFHeron);
const DecoderQuirks kShippedQuirks = applyModelSwitches(kShipped).quirks;

INSTANTIATE_TEST_SUITE_P(
    Tables, FunctionTable,
    ::testing::Values(TableCase{'B', '0', kShipped, "V", 1, {M::LcdV}, axis(6)},
                      TableCase{'B', '1', kShipped, "V", 2, {M::LcdV}, axis(60)},
                      TableCase{'B', '2', kShipped, "V", 3, {M::LcdV}, axis(600)},
                      TableCase{'B', '3', kShipped, "V", 0, {M::LcdV}, axis(6000)},
                      TableCase{'B', '4', kShipped, "mV", 3, {M::LcdV, M::Lcdm}, axis(600)},
                      TableCase{'B', '6', kShipped, "V", 0, {M::LcdV}, std::nullopt},
                      TableCase{'B', '2', kFinch, "V", 3, {M::LcdV}, AxisRange{-600, 400}},
                      TableCase{'D', '0', kShipped, "uA", 3, {M::LCDu, M::LCDA}, axis(600)},
                      TableCase{'D', '1', kShipped, "uA", 0, {M::LCDu, M::LCDA}, axis(6000)},
                      TableCase{'D', '5', kShipped, "uA", 0, {M::LCDu, M::LCDA}, std::nullopt},
                      TableCase{'F', '0', kShipped, "mA", 2, {M::Lcdm, M::LCDA}, axis(60)},
                      TableCase{'F', '1', kShipped, "mA", 3, {M::Lcdm, M::LCDA}, axis(600)},
                      TableCase{'F', '7', kShipped, "mA", 0, {M::Lcdm, M::LCDA}, std::nullopt},
                      TableCase{'F', '1', kFinch, "A", 2, {M::LCDA}, std::nullopt},
                      TableCase{'9', '5', kShipped, "A", 2, {M::LCDA}, axis(10)},
                      TableCase{'9', '0', kFinch, "mA", 2, {M::Lcdm, M::LCDA}, axis(10)},
                      TableCase{'9', '1', kFinch, "mA", 3, {M::Lcdm, M::LCDA}, axis(100)},
                      TableCase{'9', '2', kFinch, "mA", 0, {M::Lcdm, M::LCDA}, std::nullopt},
                      TableCase{'3', '0', kShipped, "*", 3, {M::LCDohm}, axis(600)},
                      TableCase{'3', '1', kShipped, "k*", 1, {M::LCDohm, M::LCDk}, axis(6)},
                      TableCase{'3', '2', kShipped, "k*", 2, {M::LCDohm, M::LCDk}, axis(60)},
                      TableCase{'3', '3', kShipped, "k*", 3, {M::LCDohm, M::LCDk}, axis(600)},
                      TableCase{'3', '4', kShipped, "M*", 1, {M::LCDohm, M::LCDM1}, axis(6)},
                      TableCase{'3', '5', kShipped, "M*", 2, {M::LCDohm, M::LCDM1}, axis(60)},
                      TableCase{'3', '6', kShipped, "*", 0, {M::LCDohm}, std::nullopt},
                      TableCase{'2', '0', kShipped, "Hz", 0, {M::LCDHz}, axis(6000)},
                      TableCase{'2', '0', kHeron, "Hz", 0, {M::LCDHz}, axis(6)},
                      TableCase{'2', '0', kPlover, "Hz", 0, {M::LCDHz}, axis(6)},
                      TableCase{'2', '1', kShipped, "kHz", 2, {M::LCDHz, M::LCDk}, axis(60)},
                      TableCase{'2', '2', kShipped, "kHz", 3, {M::LCDHz, M::LCDk}, axis(600)},
                      TableCase{'2', '3', kShipped, "MHz", 1, {M::LCDHz, M::LCDM1}, axis(6)},
                      TableCase{'2', '4', kShipped, "MHz", 2, {M::LCDHz, M::LCDM1}, axis(60)},
                      TableCase{'2', '5', kShipped, "MHz", 3, {M::LCDHz, M::LCDM1}, axis(600)},
                      TableCase{'2', '7', kShipped, "", 0, {M::LCDHz}, std::nullopt},
                      TableCase{'4', '0', kShipped, "?", 0, {M::LCDFS}, AxisRange{-40, 1832}},
                      TableCase{'5', '0', kShipped, "&", 0, {M::LCDFm}, axis(6000)},
                      TableCase{'5', '0', kPlover, "&*", 0, {M::LCDFm, M::LCDohm}, axis(6000)},
                      TableCase{'5', '0', kFinch, "&*", 0, {M::LCDFm, M::LCDohm}, axis(6000)},
                      TableCase{'1', '0', kShipped, ")", 1, {M::LCDDI, M::LcdV}, axis(6)},
                      TableCase{'1', '0', kFinch, ")V", 1, {M::LCDDI, M::LcdV}, axis(6)},
                      TableCase{'6', '0', kShipped, "nF", 1, {M::LCDF, M::LCDn}, axis(6)},
                      TableCase{'6', '1', kShipped, "nF", 2, {M::LCDF, M::LCDn}, axis(60)},
                      TableCase{'6', '2', kShipped, "nF", 3, {M::LCDF, M::LCDn}, axis(600)},
                      TableCase{'6', '3', kShipped, "uF", 1, {M::LCDF, M::LCDu}, axis(6)},
                      TableCase{'6', '4', kShipped, "uF", 2, {M::LCDF, M::LCDu}, axis(60)},
                      TableCase{'6', '5', kShipped, "uF", 3, {M::LCDF, M::LCDu}, axis(600)},
                      TableCase{'6', '6', kShipped, "mF", 1, {M::LCDF, M::Lcdm}, axis(6)},
                      TableCase{'6', '7', kShipped, "mF", 2, {M::LCDF, M::Lcdm}, axis(60)},
                      TableCase{'E', '0', kShipped, "", 0, {M::lcdhFE, M::LCDBT}, axis(6000)},
                      TableCase{'0', '0', kShipped, "", 0, {}, std::nullopt},
                      TableCase{'7', '3', kShipped, "", 0, {}, std::nullopt},
                      TableCase{'C', '0', kShipped, "", 0, {}, std::nullopt}),
    [](const testing::TestParamInfo<TableCase> &info) {
        const TableCase &c = info.param;
        const char *model = c.sw.IFFinch    ? "Finch"
                            : c.sw.IFPlover ? "Plover"
                            : c.sw.IFHeron  ? "Heron"
                                            : "";
        return "F" + std::string(1, c.func) + "R" + std::string(1, c.range) + model;
    });

TEST(LcdDecoder, VoltageReadingWithEveryDerivedFigure)
{
    const DecodedFrame f = decode("A01234B00AD").frame;
    EXPECT_EQ(f.reading.ValueText, "1.234");
    EXPECT_EQ(f.reading.UnitText, "V");
    EXPECT_EQ(f.reading.FuncText, "DC");
    EXPECT_EQ(f.reading.RangeText, "AUTO");
    EXPECT_EQ(f.reading.ReadingCount, 1234.0f);
    EXPECT_EQ(f.reading.needle, 523);
    EXPECT_EQ(f.lcd.bar, 12);
    EXPECT_EQ(f.lcd.digits, (std::array<char, 4>{'1', '2', '3', '4'}));
    EXPECT_FALSE(shown(f, M::LcdFH));
    for (M d : {M::LcdDa, M::LcdDb, M::LcdDc, M::LcdDd})
        EXPECT_TRUE(shown(f, d));

    const DecodedFrame neg = decode("A01234B40AD").frame;
    EXPECT_EQ(neg.reading.ValueText, "-1.234");
    EXPECT_EQ(neg.reading.ReadingCount, -1234.0f);
    EXPECT_EQ(neg.reading.needle, 277);
    EXPECT_EQ(neg.lcd.bar, 12);
    EXPECT_TRUE(shown(neg, M::LcdFH));
}

TEST(LcdDecoder, DecimalSeparatorComesFromTheLocale)
{
    EXPECT_EQ(decode("A01234B00AD", kShipped, ",").frame.reading.ValueText, "1,234");
    EXPECT_EQ(decode("A01234B00AD", kShipped, "").frame.reading.ValueText, "1234");
    EXPECT_EQ(decode("A31234B00AD", kShipped, ",").frame.reading.ValueText, "1234");
}

TEST(LcdDecoder, LeadingZerosAreBlankedButKeptInTheValue)
{
    struct Case {
        const char *text;
        const char *value;
        bool a, b, c, d;
    };
    const Case cases[] = {
        {"A30012B00AD", "0012", false, false, true, true},  // no point: two zeros blanked
        {"A30002B00AD", "0002", false, false, false, true}, // no point: three zeros
        {"A30102B00AD", "0102", false, true, true, true},   // no point: one zero
        {"A10123B00AD", "01.23", false, true, true, true},  // point 2
        {"A20012B00AD", "001.2", false, false, true, true}, // point 3, two zeros
        {"A20112B00AD", "011.2", false, true, true, true},  // point 3, one zero
        {"A00012B00AD", "0.012", true, true, true, true},   // point 1: nothing blanked
        {"A01234500AD", "1234", true, true, true, false},   // continuity hides d4
        {"A00004500AD", "0004", false, false, true, false}, // continuity shows d3 again
        {"A01234100AD", "1.234", true, true, true, false},  // diode hides d4
    };
    for (const Case &c : cases) {
        const DecodedFrame f = decode(c.text).frame;
        EXPECT_EQ(f.reading.ValueText, c.value) << c.text;
        EXPECT_EQ(shown(f, M::LcdDa), c.a) << c.text;
        EXPECT_EQ(shown(f, M::LcdDb), c.b) << c.text;
        EXPECT_EQ(shown(f, M::LcdDc), c.c) << c.text;
        EXPECT_EQ(shown(f, M::LcdDd), c.d) << c.text;
    }
    EXPECT_EQ(decode("A30012B00AD").frame.reading.ReadingCount, 12.0f);
}

TEST(LcdDecoder, OverloadShowsZeroLAtTheEndsOfTheScale)
{
    const DecodedFrame f = decode("A11234310AD").frame; // resistance range 1, overload
    EXPECT_EQ(f.reading.ValueText, ".0L");
    EXPECT_EQ(f.reading.ReadingCount, 4001.0f);
    EXPECT_EQ(f.reading.needle, 800);
    EXPECT_EQ(f.lcd.bar, 40);
    EXPECT_EQ(f.lcd.digits[1], '0');
    EXPECT_EQ(f.lcd.digits[2], '@');
    EXPECT_FALSE(shown(f, M::LcdDa));
    EXPECT_TRUE(shown(f, M::LcdDb));
    EXPECT_TRUE(shown(f, M::LcdDc));
    EXPECT_FALSE(shown(f, M::LcdDd));
    EXPECT_TRUE(shown(f, M::LcdP1));
    EXPECT_EQ(f.reading.overloadEdge, AxisEdge::Top);

    const DecodedFrame neg = decode("A31234B50AD").frame; // voltage, negative overload
    EXPECT_EQ(neg.reading.ValueText, "-0L");
    EXPECT_EQ(neg.reading.ReadingCount, -4001.0f);
    EXPECT_EQ(neg.reading.needle, 0);
    EXPECT_EQ(neg.reading.overloadEdge, AxisEdge::Bottom);
    EXPECT_TRUE(shown(neg, M::LcdDb));
    // With no point lit and a leading zero, the blanking rules hide the "0" of 0L too.
    EXPECT_FALSE(shown(decode("A30234B10AD").frame, M::LcdDb));
    EXPECT_EQ(decode("A01234110AD").frame.lcd.bar, 25); // diode overload

    // Digits that are not decimal do not matter once the display reads 0L.
    EXPECT_TRUE(decode("A0F23E310AD").frame.decoded);
}

TEST(LcdDecoder, AnnunciatorsFollowStatusAndOptionBits)
{
    const DecodedFrame f = decode("A01234B2E6D").frame; // battery, HOLD MAX MIN, AC, AUTO
    EXPECT_TRUE(shown(f, M::LCDBATT));
    EXPECT_TRUE(shown(f, M::LCDHold));
    EXPECT_TRUE(shown(f, M::lcdMax));
    EXPECT_TRUE(shown(f, M::lcdMin));
    EXPECT_EQ(f.reading.FuncText, "AC");
    EXPECT_TRUE(shown(f, M::LcdACDC)); // the shipped model marks AC with true RMS
    EXPECT_TRUE(shown(f, M::LCDTRMST));
    EXPECT_TRUE(shown(f, M::LCDTRMS));
    EXPECT_FALSE(shown(f, M::LcdAC));
    EXPECT_FALSE(shown(f, M::LCDRS));
    EXPECT_FALSE(shown(f, M::LCD232C));

    const DecodedFrame plain = decode("A01234B2E4D", kHeron).frame; // AC, manual range
    EXPECT_TRUE(shown(plain, M::LcdAC));
    EXPECT_FALSE(shown(plain, M::LcdACDC));
    EXPECT_EQ(plain.reading.RangeText, "MANU");
    EXPECT_TRUE(shown(plain, M::lcdManual));
    EXPECT_FALSE(shown(plain, M::LcdAuto));
    EXPECT_TRUE(shown(plain, M::LCDRS)); // bit 1 clear shows the serial marks
    EXPECT_TRUE(shown(plain, M::LCD232C));
    EXPECT_FALSE(shown(decode("A01234B005D", kHeron).frame, M::LCDRS));

    const DecodedFrame both = decode("A01234B00CD").frame; // AC and DC bits
    EXPECT_EQ(both.reading.FuncText, "DC");
    EXPECT_TRUE(shown(both, M::LcdACDC));
    EXPECT_TRUE(shown(both, M::LcdDc1));
    EXPECT_EQ(decode("A01234B002D").frame.reading.FuncText, "");

    const DecodedFrame cels = decode("A00250480AD").frame;
    EXPECT_EQ(cels.reading.UnitText, "#");
    EXPECT_TRUE(shown(cels, M::LCDCS));
    EXPECT_EQ(cels.reading.axis, (AxisRange{-40, 1000}));
    EXPECT_FALSE(shown(decode("A00250200AD").frame, M::LcdRPM));
}

TEST(LcdDecoder, FrequencyRangeZeroAxisDependsOnModelAndStatus)
{
    EXPECT_EQ(decode("A01234280AD", kHeron).frame.reading.axis, axis(6000)); // Celsius bit set
    ModelSwitches heronFinch = kHeron;
    heronFinch.IFFinch = true;
    EXPECT_EQ(decode("A01234280AD", heronFinch).frame.reading.axis, axis(6));
    // The frequency pass clears the points and prefixes it does not use.
    const DecodedFrame f = decode("A01234200AD").frame;
    EXPECT_EQ(f.reading.ValueText, "1234");
}

TEST(LcdDecoder, FinchDropsTheLastDigitOfDiodeAndContinuity)
{
    const DecodedFrame diode = decode("A00567100AD", kFinch).frame;
    EXPECT_EQ(diode.reading.ValueText, "0.56");
    EXPECT_EQ(diode.reading.ReadingCount, 56.0f);
    EXPECT_EQ(diode.lcd.digits[3], '\0');
    const DecodedFrame cont = decode("A00123500AD", kFinch).frame;
    EXPECT_EQ(cont.reading.ValueText, "012");
    EXPECT_EQ(cont.reading.ReadingCount, 12.0f);
    EXPECT_FALSE(shown(cont, M::LcdP3));
}

TEST(LcdDecoder, TrackerRestartsOnUnitOrPointChange)
{
    const CountClass counts = countClassFor("4");
    MaxMinTracker t = MaxMinTracker::forCounts(counts);
    auto run = [&](const char *text) { return LcdDecode(text, kShippedQuirks, ".", counts, t); };

    DecodedFrame f = run("A01234B00AD"); // first frame restarts the tracker
    EXPECT_EQ(f.maxMin.MaxText, "");
    EXPECT_EQ(f.maxMin.MinText, "");
    EXPECT_EQ(f.maxMin.MaxTextU, "V");
    f = run("A01234B00AD");
    EXPECT_EQ(f.maxMin.MaxText, "1.234");
    EXPECT_EQ(f.maxMin.MinText, "1.234");
    f = run("A01500B00AD");
    EXPECT_EQ(f.maxMin.MaxText, "1.500");
    EXPECT_EQ(f.maxMin.MinText, "1.234");
    f = run("A01000B40AD");
    EXPECT_EQ(f.maxMin.MinText, "-1.000");
    EXPECT_EQ(f.maxMin.MaxText, "1.500");

    f = run("A11234B00AD"); // range change moves the point: restart, texts kept
    EXPECT_EQ(f.maxMin.MaxText, "1.500");
    EXPECT_EQ(t.MaxCount, -4001.0f);
    EXPECT_EQ(t.MinCount, 4001.0f);
    f = run("A10200B00AD");
    EXPECT_EQ(f.maxMin.MaxText, "02.00");
    EXPECT_EQ(f.maxMin.MinText, "02.00");

    f = run("A10200300AD"); // unit change: resistance k-ohm on point 2
    EXPECT_EQ(t.PrevUnitText, "k*");
    EXPECT_EQ(f.maxMin.MaxTextU, "k*");
}

TEST(LcdDecoder, CountClassMovesNeedleAndOverloadCounts)
{
    const CountClass six = countClassFor("6");
    EXPECT_EQ(decode("A30000B00AD", kShipped, ".", six).frame.reading.needle, 600);
    EXPECT_EQ(decode("A31234B10AD", kShipped, ".", six).frame.reading.needle, 1200);
    EXPECT_EQ(decode("A31234B10AD", kShipped, ".", six).frame.reading.ReadingCount, 6001.0f);
    EXPECT_EQ(decode("A31234B10AD", kShipped, ".", six).frame.lcd.bar, 60);
    const CountClass s34 = countClassFor("34");
    EXPECT_EQ(decode("A31234B50AD", kShipped, ".", s34).frame.reading.ReadingCount, -3401.0f);
    EXPECT_EQ(decode("A30100B00AD", kShipped, ".", s34).frame.lcd.bar, 1);
    EXPECT_EQ(decode("A30200B00AD", kShipped, ".", s34).frame.lcd.bar, 2);
}

TEST(LcdDecoder, UndecodableNibblesGiveNoReading)
{
    const CountClass counts = countClassFor("4");
    MaxMinTracker t = MaxMinTracker::forCounts(counts);
    for (const char *text : {"AA1234B00AD", "A012C4B00AD", "A0123FB00AD", "AF1234300AD",
                             "AE1234600AD", "AB1234200AD"}) {
        const DecodedFrame f = LcdDecode(text, kShippedQuirks, ".", counts, t);
        EXPECT_FALSE(f.decoded) << text;
        EXPECT_TRUE(f.reading.ValueText.empty()) << text;
    }
    EXPECT_EQ(t.PrevUnitText, "113");
    // Functions that ignore the range read fine with any range nibble.
    EXPECT_TRUE(decode("AF1234900AD").frame.decoded);
    EXPECT_TRUE(decode("AC0025480AD").frame.decoded);
}

TEST(LcdDecoder, RangesBeyondTheTableTakeItsLastRow)
{
    EXPECT_EQ(decode("A91234B00AD").frame.reading.UnitText, "V");
    EXPECT_FALSE(decode("A91234B00AD").frame.reading.axis.has_value());
    EXPECT_EQ(decode("A81234600AD").frame.reading.UnitText, "mF");
    EXPECT_EQ(decode("A81234300AD").frame.reading.UnitText, "*");
}

TEST(LcdDecoder, EveryFrameRepaintsTheWholePanel)
{
    // The panel shows only the current frame: nothing of another function stays lit.
    const DecodedFrame f = decode("A00123E00AD").frame;
    for (M m : {M::LCDF, M::LCDn, M::LCDohm, M::LcdV, M::LCDHz, M::LCDBF, M::LCDRec})
        EXPECT_FALSE(shown(f, m));
}

} // namespace
