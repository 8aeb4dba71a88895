#pragma once

#include "core/Judgement.h"
#include "core/LogStamp.h"
#include "core/TextPool.h"

#include <array>
#include <bitset>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace vireo {

// Columns of the reading log, in their fixed order.
enum class LogColumn { No, Time, Func, Value, Unit, Range };

// One reading log row as plain values. The texts are views: the table copies what it keeps.
struct LogRow {
    std::optional<std::int32_t> No;
    std::string_view Time;
    std::string_view Func;
    std::string_view Value;
    std::string_view Unit;
    std::string_view Range;
    // When the row was logged. Rows read from .xls, .txt and .xml files have no date.
    std::optional<LogStamp> DateTime = std::nullopt;
    // The row's judgement as it was made when the row was logged, if it was judged.
    std::optional<vireo::Verdict> Verdict = std::nullopt;
};

// The in-memory reading log. Rows are only ever appended, and a log may run for days, so rows
// live in fixed-size chunks (an append never moves earlier rows) and hold ids of pooled texts
// rather than texts. A row's date is kept as milliseconds from the first date of its chunk,
// its offset from UTC once per change (at a change of daylight saving time), its verdict in
// two bits: a live row takes 28 bytes plus a bit. Texts handed out stay valid until the table
// is cleared.
class LogTable {
public:
    static constexpr std::size_t ColumnCount = 6;
    // A text column keeps at most this many characters of what is stored into it.
    static constexpr std::size_t TextWidth = 20;
    static constexpr std::array<std::string_view, ColumnCount> ColumnNames{"No",    "Time", "DC/AC",
                                                                           "Value", "Unit", "Auto"};

    void append(const LogRow &row);
    void clear();
    std::size_t rowCount() const { return m_rowCount; }

    std::optional<std::int32_t> no(std::size_t row) const;
    // Text of a text column (not of No).
    std::string_view text(std::size_t row, LogColumn column) const;
    std::optional<LogStamp> dateTime(std::size_t row) const;
    std::optional<Verdict> verdict(std::size_t row) const;
    LogRow row(std::size_t row) const;

    // Heap bytes held by the table, for measuring.
    std::size_t memoryBytes() const;

private:
    static constexpr std::size_t ChunkRows = 1 << 12;
    static constexpr std::size_t TextColumns = ColumnCount - 1;

    // Marks a date too far from its chunk's first date for 32 bits of milliseconds (24 days);
    // such dates (a clock set by years, a log resumed after weeks) are kept aside.
    static constexpr std::int32_t FarDate = INT32_MIN;

    struct StoredRow {
        std::int32_t no;
        std::int32_t msFromBase;
        std::array<std::uint32_t, TextColumns> textIds;
    };
    struct Chunk {
        std::array<StoredRow, ChunkRows> rows;
        std::int64_t dateBase = 0;
        bool hasDateBase = false;
        std::bitset<ChunkRows> hasNo;
        std::bitset<ChunkRows> hasDate;
        std::bitset<ChunkRows> judged;
        std::bitset<ChunkRows> failed;
    };
    struct FarDateRow {
        std::size_t row;
        std::int64_t utcMs;
    };
    struct OffsetRun {
        std::size_t firstRow;
        std::int16_t minutes;
    };

    void storeDate(Chunk &chunk, std::size_t inChunk, const LogStamp &stamp);
    std::uint32_t internCached(std::size_t textColumn, std::string_view text);
    std::string_view pooled(const StoredRow &row, std::size_t textColumn) const
    {
        return m_pools[textColumn].text(row.textIds[textColumn]);
    }
    const StoredRow &stored(std::size_t row) const
    {
        return m_chunks[row / ChunkRows]->rows[row % ChunkRows];
    }

    std::vector<std::unique_ptr<Chunk>> m_chunks;
    std::size_t m_rowCount = 0;
    // Both in row order: far dates by row, offsets from the row where they begin.
    std::vector<FarDateRow> m_farDates;
    std::vector<OffsetRun> m_offsetRuns;
    // One pool per column: the values, which change with nearly every row, are then looked up
    // among values only, a set small enough to stay in the cache.
    std::array<TextPool, TextColumns> m_pools;
    // The text last stored in each text column and its id: a live log mostly repeats them.
    std::array<std::uint32_t, TextColumns> m_lastIds{};
};

} // namespace vireo
