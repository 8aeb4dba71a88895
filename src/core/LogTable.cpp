#include "core/LogTable.h"

#include "core/TextEncoding.h"

#include <algorithm>

namespace vireo {

namespace {

std::size_t textIndex(LogColumn column)
{
    return static_cast<std::size_t>(column) - 1;
}

// The first TextWidth characters: of a UTF-8 text (a row read from a CSV file) whole
// characters, so that a cut never leaves half a character behind; of other bytes (a file of
// the single-byte code page) as many bytes.
std::string_view firstCharacters(std::string_view text)
{
    if (text.size() <= LogTable::TextWidth || !isValidUtf8(text))
        return text.substr(0, LogTable::TextWidth);
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 &&
            characters++ == LogTable::TextWidth)
            return text.substr(0, i);
    }
    return text;
}

} // namespace

std::uint32_t LogTable::internCached(std::size_t textColumn, std::string_view text)
{
    text = firstCharacters(text);
    std::uint32_t &last = m_lastIds[textColumn];
    if (m_pools[textColumn].text(last) != text)
        last = m_pools[textColumn].intern(text);
    return last;
}

void LogTable::storeDate(Chunk &chunk, std::size_t inChunk, const LogStamp &stamp)
{
    if (!chunk.hasDateBase) {
        chunk.dateBase = stamp.utcMs;
        chunk.hasDateBase = true;
    }
    std::int64_t fromBase = 0;
    if (__builtin_sub_overflow(stamp.utcMs, chunk.dateBase, &fromBase) || fromBase <= FarDate ||
        fromBase > INT32_MAX) {
        chunk.rows[inChunk].msFromBase = FarDate;
        m_farDates.push_back({m_rowCount, stamp.utcMs});
    } else {
        chunk.rows[inChunk].msFromBase = static_cast<std::int32_t>(fromBase);
    }
    if (m_offsetRuns.empty() || m_offsetRuns.back().minutes != stamp.offsetMinutes)
        m_offsetRuns.push_back({m_rowCount, stamp.offsetMinutes});
}

void LogTable::append(const LogRow &row)
{
    const std::size_t inChunk = m_rowCount % ChunkRows;
    if (inChunk == 0 && m_rowCount / ChunkRows == m_chunks.size())
        m_chunks.push_back(std::make_unique_for_overwrite<Chunk>());
    Chunk &chunk = *m_chunks[m_rowCount / ChunkRows];
    StoredRow &stored = chunk.rows[inChunk];
    stored.no = row.No.value_or(0);
    chunk.hasNo[inChunk] = row.No.has_value();
    stored.textIds = {internCached(0, row.Time), internCached(1, row.Func),
                      internCached(2, row.Value), internCached(3, row.Unit),
                      internCached(4, row.Range)};
    chunk.hasDate[inChunk] = row.DateTime.has_value();
    if (row.DateTime)
        storeDate(chunk, inChunk, *row.DateTime);
    chunk.judged[inChunk] = row.Verdict.has_value();
    chunk.failed[inChunk] = row.Verdict == Verdict::Fail;
    ++m_rowCount;
}

void LogTable::clear()
{
    m_chunks.clear();
    m_rowCount = 0;
    m_farDates.clear();
    m_offsetRuns.clear();
    for (TextPool &pool : m_pools)
        pool.clear();
    m_lastIds.fill(0);
}

std::optional<std::int32_t> LogTable::no(std::size_t row) const
{
    if (!m_chunks[row / ChunkRows]->hasNo[row % ChunkRows])
        return std::nullopt;
    return stored(row).no;
}

std::string_view LogTable::text(std::size_t row, LogColumn column) const
{
    return pooled(stored(row), textIndex(column));
}

std::optional<LogStamp> LogTable::dateTime(std::size_t row) const
{
    const Chunk &chunk = *m_chunks[row / ChunkRows];
    if (!chunk.hasDate[row % ChunkRows])
        return std::nullopt;
    LogStamp stamp;
    const std::int32_t fromBase = chunk.rows[row % ChunkRows].msFromBase;
    if (fromBase == FarDate) {
        stamp.utcMs =
            std::lower_bound(m_farDates.begin(), m_farDates.end(), row,
                             [](const FarDateRow &far, std::size_t r) { return far.row < r; })
                ->utcMs;
    } else {
        stamp.utcMs = chunk.dateBase + fromBase;
    }
    // The run that holds the row: the last one beginning at or before it.
    stamp.offsetMinutes = std::prev(std::upper_bound(m_offsetRuns.begin(), m_offsetRuns.end(), row,
                                                     [](std::size_t r, const OffsetRun &run) {
                                                         return r < run.firstRow;
                                                     }))
                              ->minutes;
    return stamp;
}

std::optional<Verdict> LogTable::verdict(std::size_t row) const
{
    const Chunk &chunk = *m_chunks[row / ChunkRows];
    if (!chunk.judged[row % ChunkRows])
        return std::nullopt;
    return chunk.failed[row % ChunkRows] ? Verdict::Fail : Verdict::Pass;
}

LogRow LogTable::row(std::size_t row) const
{
    const StoredRow &s = stored(row);
    return {no(row),      pooled(s, 0), pooled(s, 1),  pooled(s, 2),
            pooled(s, 3), pooled(s, 4), dateTime(row), verdict(row)};
}

std::size_t LogTable::memoryBytes() const
{
    std::size_t bytes =
        m_chunks.size() * sizeof(Chunk) + m_chunks.capacity() * sizeof(m_chunks[0]) +
        m_farDates.capacity() * sizeof(FarDateRow) + m_offsetRuns.capacity() * sizeof(OffsetRun);
    for (const TextPool &pool : m_pools)
        bytes += pool.memoryBytes();
    return bytes;
}

} // namespace vireo
