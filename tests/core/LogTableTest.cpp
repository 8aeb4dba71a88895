#include "core/LogTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vireo {
namespace {

LogRow liveRow(std::int32_t no, std::string_view value)
{
    return {no, "14:03:59", "DC", value, "V", "AUTO"};
}

TEST(LogTable, ColumnsAreFixed)
{
    EXPECT_EQ(LogTable::ColumnNames[0], "No");
    EXPECT_EQ(LogTable::ColumnNames[1], "Time");
    EXPECT_EQ(LogTable::ColumnNames[2], "DC/AC");
    EXPECT_EQ(LogTable::ColumnNames[3], "Value");
    EXPECT_EQ(LogTable::ColumnNames[4], "Unit");
    EXPECT_EQ(LogTable::ColumnNames[5], "Auto");
}

TEST(LogTable, KeepsRowsInOrderOfAppending)
{
    LogTable table;
    table.append(liveRow(1, "1.234"));
    table.append({std::nullopt, "", "", ",0L", "k*", "MANU"});
    table.append({-5, "00:00:00", "AC", "-0.012", "&*", ""});
    ASSERT_EQ(table.rowCount(), 3u);
    EXPECT_EQ(table.no(0), 1);
    EXPECT_EQ(table.text(0, LogColumn::Time), "14:03:59");
    EXPECT_EQ(table.text(0, LogColumn::Func), "DC");
    EXPECT_EQ(table.text(0, LogColumn::Value), "1.234");
    EXPECT_EQ(table.text(0, LogColumn::Unit), "V");
    EXPECT_EQ(table.text(0, LogColumn::Range), "AUTO");
    EXPECT_EQ(table.no(1), std::nullopt);
    EXPECT_EQ(table.text(1, LogColumn::Time), "");
    EXPECT_EQ(table.text(1, LogColumn::Value), ",0L");
    EXPECT_EQ(table.text(1, LogColumn::Unit), "k*");
    const LogRow third = table.row(2);
    EXPECT_EQ(third.No, -5);
    EXPECT_EQ(third.Func, "AC");
    EXPECT_EQ(third.Value, "-0.012");
    EXPECT_EQ(third.Unit, "&*");
    EXPECT_EQ(third.Range, "");
}

TEST(LogTable, TextsKeepTheirFirstTwentyCharacters)
{
    LogTable table;
    const std::string longText = "abcdefghijklmnopqrstuvwxyz";
    table.append({1, longText, longText.substr(0, 20), longText.substr(0, 19), "", ""});
    EXPECT_EQ(table.text(0, LogColumn::Time), "abcdefghijklmnopqrst");
    EXPECT_EQ(table.text(0, LogColumn::Func), "abcdefghijklmnopqrst");
    EXPECT_EQ(table.text(0, LogColumn::Value), "abcdefghijklmnopqrs");
    // Characters, not bytes, of UTF-8 texts; bytes of the old single-byte code page.
    std::string micro;
    for (int i = 0; i < 21; ++i)
        micro += "\u00B5";
    table.append({2, micro, std::string(21, '\xB5'), "", "", ""});
    EXPECT_EQ(table.text(1, LogColumn::Time), micro.substr(0, 40));
    EXPECT_EQ(table.text(1, LogColumn::Func), std::string(20, '\xB5'));
}

TEST(LogTable, ClearEmptiesAndAcceptsNewRows)
{
    LogTable table;
    table.append(liveRow(1, "1.000"));
    table.append(liveRow(2, "2.000"));
    table.clear();
    EXPECT_EQ(table.rowCount(), 0u);
    table.append(liveRow(1, "3.000"));
    ASSERT_EQ(table.rowCount(), 1u);
    EXPECT_EQ(table.text(0, LogColumn::Value), "3.000");
    EXPECT_EQ(table.text(0, LogColumn::Unit), "V");
}

// Many rows cross chunk boundaries and hold both repeated and distinct texts (as a loaded file
// may), dates with jumps of the clock and offset changes, and verdicts; every cell must read
// back as stored.
TEST(LogTable, ManyRowsReadBackExactly)
{
    LogTable table;
    constexpr int rows = 200'000;
    constexpr std::int64_t day = 86'400'000;
    const auto valueOf = [](int i) { return std::to_string(i % 7 == 0 ? i : i % 50); };
    const auto dateOf = [](int i) -> std::optional<LogStamp> {
        if (i % 13 == 0)
            return std::nullopt;
        // Weeks of silence after row 100,000; a clock set a year back at every 50,000th row.
        const std::int64_t ms = 1'796'834'523'125 + i * 5 + (i >= 100'000 ? 40 * day : 0) -
                                (i % 50'000 == 1 ? 365 * day : 0);
        return LogStamp{ms, static_cast<std::int16_t>((i / 30'000) % 2 ? 60 : 120)};
    };
    const auto verdictOf = [](int i) -> std::optional<Verdict> {
        if (i % 3 == 0)
            return std::nullopt;
        return i % 3 == 1 ? Verdict::Pass : Verdict::Fail;
    };
    for (int i = 0; i < rows; ++i) {
        const std::string value = valueOf(i);
        const std::string unit = (i % 3 == 0) ? "k*" : "V";
        LogRow row{i,    "12:00:00", i % 2 ? "AC" : "DC", value,
                   unit, "AUTO",     dateOf(i),           verdictOf(i)};
        if (i % 11 == 0)
            row.No.reset();
        table.append(row);
    }
    ASSERT_EQ(table.rowCount(), static_cast<std::size_t>(rows));
    // Every 997th row, and those beside chunk ends, offset changes and jumps of the clock.
    std::vector<int> checked{4'095,  4'096,  29'999,  30'000,  50'001,
                             50'002, 99'999, 100'000, 100'001, 150'001};
    for (int i = 0; i < rows; i += 997)
        checked.push_back(i);
    for (const int i : checked) {
        const auto index = static_cast<std::size_t>(i);
        EXPECT_EQ(table.no(index), i % 11 == 0 ? std::nullopt : std::optional<std::int32_t>(i));
        EXPECT_EQ(table.text(index, LogColumn::Value), valueOf(i));
        EXPECT_EQ(table.text(index, LogColumn::Func), i % 2 ? "AC" : "DC");
        EXPECT_EQ(table.text(index, LogColumn::Unit), (i % 3 == 0) ? "k*" : "V");
        EXPECT_EQ(table.dateTime(index), dateOf(i)) << i;
        EXPECT_EQ(table.verdict(index), verdictOf(i)) << i;
    }
    EXPECT_EQ(table.text(rows - 1, LogColumn::Value), valueOf(rows - 1));
    table.clear();
    table.append({1, "", "", "", "", "", LogStamp{0, -300}});
    EXPECT_EQ(table.dateTime(0), (LogStamp{0, -300}));
}

TEST(LogTable, LiveRowsStayCompact)
{
    LogTable table;
    constexpr std::size_t rows = 1'000'000;
    char time[9] = "00:00:00";
    for (std::size_t i = 0; i < rows; ++i) {
        time[7] = static_cast<char>('0' + i % 10);
        time[6] = static_cast<char>('0' + (i / 10) % 6);
        const std::string value = std::to_string(i % 4000);
        table.append({static_cast<std::int32_t>(i + 1), time, "DC", value, "V", "AUTO",
                      LogStamp{1'796'834'523'125 + static_cast<std::int64_t>(i) * 6, 60},
                      i % 5 ? Verdict::Pass : Verdict::Fail});
    }
    EXPECT_LE(table.memoryBytes() / rows, 32u);
}

} // namespace
} // namespace vireo
