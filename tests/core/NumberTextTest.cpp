#include "core/NumberText.h"

#include "ParamName.h"
#include <gtest/gtest.h>

#include <optional>

namespace vireo {
namespace {

struct FloatCase {
    const char *text;
    const char *sep;
    std::optional<double> expected;
};

class TextToFloat : public testing::TestWithParam<FloatCase> {};

TEST_P(TextToFloat, Converts)
{
    const FloatCase &c = GetParam();
    const auto value = textToFloat(c.text, c.sep);
    ASSERT_EQ(value.has_value(), c.expected.has_value()) << '"' << c.text << '"';
    if (value) {
        EXPECT_DOUBLE_EQ(*value, *c.expected) << '"' << c.text << '"';
    }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, TextToFloat,
    testing::Values(FloatCase{"1.234", ".", 1.234}, FloatCase{"1,234", ",", 1.234},
                    FloatCase{"1,234", ".", std::nullopt}, FloatCase{"1.234", ",", std::nullopt},
                    FloatCase{"-0.012", ".", -0.012}, FloatCase{"+5", ".", 5.0},
                    FloatCase{"  42  ", ".", 42.0}, FloatCase{"1.", ".", 1.0},
                    FloatCase{".5", ".", 0.5}, FloatCase{"1.5e3", ".", 1500.0},
                    FloatCase{"1,5E-2", ",", 0.015}, FloatCase{"2e+2", ".", 200.0},
                    FloatCase{"6000", "", 6000.0}, FloatCase{"1.5", "", std::nullopt},
                    FloatCase{"", ".", std::nullopt}, FloatCase{"-", ".", std::nullopt},
                    FloatCase{"+", ".", std::nullopt}, FloatCase{".", ".", std::nullopt},
                    FloatCase{"0L", ".", std::nullopt}, FloatCase{",0L", ",", std::nullopt},
                    FloatCase{"-.0L", ".", std::nullopt}, FloatCase{"1.2.3", ".", std::nullopt},
                    FloatCase{"1,000.5", ".", std::nullopt}, FloatCase{"1e", ".", std::nullopt},
                    FloatCase{"1e+", ".", std::nullopt}, FloatCase{"- 1", ".", std::nullopt},
                    FloatCase{"\t1", ".", std::nullopt}, FloatCase{"1e999", ".", std::nullopt},
                    FloatCase{"0x10", ".", std::nullopt}, FloatCase{"nan", ".", std::nullopt},
                    FloatCase{"inf", ".", std::nullopt},
                    FloatCase{"1\xC2\xB7"
                              "5",
                              "\xC2\xB7", 1.5}),
    [](const testing::TestParamInfo<FloatCase> &info) {
        return test::paramName({info.param.text, info.param.sep});
    });

struct IntCase {
    const char *text;
    std::optional<std::int32_t> expected;
};

class TextToInt32 : public testing::TestWithParam<IntCase> {};

TEST_P(TextToInt32, Converts)
{
    EXPECT_EQ(textToInt32(GetParam().text), GetParam().expected) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Forms, TextToInt32,
    testing::Values(IntCase{"0", 0}, IntCase{"17", 17}, IntCase{"-17", -17}, IntCase{"+17", 17},
                    IntCase{" 7 ", 7}, IntCase{"007", 7}, IntCase{"2147483647", 2147483647},
                    IntCase{"-2147483648", INT32_MIN}, IntCase{"2147483648", std::nullopt},
                    IntCase{"-2147483649", std::nullopt},
                    IntCase{"99999999999999999999", std::nullopt}, IntCase{"", std::nullopt},
                    IntCase{"-", std::nullopt}, IntCase{"1.0", std::nullopt},
                    IntCase{"1a", std::nullopt}, IntCase{"$10", std::nullopt},
                    IntCase{"1 2", std::nullopt}),
    [](const testing::TestParamInfo<IntCase> &info) { return test::paramName({info.param.text}); });

TEST(EntryTextToInt32, NothingOrALoneSignIsZero)
{
    EXPECT_EQ(entryTextToInt32(""), 0);
    EXPECT_EQ(entryTextToInt32("-"), 0);
    EXPECT_EQ(entryTextToInt32("+"), 0);
    EXPECT_EQ(entryTextToInt32("12"), 12);
    EXPECT_EQ(entryTextToInt32("--"), std::nullopt);
    EXPECT_EQ(entryTextToInt32(" "), std::nullopt);
}

TEST(InvalidIntegerMessage, QuotesTheText)
{
    EXPECT_EQ(invalidIntegerMessage("12x"), "'12x' is not a valid integer value");
    EXPECT_EQ(invalidIntegerMessage(""), "'' is not a valid integer value");
}

} // namespace
} // namespace vireo
