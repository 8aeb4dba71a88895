#include "core/LogFileCsv.h"

#include "core/LogFileTestRows.h"
#include "core/TextEncoding.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace vireo {
namespace {

using testing_rows::bytesOf;
using testing_rows::datedTable;
using testing_rows::expectSameRows;

const std::string Header = "No,Date-Time,Time,DC/AC,Value,Number,Unit,Auto,Verdict\r\n";

TEST(LogFileCsv, SavesDatesQuotedTextsNumbersAndUnitsAsPeopleWriteThem)
{
    LogTable table = datedTable();
    // A row of an old Windows file: its code page's micro sign is written as UTF-8.
    table.append({6, "14:04:04", "", "1.5", "\xB5V", "AUTO"});
    EXPECT_EQ(saveLogCsv(table, ","),
              Header + "1,2026-10-25T02:59:59.125+02:00,02:59:59,DC,\"1,234\",1.234,V,AUTO,Pass\r\n"
                       "2,2026-10-25T02:00:00.000+01:00,02:00:00,AC,\",0L\",,k\u03A9,MANU,Fail\r\n"
                       ",,14:04:01,,\"-0,012\",-0.012,\u00B0C,AUTO,\r\n"
                       "4,1969-12-31T23:59:59.999+00:00,14:04:02,,\"\"\"a\"\"\",,continuity "
                       "\u03A9,AUTO,\r\n"
                       "5,2026-10-25T02:00:00.001+01:00,14:04:03,DC,\"-,0L\",,,MANU,Pass\r\n"
                       "6,,14:04:04,,1.5,,\u00B5V,AUTO,\r\n");
    EXPECT_EQ(saveLogCsv(LogTable{}, "."), Header);
}

TEST(LogFileCsv, ReadSliceBySliceGivesTheSameRowsAfterTheOldOnes)
{
    const LogTable saved = datedTable();
    const std::string bytes = saveLogCsv(saved, ",");
    LogTable table;
    table.append({99, "09:00:00", "DC", "9", "V", "AUTO"});
    LogCsvReader reader(bytesOf(bytes));
    while (reader.step(table, 2)) {
    }
    EXPECT_TRUE(reader.ok());
    EXPECT_EQ(reader.rowsRead(), saved.rowCount());
    EXPECT_EQ(reader.bytesRead(), bytes.size());
    expectSameRows(table, 1, saved);
}

TEST(LogFileCsv, EveryUnitCodeHasASpellingOfItsOwnThatReadsBack)
{
    std::set<std::string_view> spellings;
    for (const std::string_view code :
         {"V",   "mV", "uA", "mA", "A", "*", "k*", "M*", "Hz", "kHz",
          "MHz", "nF", "uF", "mF", "#", "?", "&",  "&*", ")",  ")V"}) {
        const std::string_view written = writtenUnit(code);
        EXPECT_TRUE(spellings.insert(written).second) << written;
        EXPECT_EQ(unitCode(written), code);
    }
    EXPECT_EQ(writtenUnit("uA"), "\u00B5A");
}

TEST(LogFileCsv, ReadingStopsAtTheFirstDamageAndKeepsTheRowsBefore)
{
    const std::string row = "1,2026-12-09T17:42:03.125+01:00,17:42:03,DC,1.5,1.5,V,AUTO,Pass\r\n";
    const std::string lf = "No,Date-Time,Time,DC/AC,Value,Number,Unit,Auto,Verdict\n"
                           "1,,17:42:03,DC,1.5,1.5,V,AUTO,\n";
    const struct {
        const char *name;
        std::string file;
        std::size_t rows;
        bool complete;
    } cases[] = {
        {"Empty", "", 0, false},
        {"HeaderOnly", Header, 0, true},
        {"OtherHeader", "No.\tTime\r\n" + row, 0, false},
        {"ByteOrderMarkAndLf", "\xEF\xBB\xBF" + lf, 1, true},
        {"QuotedLineBreak", Header + "1,,\"a\r\nb\",,,,,,\r\n", 1, true},
        {"LastLineCut", Header + row + row.substr(0, 40), 1, false},
        {"LastLineEndCut", Header + row + row.substr(0, row.size() - 1), 1, false},
        {"QuoteLeftOpen", Header + row + "2,,\"12:00,,,,,,\r\n", 1, false},
        {"EmptyLine", Header + row + "\r\n" + row, 1, false},
        {"EightFields", Header + row + "2,,12:00,DC,1,1,V,AUTO\r\n" + row, 1, false},
        {"BareCr", Header + row + "2,,12:00,DC,1,1,V,AUTO,\r" + row, 1, false},
        {"BadNumber", Header + row + "x,,12:00,DC,1,1,V,AUTO,\r\n" + row, 1, false},
        {"BadDate", Header + row + "2,2026-13-01T00:00:00+00:00,,,,,,,\r\n", 1, false},
        {"BadVerdict", Header + row + "2,,,,,,,,pass\r\n", 1, false},
    };
    for (const auto &c : cases) {
        LogTable table;
        const LogCsvLoad load = loadLogCsv(bytesOf(c.file), table);
        EXPECT_EQ(load.rows, c.rows) << c.name;
        EXPECT_EQ(table.rowCount(), c.rows) << c.name;
        EXPECT_EQ(load.complete, c.complete) << c.name;
        if (std::string_view(c.name) == "QuotedLineBreak") {
            EXPECT_EQ(table.text(0, LogColumn::Time), "a\r\nb");
        }
    }
}

} // namespace
} // namespace vireo
