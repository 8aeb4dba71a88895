#pragma once

#include "core/LogTable.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace vireo {

// The log as an XML data packet (version 2.0): METADATA declares the columns (FIELD elements
// with attrname and fieldtype), ROWDATA holds one ROW element per row with the values as
// attributes named by attrname. "DC/AC" is such an attribute name, which no strict XML parser
// accepts, so both the writer and the reader here are our own.
//
// Empty values are not written: a ROW carries no attribute for an empty text or a missing
// number, and the reader leaves a column empty when its attribute is absent.
std::string saveLogXml(const LogTable &table);

// The same packet built in pieces, so that a long log can be written a slice at a time: the
// declaration and METADATA, the ROW elements of the rows [first, end), the closing tags.
void appendLogXmlHead(std::string &out);
void appendLogXmlRows(const LogTable &table, std::size_t first, std::size_t end, std::string &out);
void appendLogXmlTail(std::string &out);

// Appends the rows of an XML data packet to the table, copying the declared columns by
// position. The packet is read whole into a table of its own first and its rows are appended
// only when all of it reads: a file that is not a data packet, declares more columns than the
// table has, is malformed or cut short, or holds a number that does not convert adds nothing.
[[nodiscard]] bool loadLogXml(std::span<const std::uint8_t> bytes, LogTable &table);

// loadLogXml() a slice at a time, for packets too long to read in one go without leaving the
// user staring at a frozen window. The bytes must outlive the loader.
class LogXmlLoader {
public:
    explicit LogXmlLoader(std::span<const std::uint8_t> bytes);
    ~LogXmlLoader();
    LogXmlLoader(const LogXmlLoader &) = delete;
    LogXmlLoader &operator=(const LogXmlLoader &) = delete;

    // Reads or copies up to about maxRows further rows; true while work is left. Nothing
    // reaches the table before the whole packet has been read.
    bool step(LogTable &table, std::size_t maxRows);
    // Whether the packet read whole (its rows are in the table once step() returned false).
    bool ok() const;
    // Work done so far, out of the packet's size in bytes.
    std::size_t progress() const;

private:
    struct Reader;

    std::size_t m_total;
    LogTable m_staged;
    std::unique_ptr<Reader> m_reader;
    std::size_t m_copied = 0;
};

// The attribute name under which a column's values are written: the column name with each of
// space ! # $ % ( ) * ? replaced by an underscore.
std::string dataPacketAttrName(std::string_view columnName);

} // namespace vireo
