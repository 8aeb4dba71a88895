#include "core/TimeFormat.h"

namespace vireo {

namespace {

// Bytes of the UTF-8 sequence a lead byte starts (1 for a stray continuation byte).
std::size_t sequenceLength(unsigned char lead)
{
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

bool isAsciiLetterOrDigit(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Where the first hour field starts, outside quoted text; npos when there is none.
std::size_t hourField(std::string_view format)
{
    bool quoted = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '\'')
            quoted = !quoted; // "''" is a quote sign: it toggles twice
        else if (!quoted && (format[i] == 'h' || format[i] == 'H'))
            return i;
    }
    return std::string_view::npos;
}

} // namespace

std::string timeSeparator(std::string_view format)
{
    const std::string fallback = ":";
    const std::size_t hour = hourField(format);
    if (hour == std::string_view::npos)
        return fallback;
    const std::size_t at = format.find_first_not_of("hH", hour);
    if (at == std::string_view::npos)
        return fallback;
    const std::string_view sign =
        format.substr(at, sequenceLength(static_cast<unsigned char>(format[at])));
    const std::size_t after = at + sign.size();
    if (after >= format.size() || format[after] != 'm')
        return fallback;
    if (sign.size() == 1 && (isAsciiLetterOrDigit(sign[0]) || sign[0] == '\'' || sign[0] == ' '))
        return fallback;
    return std::string(sign);
}

} // namespace vireo
