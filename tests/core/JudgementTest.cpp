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

} // namespace
} // namespace vireo
