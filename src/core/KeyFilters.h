#pragma once

#include <string_view>

namespace vireo {

inline constexpr char32_t BackspaceKey = 8;

// Key filters of the edit boxes: whether a typed character reaches the box.
// Sampling interval and page size: digits and backspace.
bool intervalKeyAccepted(char32_t key);
// Judgement limits: digits, backspace, signs and the first character of the decimal separator.
bool limitKeyAccepted(char32_t key, std::string_view decimalSep);
// Scale limits: digits, backspace and signs.
bool scaleLimitKeyAccepted(char32_t key);

} // namespace vireo
