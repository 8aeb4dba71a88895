#pragma once

#include "core/LogStamp.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vireo {

// When a row was logged: the date the table and files keep, and the time of day as the Time
// column shows it.
struct RowStamp {
    LogStamp dateTime;
    // "hh:mm:ss" with the caller's separator; valid until the next stamp.
    std::string_view time;
};

// Stamps rows with the wall clock, read once per row. Turning an instant into a local time of
// day costs more than the rest of a row, and a meter at line rate logs many rows a second, so
// the local time and offset are worked out once per second of the clock and kept. Not thread
// safe: one source per thread that logs.
class StampSource {
public:
    // Milliseconds since the epoch, UTC. Tests put a clock of their own in.
    using Clock = std::function<std::int64_t()>;

    StampSource();
    explicit StampSource(Clock clock);

    RowStamp now(std::string_view timeSeparator);

private:
    void breakDown(std::int64_t second);

    Clock m_clock;
    std::int64_t m_second;
    std::int16_t m_offsetMinutes = 0;
    int m_hour = 0, m_minute = 0, m_secondOfMinute = 0;
    std::string m_separator;
    std::string m_time;
};

} // namespace vireo
