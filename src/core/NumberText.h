#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vireo {

// Every place where the program turns a text typed by the user or read from a log file into a
// number goes through these, so that the decimal separator and the accepted forms are the same
// everywhere.

// A decimal number: optional surrounding blanks, optional sign, digits with at most one
// decimal separator, optional exponent. No thousands separators. An empty separator admits
// whole numbers only. Overload texts such as "0L" or ",0L" do not convert, nor do numbers
// beyond the range of a double.
std::optional<double> textToFloat(std::string_view text, std::string_view decimalSep);

// A decimal 32-bit integer: optional surrounding blanks, optional sign, digits.
std::optional<std::int32_t> textToInt32(std::string_view text);

// Integer entry boxes where the user may have typed nothing yet, or only a sign: those read as
// 0; anything else must be a valid 32-bit integer.
std::optional<std::int32_t> entryTextToInt32(std::string_view text);

// The error text shown when an integer text does not convert.
std::string invalidIntegerMessage(std::string_view text);

} // namespace vireo
