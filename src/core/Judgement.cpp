#include "core/Judgement.h"

#include "core/NumberText.h"

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

Verdict judge(std::string_view valueText, std::string_view highText, std::string_view lowText,
              std::string_view decimalSep)
{
    const auto value = textToFloat(valueText, decimalSep);
    if (!value)
        return Verdict::Fail;
    const double high = textToFloat(highText, decimalSep).value_or(DefaultHighLimit);
    const double low = textToFloat(lowText, decimalSep).value_or(DefaultLowLimit);
    return (*value > high || *value < low) ? Verdict::Fail : Verdict::Pass;
}

std::optional<std::string_view> repairedHighLimit(std::string_view text,
                                                  std::string_view decimalSep)
{
    if (textToFloat(text, decimalSep))
        return std::nullopt;
    return RepairedHighLimitText;
}

std::optional<std::string_view> repairedLowLimit(std::string_view text, std::string_view decimalSep)
{
    if (textToFloat(text, decimalSep))
        return std::nullopt;
    return RepairedLowLimitText;
}

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
