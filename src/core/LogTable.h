#pragma once

#include "core/TextPool.h"

#include <array>
#include <bitset>
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
};

// The in-memory reading log. Rows are only ever appended, and a log may run for days, so rows
// live in fixed-size chunks (an append never moves earlier rows) and hold ids of pooled texts
// rather than texts: a live row takes 24 bytes plus a bit. Texts handed out stay valid until
// the table is cleared.
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
    LogRow row(std::size_t row) const;

    // Heap bytes held by the table, for measuring.
    std::size_t memoryBytes() const;

private:
    static constexpr std::size_t ChunkRows = 1 << 12;
    static constexpr std::size_t TextColumns = ColumnCount - 1;

    struct StoredRow {
        std::int32_t no;
        std::array<std::uint32_t, TextColumns> textIds;
    };
    struct Chunk {
        std::array<StoredRow, ChunkRows> rows;
        std::bitset<ChunkRows> hasNo;
    };

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
    // One pool per column: the values, which change with nearly every row, are then looked up
    // among values only, a set small enough to stay in the cache.
    std::array<TextPool, TextColumns> m_pools;
    // The text last stored in each text column and its id: a live log mostly repeats them.
    std::array<std::uint32_t, TextColumns> m_lastIds{};
};

} // namespace vireo
