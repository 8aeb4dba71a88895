#include "core/LogFileText.h"

#include "core/LogFileTestRows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vireo {
namespace {

using testing_rows::bytesOf;
using testing_rows::expectSameRows;
using testing_rows::liveTable;

constexpr std::string_view HeaderLine = "No.\tTime\tDC/AC\tValue\tUnit\tAuto\r\n";

TEST(SplitText, AlwaysOnePieceMoreThanDelimiters)
{
    const std::pair<std::string_view, std::vector<std::string_view>> cases[] = {
        {"", {""}},
        {"a", {"a"}},
        {"a\tb\t", {"a", "b", ""}},
        {"\t", {"", ""}},
        {"\t\tx", {"", "", "x"}},
        {"7\t12:00:01", {"7", "12:00:01"}},
    };
    std::vector<std::string_view> pieces{"left", "over"};
    for (const auto &[text, expected] : cases) {
        SplitText(text, '\t', pieces);
        EXPECT_EQ(pieces, expected) << text;
    }
}

TEST(LogFileText, SavesHeaderAndOneCrLfLinePerRow)
{
    LogTable table;
    table.append({1, "14:03:59", "DC", "1.234", "V", "AUTO"});
    table.append({-12, " 14:04:00\t", "", "\x01,0L ", "k*", "MANU\r"});
    table.append({std::nullopt, "a\tb", "", "", "", ""});
    EXPECT_EQ(saveLogText(table), std::string(HeaderLine) + "1\t14:03:59\tDC\t1.234\tV\tAUTO\r\n"
                                                            "-12\t14:04:00\t\t,0L\tk*\tMANU\r\n"
                                                            "\ta b\t\t\t\t\r\n");
}

TEST(LogFileText, EmptyTableGivesTheHeaderOnly)
{
    EXPECT_EQ(saveLogText(LogTable{}), HeaderLine);
}

TEST(LogFileText, RoundTripAppendsTheSameRowsAfterTheOldOnes)
{
    const LogTable saved = liveTable();
    const std::string bytes = saveLogText(saved);
    LogTable table;
    table.append({99, "09:00:00", "DC", "9", "V", "AUTO"});
    ASSERT_TRUE(loadLogText(bytesOf(bytes), table));
    expectSameRows(table, 1, saved);
    EXPECT_EQ(table.no(0), 99);
    // Saved again, the loaded rows give the same bytes.
    LogTable reloaded;
    ASSERT_TRUE(loadLogText(bytesOf(bytes), reloaded));
    EXPECT_EQ(saveLogText(reloaded), bytes);
}

TEST(LogFileText, RowsWithoutNumberSurviveARoundTrip)
{
    LogTable saved;
    saved.append({std::nullopt, "10:00:00", "DC", "1", "V", "AUTO"});
    saved.append({3, "10:00:01", "DC", "2", "V", "AUTO"});
    LogTable table;
    ASSERT_TRUE(loadLogText(bytesOf(saveLogText(saved)), table));
    expectSameRows(table, 0, saved);
}

struct LoadCase {
    const char *name;
    std::string file;
    bool ok;
    std::vector<LogRow> rows;
};

void PrintTo(const LoadCase &c, std::ostream *os)
{
    *os << c.name;
}

class LoadText : public testing::TestWithParam<LoadCase> {};

TEST_P(LoadText, StoresTheLinesAfterTheFirst)
{
    const LoadCase &c = GetParam();
    LogTable table;
    EXPECT_EQ(loadLogText(bytesOf(c.file), table), c.ok);
    LogTable expected;
    for (const LogRow &row : c.rows)
        expected.append(row);
    expectSameRows(table, 0, expected);
}

const std::string h(HeaderLine);

INSTANTIATE_TEST_SUITE_P(
    Files, LoadText,
    testing::Values(
        LoadCase{"Empty", "", false, {}}, LoadCase{"NulFirst", std::string("\0No.", 4), false, {}},
        LoadCase{"HeaderOnly", h, true, {}}, LoadCase{"HeaderWithoutBreak", "No.\tTime", true, {}},
        LoadCase{"FirstLineIsData", "1\ta\r\n2\tb\r\n", true, {{2, "b", "", "", "", ""}}},
        LoadCase{"ShortLine", h + "7\t12:00:01\r\n", true, {{7, "12:00:01", "", "", "", ""}}},
        LoadCase{"LoneCrAndLf",
                 "x\r1\tA\n2\tB\r3\tC",
                 true,
                 {{1, "A", "", "", "", ""}, {2, "B", "", "", "", ""}, {3, "C", "", "", "", ""}}},
        LoadCase{"PiecesNotTrimmed", h + "1\t a \tDC \r\n", true, {{1, " a ", "DC ", "", "", ""}}},
        LoadCase{"LongPieceCut",
                 h + "1\t123456789012345678901234\r\n",
                 true,
                 {{1, "12345678901234567890", "", "", "", ""}}},
        LoadCase{"NulEndsText",
                 h + "1\tA\r\n2\tB" + std::string(1, '\0') + "\r\nx\ty\tz\r\n",
                 true,
                 {{1, "A", "", "", "", ""}, {2, "B", "", "", "", ""}}},
        LoadCase{"TrailingEmptyLine", h + "1\tA\r\n\r\n", false, {{1, "A", "", "", "", ""}}},
        LoadCase{"EmptyLineInside", h + "1\tA\r\n\r\n2\tB\r\n", false, {{1, "A", "", "", "", ""}}},
        LoadCase{"SevenPieces",
                 h + "1\tA\r\n2\tt\tf\tv\tu\tr\tx\r\n3\tC\r\n",
                 false,
                 {{1, "A", "", "", "", ""}}},
        LoadCase{"SixPiecesWithEmptyLast",
                 h + "1\tt\tf\tv\tu\t\r\n",
                 true,
                 {{1, "t", "f", "v", "u", ""}}},
        LoadCase{"BadNo", h + "1\tA\r\nx\tB\r\n3\tC\r\n", false, {{1, "A", "", "", "", ""}}},
        LoadCase{"NoTooLarge", h + "2147483648\tA\r\n", false, {}},
        LoadCase{"NoWithBlanks", h + " 42 \tA\r\n", true, {{42, "A", "", "", "", ""}}}),
    [](const testing::TestParamInfo<LoadCase> &info) { return info.param.name; });

} // namespace
} // namespace vireo
