#include "core/TraceLog.h"

namespace vireo {

TraceLog::TraceLog(std::size_t capacity) : m_lines(capacity == 0 ? 1 : capacity) {}

void TraceLog::append(std::string_view line)
{
    m_lines[m_next].assign(line);
    m_next = (m_next + 1) % m_lines.size();
    if (m_size < m_lines.size())
        ++m_size;
}

void TraceLog::clear()
{
    m_next = 0;
    m_size = 0;
}

const std::string &TraceLog::line(std::size_t i) const
{
    const std::size_t oldest = (m_next + m_lines.size() - m_size) % m_lines.size();
    return m_lines[(oldest + i) % m_lines.size()];
}

} // namespace vireo
