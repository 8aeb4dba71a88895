#include "core/KeyFilters.h"

#include <gtest/gtest.h>

namespace vireo {
namespace {

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
