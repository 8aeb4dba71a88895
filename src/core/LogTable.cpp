#include "core/LogTable.h"

namespace vireo {

namespace {

std::size_t textIndex(LogColumn column)
{
    return static_cast<std::size_t>(column) - 1;
}

} // namespace

std::uint32_t LogTable::internCached(std::size_t textColumn, std::string_view text)
{
    text = text.substr(0, TextWidth);
    std::uint32_t &last = m_lastIds[textColumn];
    if (m_pools[textColumn].text(last) != text)
        last = m_pools[textColumn].intern(text);
    return last;
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
    ++m_rowCount;
}

void LogTable::clear()
{
    m_chunks.clear();
    m_rowCount = 0;
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

LogRow LogTable::row(std::size_t row) const
{
    const StoredRow &s = stored(row);
    return {no(row), pooled(s, 0), pooled(s, 1), pooled(s, 2), pooled(s, 3), pooled(s, 4)};
}

std::size_t LogTable::memoryBytes() const
{
    std::size_t bytes = m_chunks.size() * sizeof(Chunk) + m_chunks.capacity() * sizeof(m_chunks[0]);
    for (const TextPool &pool : m_pools)
        bytes += pool.memoryBytes();
    return bytes;
}

} // namespace vireo
