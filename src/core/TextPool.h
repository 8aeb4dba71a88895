#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace vireo {

// Keeps one copy of every distinct short text and hands out 32-bit ids for them. A live log
// repeats a small set of texts (units, AC/DC, AUTO/MANU, times, values), so a row can hold
// ids instead of texts. Id 0 is always the empty text. Texts stay where they are once stored:
// a view returned by text() is valid until clear().
class TextPool {
public:
    TextPool();

    std::uint32_t intern(std::string_view text);
    std::string_view text(std::uint32_t id) const { return m_texts[id]; }
    std::size_t size() const { return m_texts.size(); }
    void clear();
    std::size_t memoryBytes() const;

private:
    static constexpr std::size_t BlockBytes = 16 * 1024;

    std::string_view store(std::string_view text);
    void grow();

    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::size_t m_blockUsed = BlockBytes;
    std::size_t m_blockSize = BlockBytes;
    std::size_t m_blockBytes = 0;
    std::vector<std::string_view> m_texts;
    // Open addressing with linear probing; a slot holds id + 1, 0 marks an empty slot.
    std::vector<std::uint32_t> m_slots;
};

} // namespace vireo
