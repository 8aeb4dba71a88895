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

// Sets an environment variable (or unsets it, for nullptr) for the life of a test; the time
// zone is read again on both ends.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const char *value)
        : m_name(name), m_hadOld(std::getenv(name) != nullptr),
          m_old(m_hadOld ? std::getenv(name) : "")
    {
        set(value);
    }
    ~ScopedEnv() { set(m_hadOld ? m_old.c_str() : nullptr); }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    void set(const char *value)
    {
        value != nullptr ? ::setenv(m_name, value, 1) : ::unsetenv(m_name);
        ::tzset();
    }

    const char *m_name;
    bool m_hadOld;
    std::string m_old;
};

inline std::string readAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace vireo::test
