#include "core/LogFileXml.h"

#include "core/LogFileTestRows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vireo {
namespace {

using testing_rows::bytesOf;
using testing_rows::expectSameRows;
using testing_rows::liveTable;

const std::string Head = "<?xml version=\"1.0\" standalone=\"yes\"?>\r\n"
                         "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
                         "<FIELD attrname=\"No\" fieldtype=\"i4\"/>"
                         "<FIELD attrname=\"Time\" fieldtype=\"string\" WIDTH=\"20\"/>"
                         "<FIELD attrname=\"DC/AC\" fieldtype=\"string\" WIDTH=\"20\"/>"
                         "<FIELD attrname=\"Value\" fieldtype=\"string\" WIDTH=\"20\"/>"
                         "<FIELD attrname=\"Unit\" fieldtype=\"string\" WIDTH=\"20\"/>"
                         "<FIELD attrname=\"Auto\" fieldtype=\"string\" WIDTH=\"20\"/>"
                         "</FIELDS><PARAMS/></METADATA><ROWDATA>\r\n";
const std::string Tail = "</ROWDATA></DATAPACKET>\r\n";

TEST(LogFileXml, WritesTheDataPacket)
{
    LogTable table;
    table.append({1, "14:03:59", "DC", "1.234", "V", "AUTO"});
    table.append({std::nullopt, "", "", ",0L", "k*", "MANU"});
    EXPECT_EQ(saveLogXml(table), Head +
                                     "<ROW No=\"1\" Time=\"14:03:59\" DC/AC=\"DC\" "
                                     "Value=\"1.234\" Unit=\"V\" Auto=\"AUTO\"/>\r\n"
                                     "<ROW Value=\",0L\" Unit=\"k*\" Auto=\"MANU\"/>\r\n" +
                                     Tail);
    EXPECT_EQ(saveLogXml(LogTable{}), Head + Tail);
}

TEST(LogFileXml, EscapesSpecialCharacters)
{
    LogTable table;
    table.append({7, "<a&b>", "\"'", "\t\n\r", std::string_view("\x01", 1), ""});
    EXPECT_EQ(saveLogXml(table),
              Head +
                  "<ROW No=\"7\" Time=\"&lt;a&amp;b&gt;\" DC/AC=\"&quot;&apos;\" "
                  "Value=\"&#009;&#010;&#013;\" Unit=\"&#001;\"/>\r\n" +
                  Tail);
}

TEST(LogFileXml, RoundTripAppendsTheSameRows)
{
    LogTable saved = liveTable();
    saved.append({std::nullopt, "<&>", "\"'", "\t1\r\n", "&*", "#"});
    const std::string bytes = saveLogXml(saved);
    LogTable table;
    table.append({42, "08:00:00", "DC", "1", "V", "AUTO"});
    ASSERT_TRUE(loadLogXml(bytesOf(bytes), table));
    expectSameRows(table, 1, saved);
    LogTable reloaded;
    ASSERT_TRUE(loadLogXml(bytesOf(bytes), reloaded));
    EXPECT_EQ(saveLogXml(reloaded), bytes);
}

TEST(LogFileXml, AttrNameReplacesReservedCharacters)
{
    EXPECT_EQ(dataPacketAttrName("DC/AC"), "DC/AC");
    EXPECT_EQ(dataPacketAttrName("No"), "No");
    EXPECT_EQ(dataPacketAttrName("a b!c#d$e%f(g)h*i?j"), "a_b_c_d_e_f_g_h_i_j");
}

struct ReadCase {
    const char *name;
    std::string file;
    bool ok;
    std::vector<LogRow> rows;
};

void PrintTo(const ReadCase &c, std::ostream *os)
{
    *os << c.name;
}

class ReadXml : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadXml, CopiesColumnsByPosition)
{
    const ReadCase &c = GetParam();
    LogTable table;
    table.append({99, "09:00:00", "DC", "9", "V", "AUTO"});
    EXPECT_EQ(loadLogXml(bytesOf(c.file), table), c.ok);
    LogTable expected;
    for (const LogRow &row : c.rows)
        expected.append(row);
    // A packet that does not read whole adds nothing, however far it got.
    expectSameRows(table, 1, expected);
    EXPECT_EQ(table.no(0), 99);
}

std::string packet(std::string_view fields, std::string_view rows)
{
    return "<?xml version=\"1.0\" standalone=\"yes\"?><DATAPACKET Version=\"2.0\"><METADATA>"
           "<FIELDS>" +
           std::string(fields) + "</FIELDS><PARAMS/></METADATA><ROWDATA>" + std::string(rows) +
           "</ROWDATA></DATAPACKET>";
}

std::string withoutEnd(std::string file)
{
    file.resize(file.size() - std::string_view("</ROWDATA></DATAPACKET>").size());
    return file;
}

// The file as a copy broken off half-way leaves it: here inside the second row.
std::string cutInHalf(std::string file)
{
    file.resize(file.rfind("<ROW") + 10);
    return file;
}

