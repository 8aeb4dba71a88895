#include "store/StampSource.h"

#include <chrono>
#include <ctime>
#include <limits>

namespace vireo {

namespace {

std::int64_t systemMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

void appendTwoDigits(std::string &out, int value)
{
    out.push_back(static_cast<char>('0' + value / 10));
    out.push_back(static_cast<char>('0' + value % 10));
}

} // namespace

StampSource::StampSource() : StampSource(systemMs) {}

StampSource::StampSource(Clock clock)
    : m_clock(std::move(clock)), m_second(std::numeric_limits<std::int64_t>::min())
{
}

void StampSource::breakDown(std::int64_t second)
{
    const auto when = static_cast<std::time_t>(second);
    std::tm local{};
    if (::localtime_r(&when, &local) == nullptr)
        return;
    m_offsetMinutes = static_cast<std::int16_t>(local.tm_gmtoff / 60);
    m_hour = local.tm_hour;
    m_minute = local.tm_min;
    // A leap second shows as the last second of its minute.
    m_secondOfMinute = local.tm_sec > 59 ? 59 : local.tm_sec;
}

RowStamp StampSource::now(std::string_view timeSeparator)
{
    const std::int64_t ms = m_clock();
    const std::int64_t second = ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
    if (second != m_second || timeSeparator != m_separator) {
        if (second != m_second)
            breakDown(second);
        m_second = second;
        m_separator = timeSeparator;
        m_time.clear();
        appendTwoDigits(m_time, m_hour);
        m_time += timeSeparator;
        appendTwoDigits(m_time, m_minute);
        m_time += timeSeparator;
        appendTwoDigits(m_time, m_secondOfMinute);
    }
    return {{ms, m_offsetMinutes}, m_time};
}

} // namespace vireo
