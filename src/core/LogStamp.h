#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vireo {

// The moment a row was logged: the instant, and the offset of the local clock from UTC then,
// so that the local date and time the user saw can be shown again in any later time zone.
struct LogStamp {
    std::int64_t utcMs = 0;
    std::int16_t offsetMinutes = 0;

    friend bool operator==(const LogStamp &, const LogStamp &) = default;
};

// Local date and time with milliseconds and the offset, as ISO 8601 writes it and spreadsheets
// and scripts read it: 2026-12-09T17:42:03.125+01:00. The offset is always written as a
// number, "+00:00" included, so that every row reads the same way.
void appendIsoDateTime(const LogStamp &stamp, std::string &out);
std::string isoDateTime(const LogStamp &stamp);

// Reads what appendIsoDateTime() writes, and the forms other programs write for it: a blank
// instead of the "T", no or up to nine fraction digits (cut to milliseconds), and "Z" for UTC.
// Years 0000 to 9999; a date or time that does not exist, or no offset, does not read.
std::optional<LogStamp> parseIsoDateTime(std::string_view text);

} // namespace vireo
