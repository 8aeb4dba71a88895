#include "core/LogFileXml.h"

#include "core/NumberText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <limits>
#include <vector>

namespace vireo {

namespace {

constexpr std::string_view Declaration = "<?xml version=\"1.0\" standalone=\"yes\"?>";

bool isXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool needsEscape(char c)
{
    return static_cast<unsigned char>(c) < ' ' || c == '<' || c == '>' || c == '&' || c == '"' ||
           c == '\'';
}

void appendEscaped(std::string &out, std::string_view text)
{
    if (std::none_of(text.begin(), text.end(), needsEscape)) {
        out.append(text);
        return;
    }
    for (const char c : text) {
        switch (c) {
        case '<':
            out.append("&lt;");
            break;
        case '>':
            out.append("&gt;");
            break;
        case '&':
            out.append("&amp;");
            break;
        case '"':
            out.append("&quot;");
            break;
        case '\'':
            out.append("&apos;");
            break;
        default:
            if (static_cast<unsigned char>(c) < ' ') {
                // Control characters as three-digit character references: &#009; for TAB.
                const int code = static_cast<unsigned char>(c);
                out.append("&#0");
                out.push_back(static_cast<char>('0' + code / 10));
                out.push_back(static_cast<char>('0' + code % 10));
                out.push_back(';');
            } else {
                out.push_back(c);
            }
        }
    }
}

void appendCodePoint(std::string &out, std::uint32_t code)
{
    // Texts are single-byte; characters beyond that range arrive as UTF-8.
    if (code < 0x100) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

// Decodes one entity at the start of text (which begins with '&') into out and returns its
// length, or 0 when it is no entity this reader knows; the '&' is then kept as it is.
std::size_t decodeEntity(std::string_view text, std::string &out)
{
    const std::size_t end = text.find(';');
    if (end == std::string_view::npos || end > 12)
        return 0;
    const std::string_view name = text.substr(1, end - 1);
    static constexpr std::array<std::pair<std::string_view, char>, 5> named{
        {{"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}}};
    for (const auto &[entity, c] : named) {
        if (name == entity) {
            out.push_back(c);
            return end + 1;
        }
    }
    if (name.size() < 2 || name[0] != '#')
        return 0;
    const bool hex = name[1] == 'x';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    std::uint32_t code = 0;
    const auto [ptr, ec] =
        std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
    if (digits.empty() || ec != std::errc() || ptr != digits.data() + digits.size() ||
        code > 0x10FFFF)
        return 0;
    appendCodePoint(out, code);
    return end + 1;
}

// The text of an attribute value, entities resolved. Values without entities are returned as
// they stand, without copying.
std::string_view decodeValue(std::string_view raw, std::string &buffer)
{
    std::size_t amp = raw.find('&');
    if (amp == std::string_view::npos)
        return raw;
    buffer.clear();
    while (amp != std::string_view::npos) {
        buffer.append(raw.substr(0, amp));
        raw.remove_prefix(amp);
        const std::size_t used = decodeEntity(raw, buffer);
        if (used == 0) {
            buffer.push_back('&');
            raw.remove_prefix(1);
        } else {
            raw.remove_prefix(used);
        }
        amp = raw.find('&');
    }
    buffer.append(raw);
    return buffer;
}

struct Attribute {
    std::string_view name;
    std::string_view raw;
};

enum class TagKind { Start, End, Empty };

struct Tag {
    TagKind kind = TagKind::Start;
    std::string_view name;
    std::vector<Attribute> attributes;
};

// Reads tags one after the other. Character data between tags, processing instructions,
// comments and declarations are skipped. Names run up to blanks, '=', '>' or "/>", so that a
// slash inside an attribute name (as in DC/AC) is part of the name.
class TagScanner {
public:
    enum class Result { Tag, End, Malformed };

    explicit TagScanner(std::string_view text) : m_text(text) {}

    std::size_t position() const { return m_pos; }

    Result next(Tag &tag)
    {
        for (;;) {
            const std::size_t open = m_text.find('<', m_pos);
            if (open == std::string_view::npos)
                return Result::End;
            m_pos = open;
            const std::string_view rest = m_text.substr(m_pos);
            if (rest.starts_with("<?")) {
                if (!skipPast("?>"))
                    return Result::Malformed;
            } else if (rest.starts_with("<!--")) {
                if (!skipPast("-->"))
                    return Result::Malformed;
            } else if (rest.starts_with("<![CDATA[")) {
                if (!skipPast("]]>"))
                    return Result::Malformed;
            } else if (rest.starts_with("<!")) {
                if (!skipPast(">"))
                    return Result::Malformed;
            } else {
                return readTag(tag) ? Result::Tag : Result::Malformed;
            }
        }
    }

private:
    bool skipPast(std::string_view marker)
    {
        const std::size_t at = m_text.find(marker, m_pos + 1);
        if (at == std::string_view::npos)
            return false;
        m_pos = at + marker.size();
        return true;
    }

    void skipSpace()
    {
        while (m_pos < m_text.size() && isXmlSpace(m_text[m_pos]))
            ++m_pos;
    }

    bool atNameEnd() const
    {
        const char c = m_text[m_pos];
        return isXmlSpace(c) || c == '=' || c == '>' || c == '<' ||
               (c == '/' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '>');
    }

    std::string_view readName()
    {
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && !atNameEnd())
            ++m_pos;
        return m_text.substr(start, m_pos - start);
    }

    bool readTag(Tag &tag)
    {
        ++m_pos;
        tag.attributes.clear();
        tag.kind = TagKind::Start;
        if (m_pos < m_text.size() && m_text[m_pos] == '/') {
            tag.kind = TagKind::End;
            ++m_pos;
        }
        tag.name = readName();
        if (tag.name.empty())
            return false;
        for (;;) {
            skipSpace();
            if (m_pos >= m_text.size())
                return false;
            const char c = m_text[m_pos];
            if (c == '>') {
                ++m_pos;
                return true;
            }
            if (c == '/' && tag.kind == TagKind::Start && m_pos + 1 < m_text.size() &&
                m_text[m_pos + 1] == '>') {
                m_pos += 2;
                tag.kind = TagKind::Empty;
                return true;
            }
            if (tag.kind == TagKind::End || !readAttribute(tag))
                return false;
        }
    }

    bool readAttribute(Tag &tag)
    {
        const std::string_view name = readName();
        skipSpace();
        if (name.empty() || m_pos >= m_text.size() || m_text[m_pos] != '=')
            return false;
        ++m_pos;
        skipSpace();
        if (m_pos >= m_text.size() || (m_text[m_pos] != '"' && m_text[m_pos] != '\''))
            return false;
        const char quote = m_text[m_pos++];
        const std::size_t close = m_text.find(quote, m_pos);
        if (close == std::string_view::npos)
            return false;
        tag.attributes.push_back({name, m_text.substr(m_pos, close - m_pos)});
        m_pos = close + 1;
        return true;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

// Copies ROW elements into the table by the columns the packet declares, a slice of tags at a
// time.
class PacketReader {
public:
    enum class State { Reading, Done, Failed };

    PacketReader(std::string_view text, LogTable &table) : m_scanner(text), m_table(table) {}

    State state() const { return m_state; }
    std::size_t position() const { return m_scanner.position(); }

    void step(std::size_t maxTags)
    {
        for (std::size_t n = 0; m_state == State::Reading && n < maxTags; ++n)
            m_state = nextTag();
    }

private:
    State nextTag()
    {
        if (m_scanner.next(m_tag) != TagScanner::Result::Tag)
            return State::Failed;
        if (m_tag.kind == TagKind::End) {
            if (m_path.empty() || m_path.back() != m_tag.name)
                return State::Failed;
            m_path.pop_back();
            if (m_path.size() == 1 && m_tag.name == "METADATA" && !fieldsUsable())
                return State::Failed;
            if (m_path.empty())
                return m_metadataSeen ? State::Done : State::Failed;
            return State::Reading;
        }
        if (!element(m_path, m_tag))
            return State::Failed;
        if (m_tag.kind == TagKind::Start)
            m_path.push_back(m_tag.name);
        else if (m_path.empty())
            return State::Failed;
        return State::Reading;
    }

    bool fieldsUsable()
    {
        m_metadataSeen = true;
        return !m_fields.empty() && m_fields.size() <= LogTable::ColumnCount;
    }

    bool element(const std::vector<std::string_view> &path, const Tag &tag)
    {
        const std::size_t depth = path.size();
        if (depth == 0)
            return tag.name == "DATAPACKET";
        if (depth == 3 && path[1] == "METADATA" && path[2] == "FIELDS" && tag.name == "FIELD")
            return field(tag);
        if (depth == 1 && tag.name == "ROWDATA" && !m_metadataSeen)
            return false;
        if (depth == 2 && path[1] == "ROWDATA" && tag.name == "ROW")
            return row(tag);
        return true;
    }

    bool field(const Tag &tag)
    {
        for (const Attribute &attribute : tag.attributes) {
            if (attribute.name == "attrname") {
                std::string buffer;
                m_fields.emplace_back(decodeValue(attribute.raw, buffer));
                return true;
            }
        }
        return false;
    }

    int fieldIndex(std::string_view name, std::size_t guess) const
    {
        if (guess < m_fields.size() && m_fields[guess] == name)
            return static_cast<int>(guess);
        for (std::size_t i = 0; i < m_fields.size(); ++i) {
            if (m_fields[i] == name)
                return static_cast<int>(i);
        }
        return -1;
    }

    bool row(const Tag &tag)
    {
        std::array<std::string_view, LogTable::ColumnCount> values{};
        std::size_t guess = 0;
        for (const Attribute &attribute : tag.attributes) {
            const int index = fieldIndex(attribute.name, guess);
            if (index < 0)
                continue;
            values[static_cast<std::size_t>(index)] =
                decodeValue(attribute.raw, m_buffers[static_cast<std::size_t>(index)]);
            guess = static_cast<std::size_t>(index) + 1;
        }
        LogRow row;
        if (!values[0].empty()) {
            row.No = textToInt32(values[0]);
            if (!row.No)
                return false;
        }
        row.Time = values[1];
        row.Func = values[2];
        row.Value = values[3];
        row.Unit = values[4];
        row.Range = values[5];
        m_table.append(row);
        return true;
    }

    TagScanner m_scanner;
    Tag m_tag;
    std::vector<std::string_view> m_path;
    LogTable &m_table;
    std::vector<std::string> m_fields;
    std::array<std::string, LogTable::ColumnCount> m_buffers;
    bool m_metadataSeen = false;
    State m_state = State::Reading;
};

} // namespace

std::string dataPacketAttrName(std::string_view columnName)
{
    std::string name(columnName);
    std::replace_if(
        name.begin(), name.end(),
        [](char c) { return std::string_view(" !#$%()*?").find(c) != std::string_view::npos; },
        '_');
    return name;
}

void appendLogXmlHead(std::string &out)
{
    out.append(Declaration);
    out.append("\r\n<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>");
    for (std::size_t i = 0; i < LogTable::ColumnCount; ++i) {
        const std::string_view name = LogTable::ColumnNames[i];
        const std::string attrName = dataPacketAttrName(name);
        out.append("<FIELD attrname=\"");
        appendEscaped(out, attrName);
        out.append("\"");
        if (attrName != name) {
            out.append(" fieldname=\"");
            appendEscaped(out, name);
            out.append("\"");
        }
        out.append(i == 0 ? " fieldtype=\"i4\"/>" : " fieldtype=\"string\" WIDTH=\"20\"/>");
    }
    out.append("</FIELDS><PARAMS/></METADATA><ROWDATA>\r\n");
}

void appendLogXmlRows(const LogTable &table, std::size_t first, std::size_t end, std::string &out)
{
    std::array<std::string, LogTable::ColumnCount> attrNames;
    for (std::size_t i = 0; i < LogTable::ColumnCount; ++i)
        attrNames[i] = dataPacketAttrName(LogTable::ColumnNames[i]);
    for (std::size_t r = first; r < end; ++r) {
        const LogRow row = table.row(r);
        out.append("<ROW");
        if (row.No) {
            char digits[16];
            const auto result = std::to_chars(std::begin(digits), std::end(digits), *row.No);
            out.append(" No=\"");
            out.append(digits, result.ptr);
            out.push_back('"');
        }
        const std::array<std::string_view, LogTable::ColumnCount - 1> texts{
            row.Time, row.Func, row.Value, row.Unit, row.Range};
        for (std::size_t i = 0; i < texts.size(); ++i) {
            if (texts[i].empty())
                continue;
            out.push_back(' ');
            out.append(attrNames[i + 1]);
            out.append("=\"");
            appendEscaped(out, texts[i]);
            out.push_back('"');
        }
        out.append("/>\r\n");
    }
}

void appendLogXmlTail(std::string &out)
{
    out.append("</ROWDATA></DATAPACKET>\r\n");
}

std::string saveLogXml(const LogTable &table)
{
    std::string out;
    out.reserve(512 + table.rowCount() * 96);
    appendLogXmlHead(out);
    appendLogXmlRows(table, 0, table.rowCount(), out);
    appendLogXmlTail(out);
    return out;
}

struct LogXmlLoader::Reader : PacketReader {
    using PacketReader::PacketReader;
};

LogXmlLoader::LogXmlLoader(std::span<const std::uint8_t> bytes)
    : m_total(bytes.size()),
      m_reader(std::make_unique<Reader>(
          std::string_view(reinterpret_cast<const char *>(bytes.data()), bytes.size()), m_staged))
{
}

LogXmlLoader::~LogXmlLoader() = default;

bool LogXmlLoader::step(LogTable &table, std::size_t maxRows)
{
    if (m_reader->state() == PacketReader::State::Reading) {
        // A row is one tag; the few tags around the rows hardly count.
        m_reader->step(maxRows);
        if (m_reader->state() == PacketReader::State::Failed)
            m_staged.clear();
        return m_reader->state() != PacketReader::State::Failed;
    }
    if (m_reader->state() == PacketReader::State::Failed)
        return false;
    const std::size_t end = std::min(m_staged.rowCount(), m_copied + maxRows);
    for (; m_copied < end; ++m_copied)
        table.append(m_staged.row(m_copied));
    if (m_copied < m_staged.rowCount())
        return true;
    m_staged.clear();
    return false;
}

bool LogXmlLoader::ok() const
{
    return m_reader->state() == PacketReader::State::Done;
}

std::size_t LogXmlLoader::progress() const
{
    // Reading the packet and copying its rows take about as long as each other.
    const std::size_t read = m_reader->position() / 2;
    if (m_reader->state() != PacketReader::State::Done || m_staged.rowCount() == 0)
        return read;
    return m_total / 2 + m_total / 2 * m_copied / m_staged.rowCount();
}

bool loadLogXml(std::span<const std::uint8_t> bytes, LogTable &table)
{
    LogXmlLoader loader(bytes);
    while (loader.step(table, std::numeric_limits<std::size_t>::max())) {
    }
    return loader.ok();
}

} // namespace vireo
