#pragma once

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>

namespace vireo::test {

// Central European time as a rule rather than a zone file: daylight saving time from the last
// Sunday of March, 02:00, to the last Sunday of October, 03:00.
inline constexpr const char *CentralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";

// Sets an environment variable for the life of a test, and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const char *value) : m_name(name)
    {
        const char *old = std::getenv(name);
        m_hadOld = old != nullptr;
        m_old = m_hadOld ? old : "";
        if (value != nullptr)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() { restore(); }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

    void restore()
    {
        if (m_hadOld)
            ::setenv(m_name, m_old.c_str(), 1);
        else
            ::unsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_hadOld;
    std::string m_old;
};

// The C library reads TZ when told to; the old zone is read again at the end.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char *rule) : m_env("TZ", rule) { ::tzset(); }
    ~ScopedTimeZone()
    {
        m_env.restore();
        ::tzset();
    }
    ScopedTimeZone(const ScopedTimeZone &) = delete;
    ScopedTimeZone &operator=(const ScopedTimeZone &) = delete;

private:
    ScopedEnv m_env;
};

inline std::string readAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace vireo::test
