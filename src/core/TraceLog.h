#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vireo {

// A trace of the newest lines. Fed a line per meter frame for as long as the program runs, so
// it keeps only the newest `capacity` lines: a run of days must not exhaust memory.
class TraceLog {
public:
    explicit TraceLog(std::size_t capacity = 1000);

    void append(std::string_view line);
    void clear();
    std::size_t size() const { return m_size; }
    std::size_t capacity() const { return m_lines.size(); }
    // Line i, oldest first.
    const std::string &line(std::size_t i) const;

private:
    std::vector<std::string> m_lines;
    std::size_t m_next = 0;
    std::size_t m_size = 0;
};

} // namespace vireo
