#include "core/LogStamp.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace vireo {

namespace {

using namespace std::chrono;

constexpr std::int64_t MsPerDay = 86'400'000;
constexpr std::int64_t MsPerMinute = 60'000;

// The first and last millisecond of the years 0000 to 9999, the years four digits can write.
constexpr std::int64_t FirstMs =
    sys_days(year(0) / January / 1).time_since_epoch().count() * MsPerDay;
constexpr std::int64_t LastMs =
    sys_days(year(9999) / December / 31).time_since_epoch().count() * MsPerDay + MsPerDay - 1;

// Writes the value's last `width` digits and returns the place after them.
char *putDigits(char *place, std::int64_t value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        place[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return place + width;
}

// Reads exactly `width` digits from the front of the text.
std::optional<int> takeNumber(std::string_view &text, std::size_t width)
{
    if (text.size() < width)
        return std::nullopt;
    int value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    text.remove_prefix(width);
    return value;
}

bool takeChar(std::string_view &text, char c)
{
    if (text.empty() || text.front() != c)
        return false;
    text.remove_prefix(1);
    return true;
}

} // namespace

void appendIsoDateTime(const LogStamp &stamp, std::string &out)
{
    // A clock gives instants far inside the years four digits can write; anything beyond them
    // is written as their first or last moment rather than as a date no reader accepts.
    const std::int64_t local = std::clamp(stamp.utcMs, FirstMs - MsPerDay, LastMs + MsPerDay) +
                               std::int64_t{stamp.offsetMinutes} * MsPerMinute;
    const sys_time<milliseconds> moment{milliseconds(std::clamp(local, FirstMs, LastMs))};
    const sys_days dayStart = floor<days>(moment);
    const std::int64_t inDay = (moment - dayStart).count();
    const year_month_day date{dayStart};

    const int offset = std::abs(stamp.offsetMinutes);
    char text[32];
    char *p = putDigits(text, int(date.year()), 4);
    *p++ = '-';
    p = putDigits(p, unsigned(date.month()), 2);
    *p++ = '-';
    p = putDigits(p, unsigned(date.day()), 2);
    *p++ = 'T';
    p = putDigits(p, inDay / 3'600'000, 2);
    *p++ = ':';
    p = putDigits(p, inDay / MsPerMinute % 60, 2);
    *p++ = ':';
    p = putDigits(p, inDay / 1000 % 60, 2);
    *p++ = '.';
    p = putDigits(p, inDay % 1000, 3);
    *p++ = stamp.offsetMinutes < 0 ? '-' : '+';
    p = putDigits(p, offset / 60, 2);
    *p++ = ':';
    p = putDigits(p, offset % 60, 2);
    out.append(text, p);
}

std::string isoDateTime(const LogStamp &stamp)
{
    std::string out;
    appendIsoDateTime(stamp, out);
    return out;
}

std::optional<LogStamp> parseIsoDateTime(std::string_view text)
{
    const auto y = takeNumber(text, 4);
    if (!y || !takeChar(text, '-'))
        return std::nullopt;
    const auto mo = takeNumber(text, 2);
    if (!mo || !takeChar(text, '-'))
        return std::nullopt;
    const auto d = takeNumber(text, 2);
    if (!d || !(takeChar(text, 'T') || takeChar(text, ' ')))
        return std::nullopt;
    const auto h = takeNumber(text, 2);
    if (!h || !takeChar(text, ':'))
        return std::nullopt;
    const auto mi = takeNumber(text, 2);
    if (!mi || !takeChar(text, ':'))
        return std::nullopt;
    const auto s = takeNumber(text, 2);
    if (!s)
        return std::nullopt;
    int ms = 0;
    if (takeChar(text, '.')) {
        std::size_t digits = 0;
        while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9')
            ++digits;
        if (digits == 0 || digits > 9)
            return std::nullopt;
        for (std::size_t i = 0; i < 3; ++i)
            ms = ms * 10 + (i < digits ? text[i] - '0' : 0);
        text.remove_prefix(digits);
    }
    int offset = 0;
    if (!takeChar(text, 'Z')) {
        const bool negative = !text.empty() && text.front() == '-';
        if (!takeChar(text, '+') && !takeChar(text, '-'))
            return std::nullopt;
        const auto oh = takeNumber(text, 2);
        if (!oh || !takeChar(text, ':'))
            return std::nullopt;
        const auto om = takeNumber(text, 2);
        if (!om || *oh > 23 || *om > 59)
            return std::nullopt;
        offset = (*oh * 60 + *om) * (negative ? -1 : 1);
    }
    if (!text.empty())
        return std::nullopt;

    const year_month_day date{year(*y), month(static_cast<unsigned>(*mo)),
                              day(static_cast<unsigned>(*d))};
    if (!date.ok() || *h > 23 || *mi > 59 || *s > 59)
        return std::nullopt;
    const std::int64_t local = sys_days(date).time_since_epoch().count() * MsPerDay +
                               ((*h * 60 + *mi) * 60 + *s) * std::int64_t{1000} + ms;
    return LogStamp{local - std::int64_t{offset} * MsPerMinute, static_cast<std::int16_t>(offset)};
}

} // namespace vireo
