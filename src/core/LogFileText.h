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

// The same file built in pieces, so that a long log can be written a slice at a time: the
// header line, then the lines of the rows [first, end).
void appendLogTextHeader(std::string &out);
void appendLogTextRows(const LogTable &table, std::size_t first, std::size_t end, std::string &out);
// One row's line as it comes, for files that grow while readings are logged.
void appendLogTextRow(const LogRow &row, std::string &out);

// Appends the rows of a tab-separated log file to the table. The first line is the header and
// is never stored, whatever it holds. Returns false when the file has no header line, or at
// the first line that does not make a row (more than six pieces, or a number that does not
// convert, an empty line included); the rows of earlier lines stay in the table.
[[nodiscard]] bool loadLogText(std::span<const std::uint8_t> bytes, LogTable &table);

// loadLogText() a slice of lines at a time, for files too long to read in one go without
// leaving the user staring at a frozen window. The bytes must outlive the loader.
class LogTextLoader {
public:
    explicit LogTextLoader(std::span<const std::uint8_t> bytes);

    // Stores up to maxLines further lines into the table; true while lines are left.
    bool step(LogTable &table, std::size_t maxLines);
    // Whether every line read so far made a row (and the file had a header line).
    bool ok() const { return m_ok; }
    std::size_t bytesRead() const { return m_total - m_text.size(); }

private:
    std::string_view m_text;
    std::size_t m_total = 0;
    bool m_ok = true;
    std::vector<std::string_view> m_pieces;
};

// Splits the text at every delimiter, replacing the content of pieces. There is always one
// piece more than there are delimiters, empty ones included.
void SplitText(std::string_view text, char delimiter, std::vector<std::string_view> &pieces);

} // namespace vireo
