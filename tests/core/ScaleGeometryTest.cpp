#include "core/ScaleGeometry.h"

#include "ParamName.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

namespace vireo {

void PrintTo(const ScalePoint &p, std::ostream *os)
{
    *os << "(" << p.x << ", " << p.y << ")";
}

void PrintTo(const NeedleLine &n, std::ostream *os)
{
    PrintTo(n.tip, os);
    *os << "-";
    PrintTo(n.base, os);
}

namespace {

const ScaleClass kClass4{"4", 80, 4000};
const ScaleClass kClass34{"34", 68, 3400};
const ScaleClass kClass6{"6", 120, 6000};

// The enlarged scale panel of a window whose outer size is 626 x 456.
constexpr std::int32_t kPanelWidth = 614;
constexpr std::int32_t kPanelHeight = 376;

std::vector<DialPrimitive> marksOf(const std::vector<DialPrimitive> &dial, DialMark mark)
{
    std::vector<DialPrimitive> out;
    for (const DialPrimitive &p : dial)
        if (p.mark == mark)
            out.push_back(p);
    return out;
}

struct Size {
    std::int32_t width;
    std::int32_t height;
};

std::string sizeName(Size s)
{
    return test::paramName({std::to_string(s.width), std::to_string(s.height)});
}

std::string className(const ScaleClass &scale)
{
    return std::to_string(scale.FullScaleCount);
}

class ScaleGeometryNoArc : public testing::TestWithParam<std::pair<Size, bool>> {};

TEST_P(ScaleGeometryNoArc, DrawsOnlyWhenChordAndHeightArePositive)
{
    const auto [size, usable] = GetParam();
    const ScaleGeometry geometry(size.width, size.height);
    EXPECT_EQ(geometry.hasArc(), usable);
    EXPECT_EQ(geometry.dial(kClass4, {}).has_value(), usable);
    EXPECT_EQ(geometry.needle(400, 80).has_value(), usable);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, ScaleGeometryNoArc,
    testing::Values(std::pair{Size{0, 0}, false}, std::pair{Size{40, 200}, false},
                    std::pair{Size{300, 60}, false}, std::pair{Size{300, 59}, false},
                    std::pair{Size{-5, 300}, false}, std::pair{Size{41, 61}, true},
                    std::pair{Size{kPanelWidth, kPanelHeight}, true}),
    [](const testing::TestParamInfo<std::pair<Size, bool>> &info) {
        return sizeName(info.param.first);
    });

// The arc passes through both ends of the chord, so whatever the panel's proportions the
// pointer's tip at the ends of the scale sits 4 pixels below the chord's ends, and at zero
// on top of the arc.
class ScaleGeometryNeedleEnds : public testing::TestWithParam<std::tuple<Size, ScaleClass>> {};

TEST_P(ScaleGeometryNeedleEnds, TipMeetsChordEndsAndTop)
{
    const auto &[size, scale] = GetParam();
    const ScaleGeometry geometry(size.width, size.height);
    const std::int32_t w = geometry.chordWidth();
    const std::int32_t h = geometry.arcHeight();
    const std::int32_t fineSteps = scale.ScaleSpan * 10;

    const auto left = geometry.needle(0, scale.ScaleSpan);
    const auto right = geometry.needle(fineSteps, scale.ScaleSpan);
    const auto centre = geometry.needle(scale.FullScaleCount / 10, scale.ScaleSpan);
    ASSERT_TRUE(left && right && centre);
    EXPECT_EQ(left->tip, (ScalePoint{20, 30 + h + 4}));
    EXPECT_EQ(right->tip, (ScalePoint{20 + w, 30 + h + 4}));
    EXPECT_EQ(centre->tip, (ScalePoint{20 + w / 2, 34}));
    EXPECT_EQ(centre->base, (ScalePoint{20 + w / 2, 30 + h + 280}));
}

INSTANTIATE_TEST_SUITE_P(
    Proportions, ScaleGeometryNeedleEnds,
    testing::Combine(testing::Values(Size{614, 200}, // flat arc
                                     Size{300, 100}, // flat arc
                                     Size{140, 110}, // exactly a half circle
                                     Size{614, 376}, // more than a half circle
                                     Size{100, 400}, // far more than a half circle
                                     Size{62, 62}),  // tiny
                     testing::Values(kClass4, kClass34, kClass6)),
    [](const testing::TestParamInfo<std::tuple<Size, ScaleClass>> &info) {
        return sizeName(std::get<0>(info.param)) + "_" + className(std::get<1>(info.param));
    });

TEST(ScaleGeometry, NeedleBasesAtTheEndsOfTheScale)
{
    // On a flat arc the base lies across the centre from the tip.
    const ScaleGeometry flat(614, 200);
    EXPECT_EQ(flat.needle(0, 80)->base, (ScalePoint{378, 450}));
    EXPECT_EQ(flat.needle(800, 80)->base, (ScalePoint{236, 450}));
    const ScaleGeometry tall(kPanelWidth, kPanelHeight);
    EXPECT_EQ(tall.needle(0, 80)->base, (ScalePoint{-2883, 626}));
    EXPECT_EQ(tall.needle(800, 80)->base, (ScalePoint{3497, 626}));
}

struct AngleCase {
    Size size;
    float theta;
    NeedleLine needle;
};

class ScaleGeometryNeedleAt : public testing::TestWithParam<AngleCase> {};

TEST_P(ScaleGeometryNeedleAt, TipAndBase)
{
    const AngleCase &c = GetParam();
    const ScaleGeometry geometry(c.size.width, c.size.height);
    EXPECT_EQ(geometry.needleAt(c.theta), c.needle);
}

constexpr std::int32_t kFarRight = std::numeric_limits<std::int32_t>::max();

INSTANTIATE_TEST_SUITE_P(Angles, ScaleGeometryNeedleAt,
                         testing::Values(
                             // A horizontal radius never meets the base line: the base goes where
                             // it heads as the angle shrinks to zero, far right across the centre.
                             AngleCase{
                                 {kPanelWidth, kPanelHeight}, 0.0f, {{19, 322}, {kFarRight, 626}}},
                             // Radius 2.5: the tip falls on half pixels, which round to even.
                             AngleCase{{44, 61}, 0.0f, {{20, 36}, {kFarRight, 311}}},
                             // Radius 296 = arc height 16 + 280: the base line runs through the
                             // centre, where every radius meets it.
                             AngleCase{{232, 76}, 0.0f, {{-180, 330}, {116, 326}}},
                             AngleCase{{232, 76}, 1.0f, {{-44, 81}, {116, 326}}}),
                         [](const testing::TestParamInfo<AngleCase> &info) {
                             return sizeName(info.param.size) + "_" +
                                    std::to_string(static_cast<int>(info.param.theta * 100));
                         });

TEST(ScaleGeometry, PositionsFarOutsideTheScaleStayOnTheCircle)
{
    const ScaleGeometry geometry(kPanelWidth, kPanelHeight);
    for (const std::int32_t position : {-1'000'000, -4000, 5000, std::numeric_limits<int>::max()}) {
        const auto needle = geometry.needle(position, 80);
        ASSERT_TRUE(needle);
        EXPECT_LE(std::abs(needle->tip.x - 307), 289) << position;
        EXPECT_LE(std::abs(needle->tip.y - 30 - 288 - 4), 289) << position;
    }
}

struct LabelCase {
    ScaleClass scale;
    const char *labels; // text(left,top) in drawing order
};

class ScaleGeometryLabels : public testing::TestWithParam<LabelCase> {};

TEST_P(ScaleGeometryLabels, TextsAndCorners)
{
    const LabelCase &c = GetParam();
    const auto dial = ScaleGeometry(kPanelWidth, kPanelHeight).dial(c.scale, {});
    ASSERT_TRUE(dial);
    std::string labels;
    for (const DialPrimitive &p : marksOf(*dial, DialMark::Label)) {
        EXPECT_EQ(p.colour, ScaleColour::Black);
        labels += (labels.empty() ? "" : " ") + std::string(p.text) + "(" + std::to_string(p.at.x) +
                  "," + std::to_string(p.at.y) + ")";
    }
    EXPECT_EQ(labels, c.labels);
}

INSTANTIATE_TEST_SUITE_P(
    CountClasses, ScaleGeometryLabels,
    testing::Values(LabelCase{kClass4, "-40(-3,341) -30(8,216) -20(70,107) -10(173,34) 0(304,8) "
                                       "10(426,33) 20(526,107) 30(588,216) 40(600,341)"},
                    // The outermost labels stand at +-3000 counts, inside the ends of the arc.
                    LabelCase{kClass34, "-30(-6,282) -20(42,143) -10(153,44) 0(304,8) "
                                        "10(446,43) 20(554,143) 30(602,282)"},
                    LabelCase{kClass6, "-60(-3,341) -45(8,216) -30(70,107) -15(173,34) 0(304,8) "
                                       "15(426,33) 30(526,107) 45(588,216) 60(601,341)"}),
    [](const testing::TestParamInfo<LabelCase> &info) { return className(info.param.scale); });

struct TickCase {
    ScaleClass scale;
    std::size_t count;
    ScaleColour colour;
};

class ScaleGeometryTicks : public testing::TestWithParam<TickCase> {};

TEST_P(ScaleGeometryTicks, MajorDotsPerCountClass)
{
    const TickCase &c = GetParam();
    const auto dial = ScaleGeometry(kPanelWidth, kPanelHeight).dial(c.scale, {});
    ASSERT_TRUE(dial);
    const auto ticks = marksOf(*dial, DialMark::TickDot);
    EXPECT_EQ(ticks.size(), c.count);
    bool atTop = false;
    for (const DialPrimitive &t : ticks) {
        EXPECT_EQ(t.colour, c.colour);
        atTop = atTop || t.at == ScalePoint{307, 24};
    }
    EXPECT_TRUE(atTop) << "every class has a major dot at zero";
}

INSTANTIATE_TEST_SUITE_P(CountClasses, ScaleGeometryTicks,
                         testing::Values(TickCase{kClass4, 9, ScaleColour::White},
                                         TickCase{kClass34, 7, ScaleColour::Red},
                                         TickCase{kClass6, 9, ScaleColour::Red}),
                         [](const testing::TestParamInfo<TickCase> &info) {
                             return className(info.param.scale);
                         });

TEST(ScaleGeometry, LabelsAndTicksComeBeforeTheFineDots)
{
    const auto dial = ScaleGeometry(kPanelWidth, kPanelHeight).dial(kClass4, {});
    ASSERT_TRUE(dial);
    ASSERT_EQ(dial->size(), 9u + 9u + 801u);
    EXPECT_EQ(dial->front().mark, DialMark::Label);
    EXPECT_EQ((*dial)[1].mark, DialMark::TickDot);
    EXPECT_EQ((*dial)[1].at, (ScalePoint{14, 347}));
    EXPECT_EQ((*dial)[18].mark, DialMark::FineDot);
    EXPECT_EQ((*dial)[18].at, (ScalePoint{17, 346}));
}

struct FineCase {
    const char *name;
    ScaleClass scale;
    ScaleMarks marks;
    std::vector<std::pair<std::int32_t, std::int32_t>> redRanges; // inclusive j ranges
};

class ScaleGeometryFineDots : public testing::TestWithParam<FineCase> {};

TEST_P(ScaleGeometryFineDots, RedBeyondMarkedLimits)
{
    const FineCase &c = GetParam();
    const auto dial = ScaleGeometry(kPanelWidth, kPanelHeight).dial(c.scale, c.marks);
    ASSERT_TRUE(dial);
    const auto dots = marksOf(*dial, DialMark::FineDot);
    ASSERT_EQ(dots.size(), static_cast<std::size_t>(c.scale.ScaleSpan * 10 + 1));
    for (std::int32_t j = 0; j < static_cast<std::int32_t>(dots.size()); ++j) {
        bool red = false;
        for (const auto &[first, last] : c.redRanges)
            red = red || (j >= first && j <= last);
        EXPECT_EQ(dots[static_cast<std::size_t>(j)].colour,
                  red ? ScaleColour::Red : ScaleColour::Black)
            << "j = " << j;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Limits, ScaleGeometryFineDots,
    testing::Values(FineCase{"HighMarked", kClass4, {2000, -4002, true, false}, {{601, 800}}},
                    FineCase{"HighUnmarked", kClass4, {2000, -4002, false, false}, {}},
                    FineCase{"HighBetweenDots", kClass4, {2005, -4002, true, false}, {{601, 800}}},
                    FineCase{"LowMarked", kClass4, {4002, -2000, false, true}, {{0, 199}}},
                    FineCase{
                        "BothMarked", kClass4, {2000, -2000, true, true}, {{0, 199}, {601, 800}}},
                    FineCase{"StartUpLimits", kClass4, {4002, -4002, true, true}, {}},
                    FineCase{"FullScaleIsNotBeyond", kClass34, {3400, -3400, true, true}, {}},
                    FineCase{"LowAt3000", kClass34, {3400, -3000, false, true}, {{0, 39}}},
                    FineCase{"HighAtZero", kClass6, {0, -6000, true, false}, {{601, 1200}}},
                    // Crossed limits: a dot may be beyond both, and is red once.
                    FineCase{"Crossed", kClass4, {-100, 100, true, true}, {{0, 800}}}),
    [](const testing::TestParamInfo<FineCase> &info) { return std::string(info.param.name); });

} // namespace
} // namespace vireo
