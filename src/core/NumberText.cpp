#include "core/NumberText.h"

#include <charconv>
#include <limits>

namespace vireo {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// Copies a run of digits to out and returns how many there were.
std::size_t takeDigits(std::string_view &text, std::string &out)
{
    std::size_t count = 0;
    while (count < text.size() && isDigit(text[count]))
        ++count;
    out.append(text.substr(0, count));
    text.remove_prefix(count);
    return count;
}

} // namespace

std::optional<double> textToFloat(std::string_view text, std::string_view decimalSep)
{
    text = trimBlanks(text);
    // The text is rewritten in the one form from_chars reads: '.' as separator, no '+'.
    std::string plain;
    plain.reserve(text.size() + 1);
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        if (text.front() == '-')
            plain.push_back('-');
        text.remove_prefix(1);
    }
    std::size_t mantissaDigits = takeDigits(text, plain);
    if (!decimalSep.empty() && text.starts_with(decimalSep)) {
        text.remove_prefix(decimalSep.size());
        plain.push_back('.');
        mantissaDigits += takeDigits(text, plain);
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (!text.empty() && (text.front() == 'e' || text.front() == 'E')) {
        text.remove_prefix(1);
        plain.push_back('e');
        if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
            plain.push_back(text.front());
            text.remove_prefix(1);
        }
        if (takeDigits(text, plain) == 0)
            return std::nullopt;
    }
    if (!text.empty())
        return std::nullopt;

    // Numbers beyond the range of a double (either way) do not convert.
    double value = 0;
    const char *end = plain.data() + plain.size();
    const auto [ptr, ec] = std::from_chars(plain.data(), end, value);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

std::optional<std::int32_t> textToInt32(std::string_view text)
{
    text = trimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (const char c : text) {
        if (!isDigit(c))
            return std::nullopt;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > limit)
            return std::nullopt;
    }
    if (!negative && magnitude == limit)
        return std::nullopt;
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::optional<std::int32_t> entryTextToInt32(std::string_view text)
{
    if (text.empty() || text == "-" || text == "+")
        return 0;
    return textToInt32(text);
}

std::string invalidIntegerMessage(std::string_view text)
{
    std::string message;
    message.reserve(text.size() + 32);
    message += '\'';
    message += text;
    message += "' is not a valid integer value";
    return message;
}

} // namespace vireo
