#include "core/Judgement.h"

#include "core/NumberText.h"

namespace vireo {

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

} // namespace vireo
