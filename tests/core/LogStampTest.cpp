#include "core/LogStamp.h"

#include <gtest/gtest.h>

namespace vireo {
namespace {

TEST(LogStamp, WritesLocalTimeWithOffsetAndReadsItBack)
{
    const std::pair<LogStamp, std::string_view> cases[] = {
        {{1796834523125, 60}, "2026-12-09T17:42:03.125+01:00"},
        {{1796834523125, 0}, "2026-12-09T16:42:03.125+00:00"},
        {{1796834523125, -330}, "2026-12-09T11:12:03.125-05:30"},
        // Before the epoch, milliseconds still count forward within their second.
        {{-1, 0}, "1969-12-31T23:59:59.999+00:00"},
        {{951782400000, 0}, "2000-02-29T00:00:00.000+00:00"},
    };
    for (const auto &[stamp, text] : cases) {
        EXPECT_EQ(isoDateTime(stamp), text);
        EXPECT_EQ(parseIsoDateTime(text), stamp) << text;
    }
}

TEST(LogStamp, ReadsOtherProgramsFormsAndRejectsWhatIsNoMoment)
{
    const std::pair<std::string_view, std::optional<LogStamp>> cases[] = {
        {"2026-12-09 17:42:03+01:00", LogStamp{1796834523000, 60}},
        {"2026-12-09T16:42:03.1259Z", LogStamp{1796834523125, 0}},
        {"2026-12-09T17:42:03.1+01:00", LogStamp{1796834523100, 60}},
        {"2026-12-09T17:42:03.125", std::nullopt},
        {"2026-02-29T00:00:00+00:00", std::nullopt},
        {"2026-12-09T24:00:00+00:00", std::nullopt},
        {"2026-12-09T17:42:60+00:00", std::nullopt},
        {"2026-12-09T17:42:03.+01:00", std::nullopt},
        {"2026-12-09T17:42:03.1234567890+01:00", std::nullopt},
        {"2026-12-09T17:42:03+24:00", std::nullopt},
        {"2026-12-09T17:42:03+01:00 ", std::nullopt},
        {"26-12-09T17:42:03+01:00", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto &[text, stamp] : cases)
        EXPECT_EQ(parseIsoDateTime(text), stamp) << text;
}

} // namespace
} // namespace vireo
