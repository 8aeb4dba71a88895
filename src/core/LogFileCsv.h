#pragma once

#include "core/LogTable.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vireo {

// The log as CSV for spreadsheets and scripts, with a date on every row; also the form of the
// recovery file. UTF-8 without byte-order mark, CR LF after every line, a header line, then one
// line per row. A field holding a comma, a double quote, CR or LF is put in double quotes, its
// quotes doubled; nothing else is quoted.
//
//   No         the record number, empty when the row has none
//   Date-Time  2026-12-09T17:42:03.125+01:00, empty when the row has no date
//   Time       the time text as logged
//   DC/AC      as logged
//   Value      the display text as logged, decimal separator and overload form included
//   Number     the value with "." as decimal point; empty when it is no number (overload)
//   Unit       as people write it (kΩ, °C, µA) rather than in the LCD font's codes
//   Auto       as logged
//   Verdict    Pass, Fail, or empty when the row was not judged
//
// Texts of the single-byte code page (rows loaded from old files) are written as UTF-8.
inline constexpr std::string_view LogCsvHeader =
    "No,Date-Time,Time,DC/AC,Value,Number,Unit,Auto,Verdict";
inline constexpr std::size_t LogCsvColumnCount = 9;

// The unit as people write it for a unit text in the LCD font's codes ("k*" gives "kΩ"), and
// back; a text that is neither stays as it is.
std::string_view writtenUnit(std::string_view unitCode);
std::string_view unitCode(std::string_view writtenUnit);

// The Value text as a plain number with "." as decimal point, read with the given decimal
// separator; nothing when it does not convert.
void appendPlainNumber(std::string_view value, std::string_view decimalSep, std::string &out);

void appendLogCsvHeader(std::string &out);
// One row as it comes, for files that grow while readings are logged.
void appendLogCsvRow(const LogRow &row, std::string_view decimalSep, std::string &out);
// The rows [first, end) of a table, so that a long log can be written a slice at a time.
void appendLogCsvRows(const LogTable &table, std::size_t first, std::size_t end,
                      std::string_view decimalSep, std::string &out);
std::string saveLogCsv(const LogTable &table, std::string_view decimalSep);

// Reads such a file a row at a time or a slice of rows at a time, so that millions of rows load
// without freezing the window. A byte-order mark and bare LF line ends (as other programs may
// write) are accepted. Reading stops at the first record that is damaged: a header other than
// the one above, a line of other than nine fields, a number, date or verdict that does not
// read, a bare CR, or a last line without its line end (a file cut by a crash or a power cut).
// The rows before it stay read. The bytes must outlive the reader.
class LogCsvReader {
public:
    explicit LogCsvReader(std::span<const std::uint8_t> bytes);

    // The next row; its texts stay valid until the next call. False at the end of the file or
    // at damage.
    bool next(LogRow &row);
    // Appends up to maxRows further rows to the table; true while rows are left.
    bool step(LogTable &table, std::size_t maxRows);

    bool atEnd() const { return m_damaged || m_at == m_text.size(); }
    // Whether everything read so far was whole: the header, and every record up to here.
    bool ok() const { return !m_damaged; }
    std::size_t rowsRead() const { return m_rows; }
    // Bytes up to the end of the last row read (of the header before the first).
    std::size_t bytesRead() const { return m_at; }

private:
    // Splits the record at m_at into m_fields; false when it is not whole.
    bool readRecord(std::size_t &end);
    bool fail();

    std::string_view m_text;
    std::size_t m_at = 0;
    std::size_t m_rows = 0;
    bool m_damaged = false;
    std::size_t m_fieldCount = 0;
    std::array<std::string_view, LogCsvColumnCount> m_fields;
    // Quoted fields are unquoted into these.
    std::array<std::string, LogCsvColumnCount> m_unquoted;
};

struct LogCsvLoad {
    std::size_t rows = 0;
    // False when reading stopped at damage; the rows before it are in the table.
    bool complete = false;
};

LogCsvLoad loadLogCsv(std::span<const std::uint8_t> bytes, LogTable &table);

} // namespace vireo
