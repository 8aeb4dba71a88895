#include "core/LogFileText.h"

#include "core/NumberText.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace vireo {

namespace {

bool isBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlankOrControl(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlankOrControl(text.back()))
        text.remove_suffix(1);
    return text;
}

// A control character inside a text (only possible in rows read from an XML file) would
// split the line or the column when the file is read back; it is written as a blank.
void appendText(std::string &out, std::string_view text)
{
    const std::size_t start = out.size();
    out.append(trimmed(text));
    std::replace_if(
        out.begin() + static_cast<std::ptrdiff_t>(start), out.end(),
        [](char c) { return static_cast<unsigned char>(c) < ' '; }, ' ');
}

// The next line of the text; the text then starts after the line's break (CR LF, CR or LF).
std::string_view takeLine(std::string_view &text)
{
    std::size_t length = 0;
    while (length < text.size() && text[length] != '\r' && text[length] != '\n')
        ++length;
    const std::string_view line = text.substr(0, length);
    std::size_t consumed = length;
    if (length < text.size()) {
        ++consumed;
        if (text[length] == '\r' && consumed < text.size() && text[consumed] == '\n')
            ++consumed;
    }
    text.remove_prefix(consumed);
    return line;
}

} // namespace

void SplitText(std::string_view text, char delimiter, std::vector<std::string_view> &pieces)
{
    pieces.clear();
    for (std::size_t at = text.find(delimiter); at != std::string_view::npos;
         at = text.find(delimiter)) {
        pieces.push_back(text.substr(0, at));
        text.remove_prefix(at + 1);
    }
    pieces.push_back(text);
}

void appendLogTextHeader(std::string &out)
{
    out.append(LogTextHeader);
    out.append("\r\n");
}

void appendLogTextRow(const LogRow &row, std::string &out)
{
    if (row.No) {
        char digits[16];
        const auto result = std::to_chars(std::begin(digits), std::end(digits), *row.No);
        out.append(digits, result.ptr);
    }
    for (const std::string_view text : {row.Time, row.Func, row.Value, row.Unit, row.Range}) {
        out.push_back('\t');
        appendText(out, text);
    }
    out.append("\r\n");
}

void appendLogTextRows(const LogTable &table, std::size_t first, std::size_t end, std::string &out)
{
    for (std::size_t i = first; i < end; ++i)
        appendLogTextRow(table.row(i), out);
}

std::string saveLogText(const LogTable &table)
{
    std::string out;
    // Live rows take about 35 bytes; reserving once keeps the build free of regrowth copies.
    out.reserve(LogTextHeader.size() + 2 + table.rowCount() * 40);
    appendLogTextHeader(out);
    appendLogTextRows(table, 0, table.rowCount(), out);
    return out;
}

LogTextLoader::LogTextLoader(std::span<const std::uint8_t> bytes)
    : m_text(reinterpret_cast<const char *>(bytes.data()), bytes.size()), m_total(bytes.size())
{
    // A NUL byte ends the text.
    if (const auto nul = m_text.find('\0'); nul != std::string_view::npos)
        m_text = m_text.substr(0, nul);
    if (m_text.empty())
        m_ok = false;
    else
        takeLine(m_text);
    m_pieces.reserve(LogTable::ColumnCount + 1);
}

bool LogTextLoader::step(LogTable &table, std::size_t maxLines)
{
    for (std::size_t line = 0; m_ok && line < maxLines && !m_text.empty(); ++line) {
        SplitText(takeLine(m_text), '\t', m_pieces);
        if (m_pieces.size() > LogTable::ColumnCount) {
            m_ok = false;
            break;
        }
        LogRow row;
        // The number is left out of rows that had none when saved (rows read from XML files
        // may lack it); a line that holds nothing at all is no row.
        if (!m_pieces[0].empty() || m_pieces.size() == 1) {
            row.No = textToInt32(m_pieces[0]);
            if (!row.No) {
                m_ok = false;
                break;
            }
        }
        std::string_view *texts[] = {&row.Time, &row.Func, &row.Value, &row.Unit, &row.Range};
        for (std::size_t i = 1; i < m_pieces.size(); ++i)
            *texts[i - 1] = m_pieces[i];
        table.append(row);
    }
    return m_ok && !m_text.empty();
}

bool loadLogText(std::span<const std::uint8_t> bytes, LogTable &table)
{
    LogTextLoader loader(bytes);
    while (loader.step(table, std::numeric_limits<std::size_t>::max())) {
    }
    return loader.ok();
}

} // namespace vireo
