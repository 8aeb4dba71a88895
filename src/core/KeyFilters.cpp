#include "core/KeyFilters.h"

namespace vireo {

namespace {

bool isDigitKey(char32_t key)
{
    return key >= U'0' && key <= U'9';
}

// The first character of a UTF-8 text, or 0 when there is none or it is malformed.
char32_t firstCharacter(std::string_view text)
{
    if (text.empty())
        return 0;
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80)
        return lead;
    std::size_t length = 0;
    char32_t value = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (next & 0x3F);
    }
    return value;
}

} // namespace

bool intervalKeyAccepted(char32_t key)
{
    return isDigitKey(key) || key == BackspaceKey;
}

bool limitKeyAccepted(char32_t key, std::string_view decimalSep)
{
    if (isDigitKey(key) || key == BackspaceKey || key == U'+' || key == U'-')
        return true;
    const char32_t separator = firstCharacter(decimalSep);
    return separator != 0 && key == separator;
}

bool scaleLimitKeyAccepted(char32_t key)
{
    return isDigitKey(key) || key == BackspaceKey || key == U'+' || key == U'-';
}

} // namespace vireo
