#pragma once

#include "core/LogTable.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vireo {

// The tab-separated log file (".xls" and ".txt" hold the same bytes): a header line, then one
// line per row, TAB between columns, CR LF after every line, no quoting.
inline constexpr std::string_view LogTextHeader = "No.\tTime\tDC/AC\tValue\tUnit\tAuto";

std::string saveLogText(const LogTable &table);

// Appends the rows of a tab-separated log file to the table. The first line is the header and
// is never stored, whatever it holds. Returns false when the file has no header line, or at
// the first line that does not make a row (more than six pieces, or a number that does not
// convert, an empty line included); the rows of earlier lines stay in the table.
[[nodiscard]] bool loadLogText(std::span<const std::uint8_t> bytes, LogTable &table);

// Splits the text at every delimiter, replacing the content of pieces. There is always one
// piece more than there are delimiters, empty ones included.
void SplitText(std::string_view text, char delimiter, std::vector<std::string_view> &pieces);

} // namespace vireo
