#pragma once

#include <optional>
#include <string_view>

namespace vireo {

enum class Verdict { Pass, Fail };

// Limits used while a limit text does not convert.
inline constexpr double DefaultHighLimit = 6000;
inline constexpr double DefaultLowLimit = -6000;
// What an unusable limit text is replaced with once the user has stopped typing.
inline constexpr std::string_view RepairedHighLimitText = "5999";
inline constexpr std::string_view RepairedLowLimitText = "-5999";

// Pass/Fail of a logged value against the limit texts. A value that is no number (an overload
// reading) fails; both limits are inclusive; the value is compared exactly as displayed.
Verdict judge(std::string_view valueText, std::string_view highText, std::string_view lowText,
              std::string_view decimalSep);

// The replacement for a limit text that does not convert, or nothing when it converts.
std::optional<std::string_view> repairedHighLimit(std::string_view text,
                                                  std::string_view decimalSep);
std::optional<std::string_view> repairedLowLimit(std::string_view text,
                                                 std::string_view decimalSep);

} // namespace vireo
