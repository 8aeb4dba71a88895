#include "core/Judgement.h"

#include "ParamName.h"
#include <gtest/gtest.h>

namespace vireo {
namespace {

struct JudgeCase {
    const char *value;
    const char *high;
    const char *low;
    const char *sep;
    Verdict expected;
};

class Judge : public testing::TestWithParam<JudgeCase> {};

TEST_P(Judge, Verdict)
{
    const JudgeCase &c = GetParam();
    EXPECT_EQ(judge(c.value, c.high, c.low, c.sep), c.expected)
        << c.value << " in [" << c.low << ", " << c.high << "]";
}

constexpr Verdict Pass = Verdict::Pass;
constexpr Verdict Fail = Verdict::Fail;

INSTANTIATE_TEST_SUITE_P(
    Limits, Judge,
    testing::Values(
        JudgeCase{"1.234", "6000", "-6000", ".", Pass},
        JudgeCase{"-3999", "6000", "-6000", ".", Pass},
        // Both limits are inclusive.
        JudgeCase{"1.500", "1.5", "-6000", ".", Pass},
        JudgeCase{"1.501", "1.5", "-6000", ".", Fail}, JudgeCase{"-2.000", "6000", "-2", ".", Pass},
        JudgeCase{"-2.001", "6000", "-2", ".", Fail},
        // Decimal comma: value and limits are read with the locale's separator.
        JudgeCase{"1,500", "1,5", "-1,5", ",", Pass}, JudgeCase{"1,501", "1,5", "-1,5", ",", Fail},
        // Overload and other texts that are no number always fail.
        JudgeCase{"0L", "6000", "-6000", ".", Fail}, JudgeCase{",0L", "6000", "-6000", ",", Fail},
        JudgeCase{"-.0L", "6000", "-6000", ".", Fail}, JudgeCase{"", "6000", "-6000", ".", Fail},
        // Limit texts that do not convert count as 6000 and -6000.
        JudgeCase{"5999.9", "-", "-6000", ".", Pass}, JudgeCase{"6000.1", "", "", ".", Fail},
        JudgeCase{"-6000", "x", "", ".", Pass}, JudgeCase{"-6000.1", "6000", "+", ".", Fail},
        // A low limit above the high limit fails every number.
        JudgeCase{"5", "1", "10", ".", Fail}, JudgeCase{"0", "-1", "1", ".", Fail}),
    [](const testing::TestParamInfo<JudgeCase> &info) {
        const JudgeCase &c = info.param;
        return test::paramName({c.value, c.low, c.high, c.sep});
    });

TEST(LimitRepair, OnlyTextsThatDoNotConvertAreReplaced)
{
    EXPECT_EQ(repairedHighLimit("-", "."), "5999");
    EXPECT_EQ(repairedHighLimit("", "."), "5999");
    EXPECT_EQ(repairedHighLimit("1,5", "."), "5999");
    EXPECT_EQ(repairedHighLimit("1,5", ","), std::nullopt);
    EXPECT_EQ(repairedHighLimit("+12", "."), std::nullopt);
    EXPECT_EQ(repairedLowLimit("", "."), "-5999");
    EXPECT_EQ(repairedLowLimit("--1", "."), "-5999");
    EXPECT_EQ(repairedLowLimit("-1.5", "."), std::nullopt);
}

TEST(KeyFilters, AdmitOnlyTheirCharacters)
{
    struct Case {
        char32_t key;
        bool interval;
        bool limitPoint;
        bool limitComma;
        bool scale;
    };
    const Case cases[] = {
        {U'0', true, true, true, true},          {U'9', true, true, true, true},
        {U'\b', true, true, true, true},         {U'+', false, true, true, true},
        {U'-', false, true, true, true},         {U'.', false, true, false, false},
        {U',', false, false, true, false},       {U'a', false, false, false, false},
        {U'e', false, false, false, false},      {U' ', false, false, false, false},
        {U'\r', false, false, false, false},     {0, false, false, false, false},
        {U'\u0660', false, false, false, false}, {U'\u0130', false, false, false, false},
    };
    for (const Case &c : cases) {
        const auto code = static_cast<unsigned>(c.key);
        EXPECT_EQ(intervalKeyAccepted(c.key), c.interval) << code;
        EXPECT_EQ(limitKeyAccepted(c.key, "."), c.limitPoint) << code;
        EXPECT_EQ(limitKeyAccepted(c.key, ","), c.limitComma) << code;
        EXPECT_EQ(scaleLimitKeyAccepted(c.key), c.scale) << code;
    }
    // Only the first character of a longer separator is a key of its own.
    EXPECT_TRUE(limitKeyAccepted(U'\u066B', "\xD9\xAB"));
    EXPECT_FALSE(limitKeyAccepted(U'\xD9', "\xD9\xAB"));
    EXPECT_FALSE(limitKeyAccepted(0, ""));
}

} // namespace
} // namespace vireo
