#include "core/LcdPresenter.h"
#include "core/MaxMinTracker.h"
#include "core/MeterReading.h"

#include <gtest/gtest.h>

namespace vireo {
namespace {

using M = LcdMember;

const DecoderQuirks kShipped = applyModelSwitches(ModelSwitches::shipped()).quirks;
const CountClass kCounts = countClassFor("4");

MeterReading read(std::string_view text, const DecoderQuirks &quirks = kShipped)
{
    MeterReading r;
    EXPECT_TRUE(readFrame(text, quirks, ".", kCounts, r)) << text;
    return r;
}

TEST(MeterReading, EveryFieldOfTheFrameIsReadOnce)
{
    // Range 1, digits 0567, voltage, negative and battery, HOLD and MIN, AC and AUTO.
    const MeterReading r = read("A10567B6A6D");
    EXPECT_EQ(r.function, 0xB);
    EXPECT_EQ(r.range, 1);
    EXPECT_EQ(r.digits, (std::array<char, 4>{'0', '5', '6', '7'}));
    EXPECT_EQ(r.point, 2);
    EXPECT_EQ(r.prefix, 0);
    EXPECT_TRUE(r.negative);
    EXPECT_TRUE(r.battery);
    EXPECT_FALSE(r.overload);
    EXPECT_FALSE(r.celsius);
    EXPECT_TRUE(r.hold);
    EXPECT_FALSE(r.max);
    EXPECT_TRUE(r.min);
    EXPECT_TRUE(r.ac);
    EXPECT_FALSE(r.dc);
    EXPECT_TRUE(r.autoRange);
    EXPECT_TRUE(r.rs232);
    EXPECT_EQ(r.ValueText, "-05.67");
    EXPECT_EQ(r.UnitText, "V");
    EXPECT_EQ(r.FuncText, "AC");
    EXPECT_EQ(r.RangeText, "AUTO");
    EXPECT_EQ(r.ReadingCount, -567.0f);
    EXPECT_EQ(r.overloadEdge, AxisEdge::Bottom);
}

TEST(MeterReading, AnUnreadableFrameLeavesTheReadingAlone)
{
    MeterReading r;
    r.ValueText = "kept";
    EXPECT_FALSE(readFrame("A012C4B00AD", kShipped, ".", kCounts, r));
    EXPECT_FALSE(readFrame("A0123", kShipped, ".", kCounts, r));
    EXPECT_EQ(r.ValueText, "kept");
}

TEST(LcdPresenter, PresentationDependsOnTheReadingAloneAndComparesCheaply)
{
    const LcdPresentation a = presentReading(read("A01234B00AD"), kShipped, kCounts);
    EXPECT_EQ(a, presentReading(read("A01234B00AD"), kShipped, kCounts));

    // HOLD changes one member; the digits and the bar stay.
    const LcdPresentation held = presentReading(read("A01234B08AD"), kShipped, kCounts);
    EXPECT_NE(held, a);
    EXPECT_EQ((held.visible ^ a.visible).count(), 1u);
    EXPECT_TRUE(held.visible.test(index(M::LCDHold)));
    EXPECT_EQ(held.digits, a.digits);
    EXPECT_EQ(held.bar, a.bar);

    // A new last digit changes only its caption.
    const LcdPresentation next = presentReading(read("A01235B00AD"), kShipped, kCounts);
    EXPECT_EQ(next.visible, a.visible);
    EXPECT_NE(next.digits, a.digits);
    EXPECT_EQ(next.digits[3], '5');
}

TEST(LcdPresenter, QuirksChooseTheMarksOfTheSameReading)
{
    const DecoderQuirks heron = applyModelSwitches(ModelSwitches{.IFHeron = true}).quirks;
    const MeterReading ac = read("A01234B004D", heron);
    const LcdPresentation plain = presentReading(ac, heron, kCounts);
    EXPECT_TRUE(plain.visible.test(index(M::LcdAC)));
    EXPECT_TRUE(plain.visible.test(index(M::LCDRS)));
    const LcdPresentation trueRms = presentReading(ac, kShipped, kCounts);
    EXPECT_FALSE(trueRms.visible.test(index(M::LcdAC)));
    EXPECT_TRUE(trueRms.visible.test(index(M::LCDTRMS)));
    EXPECT_FALSE(trueRms.visible.test(index(M::LCDRS)));
}

TEST(LcdPresenter, OverloadShowsTheZeroLFormWhateverTheDigits)
{
    const LcdPresentation p = presentReading(read("A1F9F9310AD"), kShipped, kCounts);
    EXPECT_EQ(p.digits[1], '0');
    EXPECT_EQ(p.digits[2], '@');
    EXPECT_FALSE(p.visible.test(index(M::LcdDa)));
    EXPECT_FALSE(p.visible.test(index(M::LcdDd)));
    EXPECT_EQ(p.bar, kCounts.BarMidPos);
}

TEST(MaxMinTracker, TakesReadingsAsItsOwnStep)
{
    MaxMinTracker t = MaxMinTracker::forCounts(kCounts);
    EXPECT_EQ(t.take(read("A01234B00AD"), kCounts), (MaxMinReadout{"", "", "V", "V"}));
    t.take(read("A01234B00AD"), kCounts);
    const MaxMinReadout r = t.take(read("A00999B00AD"), kCounts);
    EXPECT_EQ(r.MaxText, "1.234");
    EXPECT_EQ(r.MinText, "0.999");
    // An overload counts as one past full scale, so it becomes the maximum.
    EXPECT_EQ(t.take(read("A01234B10AD"), kCounts).MaxText, ".0L");
}

} // namespace
} // namespace vireo