const std::string sixFields = "<FIELD attrname=\"No\" fieldtype=\"i4\"/>"
                              "<FIELD attrname=\"Time\" fieldtype=\"string\" WIDTH=\"20\"/>"
                              "<FIELD attrname=\"DC/AC\" fieldtype=\"string\" WIDTH=\"20\"/>"
                              "<FIELD attrname=\"Value\" fieldtype=\"string\" WIDTH=\"20\"/>"
                              "<FIELD attrname=\"Unit\" fieldtype=\"string\" WIDTH=\"20\"/>"
                              "<FIELD attrname=\"Auto\" fieldtype=\"string\" WIDTH=\"20\"/>";
const std::string goodRow = "<ROW No=\"1\" DC/AC=\"AC\" Value=\"1,5\"/>";
const LogRow goodRowValues{1, "", "AC", "1,5", "", ""};

INSTANTIATE_TEST_SUITE_P(
    Files, ReadXml,
    testing::Values(
        ReadCase{"Empty", "", false, {}}, ReadCase{"NotXml", "No.\tTime\r\n1\tA\r\n", false, {}},
        ReadCase{"OtherRoot", "<?xml version=\"1.0\"?><TABLE><ROW No=\"1\"/></TABLE>", false, {}},
        ReadCase{"NoMetadata",
                 "<DATAPACKET Version=\"2.0\"><ROWDATA><ROW No=\"1\"/></ROWDATA>"
                 "</DATAPACKET>",
                 false,
                 {}},
        ReadCase{"EmptyRoot", "<DATAPACKET/>", false, {}},
        ReadCase{"NoFields", packet("", goodRow), false, {}},
        ReadCase{"SevenFields",
                 packet(sixFields + "<FIELD attrname=\"X\" fieldtype=\"i4\"/>", goodRow),
                 false,
                 {}},
        ReadCase{"Plain", packet(sixFields, goodRow), true, {goodRowValues}},
        ReadCase{"AttributesInAnyOrderSingleQuotesAndBlanks",
                 packet(sixFields, "<ROW  Auto = 'MANU'\n Value='2'\tNo='3' RowState=\"4\" />"),
                 true,
                 {{3, "", "", "2", "", "MANU"}}},
        ReadCase{"OpenAndCloseRow",
                 packet(sixFields, "<ROW No=\"1\" DC/AC=\"AC\" Value=\"1,5\">"
                                   "</ROW>"),
                 true,
                 {goodRowValues}},
        ReadCase{"CommentsAndBom",
                 "\xEF\xBB\xBF<!-- saved --><!DOCTYPE x>" + packet(sixFields, goodRow),
                 true,
                 {goodRowValues}},
        ReadCase{"FewerFieldsCopiedByPosition",
                 packet("<FIELD attrname=\"N\" fieldtype=\"i4\"/>"
                        "<FIELD attrname=\"Stamp\" fieldtype=\"string\" WIDTH=\"8\"/>",
                        "<ROW N=\"5\" Stamp=\"12:00:00\" Value=\"x\"/>"),
                 true,
                 {{5, "12:00:00", "", "", "", ""}}},
        ReadCase{"TextInNumberColumn",
                 packet("<FIELD attrname=\"Time\" fieldtype=\"string\" WIDTH=\"20\"/>",
                        goodRow + "<ROW Time=\"12:00\"/>"),
                 false,
                 {}},
        ReadCase{"EntitiesAndCharacterReferences",
                 packet(sixFields, "<ROW No=\"+8\" Time=\"&lt;&#65;&#x42;&amp;&bogus;&\" "
                                   "Value=\"&#009;&#0;\"/>"),
                 true,
                 {{8, "<AB&&bogus;&", "", std::string_view("\t\0", 2), "", ""}}},
        ReadCase{"LongValueCut",
                 packet(sixFields, "<ROW No=\"1\" Unit=\"123456789012345678901234\"/>"),
                 true,
                 {{1, "", "", "", "12345678901234567890", ""}}},
        ReadCase{"TruncatedAddsNothing",
                 withoutEnd(packet(sixFields, goodRow + "<ROW No=\"2\"/>")),
                 false,
                 {}},
        ReadCase{"CutInHalf", cutInHalf(packet(sixFields, goodRow + goodRow)), false, {}},
        ReadCase{"UnclosedAttribute", packet(sixFields, goodRow + "<ROW No=\"2/>"), false, {}},
        ReadCase{"TrailingEndTagIgnored",
                 packet(sixFields, goodRow) + "</DATAPACKET>",
                 true,
                 {goodRowValues}},
        ReadCase{"CrossedEndTags",
                 "<DATAPACKET><METADATA><FIELDS>" + sixFields + "</METADATA></FIELDS><ROWDATA>" +
                     goodRow + "</ROWDATA></DATAPACKET>",
                 false,
                 {}},
        ReadCase{"RowDataBeforeMetadata",
                 "<DATAPACKET><ROWDATA>" + goodRow + "</ROWDATA><METADATA><FIELDS>" + sixFields +
                     "</FIELDS></METADATA></DATAPACKET>",
                 false,
                 {}},
        ReadCase{
            "BadNumber", packet(sixFields, goodRow + "<ROW No=\"1.5\"/>" + goodRow), false, {}}),
    [](const testing::TestParamInfo<ReadCase> &info) { return info.param.name; });

} // namespace
} // namespace vireo
