#include "core/TextEncoding.h"

#include <gtest/gtest.h>

namespace vireo {
namespace {

TEST(TextEncoding, TellsWellFormedUtf8FromEverythingElse)
{
    for (const std::string_view good : {"", "1,234 V", "\xC2\xB5V", "\xE2\x82\xAC",
                                        "\xF0\x9F\x98\x80", "\xEF\xBF\xBF", "\xF4\x8F\xBF\xBF"})
        EXPECT_TRUE(isValidUtf8(good)) << good;
    for (const std::string_view bad : {"\xB5V", // a Windows-1252 micro sign
                                       "25\xB0"
                                       "C",                // a Windows-1252 degree sign
                                       "\xC2",             // cut short
                                       "\xE2\x82",         // cut short
                                       "\xC0\xAF",         // overlong slash
                                       "\xE0\x80\xAF",     // overlong slash
                                       "\xED\xA0\x80",     // a surrogate
                                       "\xF4\x90\x80\x80", // beyond U+10FFFF
                                       "\xF8\x88\x80\x80\x80", "\x80", "\xC2\x41"})
        EXPECT_FALSE(isValidUtf8(bad)) << bad;
}

TEST(TextEncoding, ReadsWindows1252WhereTheBytesAreNotUtf8)
{
    EXPECT_EQ(windows1252ToUtf8("\xB5V"), "\xC2\xB5V");
    EXPECT_EQ(windows1252ToUtf8("25\xB0"
                                "C"),
              "25\xC2\xB0"
              "C");
    EXPECT_EQ(windows1252ToUtf8("\x80\x9F\xFF"), "\xE2\x82\xAC\xC5\xB8\xC3\xBF");
    // Unassigned bytes keep their number as a control character.
    EXPECT_EQ(windows1252ToUtf8("\x81\x8D\x8F\x90\x9D"),
              "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");

    EXPECT_EQ(displayUtf8("\xC2\xB5V"), "\xC2\xB5V");
    EXPECT_EQ(displayUtf8("\xB5V"), "\xC2\xB5V");
    EXPECT_EQ(displayUtf8("AUTO"), "AUTO");
    // One stray byte makes the whole text Windows-1252, as the file it came from was.
    EXPECT_EQ(displayUtf8("\xC2\xB5\xB0"), "\xC3\x82\xC2\xB5\xC2\xB0");
}

} // namespace
} // namespace vireo
