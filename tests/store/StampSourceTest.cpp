#include "store/StampSource.h"

#include "StoreTestSupport.h"

#include <gtest/gtest.h>

namespace vireo {
namespace {

TEST(StampSource, FollowsTheLocalClockAcrossMidnightAndDaylightSavingTime)
{
    const test::ScopedEnv zone("TZ", test::CentralEurope);
    std::int64_t now = 0;
    StampSource stamps([&now] { return now; });
    const struct {
        std::int64_t utcMs;
        std::string_view separator;
        std::string_view time;
        std::string_view iso;
    } cases[] = {
        {1774738799750, ":", "23:59:59", "2026-03-28T23:59:59.750+01:00"},
        {1774738800000, ":", "00:00:00", "2026-03-29T00:00:00.000+01:00"},
        // A new separator within the same second.
        {1774738800001, ".", "00.00.00", "2026-03-29T00:00:00.001+01:00"},
        {1774745999999, ":", "01:59:59", "2026-03-29T01:59:59.999+01:00"},
        {1774746000000, ":", "03:00:00", "2026-03-29T03:00:00.000+02:00"},
    };
    for (const auto &c : cases) {
        now = c.utcMs;
        const RowStamp stamp = stamps.now(c.separator);
        EXPECT_EQ(stamp.time, c.time);
        EXPECT_EQ(stamp.dateTime.utcMs, c.utcMs);
        EXPECT_EQ(isoDateTime(stamp.dateTime), c.iso);
    }
}

} // namespace
} // namespace vireo
