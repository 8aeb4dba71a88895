#pragma once

#include "core/LogTable.h"

#include <cstdint>
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

// Appends the rows of an XML data packet to the table, copying the declared columns by
// position. Returns false when the bytes are not a data packet, declare more columns than the
// table has, are malformed, or hold a number that does not convert; rows read before the
// failure stay in the table.
[[nodiscard]] bool loadLogXml(std::span<const std::uint8_t> bytes, LogTable &table);

// The attribute name under which a column's values are written: the column name with each of
// space ! # $ % ( ) * ? replaced by an underscore.
std::string dataPacketAttrName(std::string_view columnName);

} // namespace vireo
