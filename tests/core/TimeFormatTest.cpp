#include "core/TimeFormat.h"

#include <gtest/gtest.h>

namespace vireo {
namespace {

TEST(TimeSeparator, IsTheSignBetweenHourAndMinuteFields)
{
    const struct {
        const char *format;
        const char *separator;
    } cases[] = {
        {"HH:mm", ":"},
        {"h:mm AP", ":"},
        {"H.mm", "."},
        {"HH.mm.ss", "."},
        {"HH 'h' mm", ":"}, // a quoted word between the fields is no separator
        {"HH'h'mm", ":"},
        {"'kl'. HH.mm", "."}, // a quoted word before the fields
        {"'h' H:mm", ":"},
        {"AP h:mm", ":"},
        {"HH mm", ":"},
        {"HHmm", ":"},
        {"HH\xE2\x88\xB6mm", "\xE2\x88\xB6"}, // a ratio sign, three bytes of UTF-8
        {"mm:ss", ":"},
        {"", ":"},
        {"HH:", ":"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(timeSeparator(c.format), c.separator) << '"' << c.format << '"';
}

} // namespace
} // namespace vireo
