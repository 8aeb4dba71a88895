#include "core/LogFileCsv.h"

#include "core/NumberText.h"
#include "core/TextEncoding.h"

#include <charconv>
#include <limits>

namespace vireo {

namespace {

constexpr std::array<std::string_view, LogCsvColumnCount> ColumnTitles{
    "No", "Date-Time", "Time", "DC/AC", "Value", "Number", "Unit", "Auto", "Verdict"};

// Positions of the fields in a record.
struct Field {
    static constexpr std::size_t No = 0, DateTime = 1, Time = 2, Func = 3, Value = 4, Unit = 6,
                                 Range = 7, Verdict = 8;
};

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// Unit texts the decoder gives in the LCD font's codes, as people write them. Ohm is the Greek
// capital omega, micro the micro sign, as keyboards and most fonts have them. The diode and
// continuity marks have no character of their own and are written as words.
struct UnitSpelling {
    std::string_view code;
    std::string_view written;
};
constexpr UnitSpelling UnitSpellings[] = {
    {"*", "\u03A9"},   {"k*", "k\u03A9"},   {"M*", "M\u03A9"},
    {"#", "\u00B0C"},  {"?", "\u00B0F"},    {"uA", "\u00B5A"},
    {"uF", "\u00B5F"}, {"&", "continuity"}, {"&*", "continuity \u03A9"},
    {")", "diode"},    {")V", "diode V"},
};

void appendField(std::string &out, std::string_view text)
{
    // Rows of a live log are short ASCII texts that need no quotes: one look at each byte.
    bool plain = true;
    bool ascii = true;
    for (const char c : text) {
        plain = plain && c != ',' && c != '"' && c != '\r' && c != '\n';
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    }
    std::string utf8;
    if (!ascii && !isValidUtf8(text)) {
        utf8 = windows1252ToUtf8(text);
        text = utf8;
    }
    if (plain) {
        out.append(text);
        return;
    }
    out.push_back('"');
    for (const char c : text) {
        if (c == '"')
            out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

} // namespace

std::string_view writtenUnit(std::string_view code)
{
    for (const UnitSpelling &unit : UnitSpellings) {
        if (unit.code == code)
            return unit.written;
    }
    return code;
}

std::string_view unitCode(std::string_view written)
{
    for (const UnitSpelling &unit : UnitSpellings) {
        if (unit.written == written)
            return unit.code;
    }
    return written;
}

void appendPlainNumber(std::string_view value, std::string_view decimalSep, std::string &out)
{
    if (!textToFloat(value, decimalSep))
        return;
    while (value.front() == ' ')
        value.remove_prefix(1);
    while (value.back() == ' ')
        value.remove_suffix(1);
    if (value.front() == '+' || value.front() == '-') {
        if (value.front() == '-')
            out.push_back('-');
        value.remove_prefix(1);
    }
    if (!decimalSep.empty() && value.starts_with(decimalSep))
        out.push_back('0');
    while (!value.empty()) {
        if (!decimalSep.empty() && value.starts_with(decimalSep)) {
            out.push_back('.');
            value.remove_prefix(decimalSep.size());
        } else {
            out.push_back(value.front());
            value.remove_prefix(1);
        }
    }
}

void appendLogCsvHeader(std::string &out)
{
    out.append(LogCsvHeader);
    out.append("\r\n");
}

void appendLogCsvRow(const LogRow &row, std::string_view decimalSep, std::string &out)
{
    if (row.No) {
        char digits[16];
        const auto result = std::to_chars(std::begin(digits), std::end(digits), *row.No);
        out.append(digits, result.ptr);
    }
    out.push_back(',');
    if (row.DateTime)
        appendIsoDateTime(*row.DateTime, out);
    for (const std::string_view text : {row.Time, row.Func, row.Value}) {
        out.push_back(',');
        appendField(out, text);
    }
    out.push_back(',');
    appendPlainNumber(row.Value, decimalSep, out);
    out.push_back(',');
    appendField(out, writtenUnit(row.Unit));
    out.push_back(',');
    appendField(out, row.Range);
    out.push_back(',');
    if (row.Verdict)
        out.append(*row.Verdict == Verdict::Pass ? "Pass" : "Fail");
    out.append("\r\n");
}

void appendLogCsvRows(const LogTable &table, std::size_t first, std::size_t end,
                      std::string_view decimalSep, std::string &out)
{
    for (std::size_t i = first; i < end; ++i)
        appendLogCsvRow(table.row(i), decimalSep, out);
}

std::string saveLogCsv(const LogTable &table, std::string_view decimalSep)
{
    std::string out;
    // A live row takes about 80 bytes; reserving once keeps the build free of regrowth copies.
    out.reserve(LogCsvHeader.size() + 2 + table.rowCount() * 84);
    appendLogCsvHeader(out);
    appendLogCsvRows(table, 0, table.rowCount(), decimalSep, out);
    return out;
}

LogCsvReader::LogCsvReader(std::span<const std::uint8_t> bytes)
    : m_text(reinterpret_cast<const char *>(bytes.data()), bytes.size())
{
    if (m_text.starts_with(ByteOrderMark))
        m_at = ByteOrderMark.size();
    std::size_t end = 0;
    if (!readRecord(end) || m_fields != ColumnTitles)
        fail();
    else
        m_at = end;
}

bool LogCsvReader::fail()
{
    m_damaged = true;
    return false;
}

bool LogCsvReader::readRecord(std::size_t &end)
{
    std::size_t at = m_at;
    m_fieldCount = 0;
    while (m_fieldCount < LogCsvColumnCount) {
        const std::size_t field = m_fieldCount++;
        if (at < m_text.size() && m_text[at] == '"') {
            std::string &unquoted = m_unquoted[field];
            unquoted.clear();
            ++at;
            for (;;) {
                const std::size_t quote = m_text.find('"', at);
                if (quote == std::string_view::npos)
                    return false;
                unquoted.append(m_text.substr(at, quote - at));
                at = quote + 1;
                if (at == m_text.size() || m_text[at] != '"')
                    break;
                unquoted.push_back('"');
                ++at;
            }
            m_fields[field] = unquoted;
        } else {
            const std::size_t start = at;
            while (at < m_text.size() && m_text[at] != ',' && m_text[at] != '\r' &&
                   m_text[at] != '\n')
                ++at;
            m_fields[field] = m_text.substr(start, at - start);
        }
        // A record ends only at its line break: without one it was cut short.
        if (at == m_text.size())
            return false;
        if (m_text[at] == ',') {
            ++at;
            continue;
        }
        if (m_text[at] == '\r' && at + 1 < m_text.size() && m_text[at + 1] == '\n')
            ++at;
        if (m_text[at] != '\n')
            return false;
        end = at + 1;
        return m_fieldCount == LogCsvColumnCount;
    }
    return false;
}

bool LogCsvReader::next(LogRow &row)
{
    if (atEnd())
        return false;
    std::size_t end = 0;
    if (!readRecord(end))
        return fail();
    row = LogRow{};
    if (!m_fields[Field::No].empty()) {
        row.No = textToInt32(m_fields[Field::No]);
        if (!row.No)
            return fail();
    }
    if (!m_fields[Field::DateTime].empty()) {
        row.DateTime = parseIsoDateTime(m_fields[Field::DateTime]);
        if (!row.DateTime)
            return fail();
    }
    if (m_fields[Field::Verdict] == "Pass")
        row.Verdict = Verdict::Pass;
    else if (m_fields[Field::Verdict] == "Fail")
        row.Verdict = Verdict::Fail;
    else if (!m_fields[Field::Verdict].empty())
        return fail();
    // The Number field is the value again, for other programs; the table keeps the value.
    row.Time = m_fields[Field::Time];
    row.Func = m_fields[Field::Func];
    row.Value = m_fields[Field::Value];
    row.Unit = unitCode(m_fields[Field::Unit]);
    row.Range = m_fields[Field::Range];
    m_at = end;
    ++m_rows;
    return true;
}

bool LogCsvReader::step(LogTable &table, std::size_t maxRows)
{
    LogRow row;
    for (std::size_t i = 0; i < maxRows && next(row); ++i)
        table.append(row);
    return !atEnd();
}

LogCsvLoad loadLogCsv(std::span<const std::uint8_t> bytes, LogTable &table)
{
    LogCsvReader reader(bytes);
    while (reader.step(table, std::numeric_limits<std::size_t>::max())) {
    }
    return {reader.rowsRead(), reader.ok()};
}

} // namespace vireo
