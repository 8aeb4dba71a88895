#pragma once

#include "core/LogTable.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string_view>

namespace vireo::testing_rows {

// Rows as a live log holds them: comma decimals, overload texts, unit codes.
inline LogTable liveTable()
{
    LogTable table;
    table.append({1, "14:03:59", "DC", "1,234", "V", "AUTO"});
    table.append({2, "14:04:00", "AC", ",0L", "k*", "MANU"});
    table.append({3, "14:04:01", "", "-0,012", "#", "AUTO"});
    table.append({4, "14:04:02", "", "0.000", "&*", "AUTO"});
    table.append({5, "14:04:03", "DC", "-,0L", "", "MANU"});
    return table;
}

// Rows as a live log holds them with their dates and verdicts: an offset change (daylight saving
// time ends), a row without date (loaded from an old file), texts that need quoting.
inline LogTable datedTable()
{
    LogTable table;
    table.append(
        {1, "02:59:59", "DC", "1,234", "V", "AUTO", LogStamp{1792889999125, 120}, Verdict::Pass});
    table.append(
        {2, "02:00:00", "AC", ",0L", "k*", "MANU", LogStamp{1792890000000, 60}, Verdict::Fail});
    table.append({std::nullopt, "14:04:01", "", "-0,012", "#", "AUTO"});
    table.append({4, "14:04:02", "", "\"a\"", "&*", "AUTO", LogStamp{-1, 0}});
    table.append(
        {5, "14:04:03", "DC", "-,0L", "", "MANU", LogStamp{1792890000001, 60}, Verdict::Pass});
    return table;
}

inline std::span<const std::uint8_t> bytesOf(std::string_view text)
{
    return {reinterpret_cast<const std::uint8_t *>(text.data()), text.size()};
}

inline void expectSameRows(const LogTable &actual, std::size_t from, const LogTable &expected)
{
    ASSERT_EQ(actual.rowCount(), from + expected.rowCount());
    for (std::size_t i = 0; i < expected.rowCount(); ++i) {
        const LogRow a = actual.row(from + i);
        const LogRow e = expected.row(i);
        EXPECT_EQ(a.No, e.No) << "row " << i;
        EXPECT_EQ(a.Time, e.Time) << "row " << i;
        EXPECT_EQ(a.Func, e.Func) << "row " << i;
        EXPECT_EQ(a.Value, e.Value) << "row " << i;
        EXPECT_EQ(a.Unit, e.Unit) << "row " << i;
        EXPECT_EQ(a.Range, e.Range) << "row " << i;
        EXPECT_EQ(a.DateTime, e.DateTime) << "row " << i;
        EXPECT_EQ(a.Verdict, e.Verdict) << "row " << i;
    }
}

} // namespace vireo::testing_rows
