#include "core/TextPool.h"

#include <algorithm>
#include <cstring>

namespace vireo {

namespace {

constexpr std::size_t InitialSlots = 1024;

std::size_t hashText(std::string_view text)
{
    // FNV-1a: the texts are short, so a byte loop is as fast as anything wider.
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return static_cast<std::size_t>(hash ^ (hash >> 29));
}

} // namespace

TextPool::TextPool()
{
    clear();
}

void TextPool::clear()
{
    m_blocks.clear();
    m_blockUsed = BlockBytes;
    m_blockSize = BlockBytes;
    m_blockBytes = 0;
    m_texts.clear();
    m_texts.emplace_back();
    m_slots.assign(InitialSlots, 0);
}

std::uint32_t TextPool::intern(std::string_view text)
{
    if (text.empty())
        return 0;
    const std::size_t mask = m_slots.size() - 1;
    std::size_t slot = hashText(text) & mask;
    while (m_slots[slot] != 0) {
        const std::uint32_t id = m_slots[slot] - 1;
        if (m_texts[id] == text)
            return id;
        slot = (slot + 1) & mask;
    }
    const auto id = static_cast<std::uint32_t>(m_texts.size());
    m_texts.push_back(store(text));
    m_slots[slot] = id + 1;
    if (m_texts.size() * 2 > m_slots.size())
        grow();
    return id;
}

std::string_view TextPool::store(std::string_view text)
{
    if (m_blockUsed + text.size() > m_blockSize) {
        m_blockSize = std::max(BlockBytes, text.size());
        m_blocks.push_back(std::make_unique<char[]>(m_blockSize));
        m_blockBytes += m_blockSize;
        m_blockUsed = 0;
    }
    char *place = m_blocks.back().get() + m_blockUsed;
    std::memcpy(place, text.data(), text.size());
    m_blockUsed += text.size();
    return {place, text.size()};
}

void TextPool::grow()
{
    std::vector<std::uint32_t> slots(m_slots.size() * 2, 0);
    const std::size_t mask = slots.size() - 1;
    for (std::uint32_t id = 1; id < m_texts.size(); ++id) {
        std::size_t slot = hashText(m_texts[id]) & mask;
        while (slots[slot] != 0)
            slot = (slot + 1) & mask;
        slots[slot] = id + 1;
    }
    m_slots.swap(slots);
}

std::size_t TextPool::memoryBytes() const
{
    return m_blockBytes + m_texts.capacity() * sizeof(std::string_view) +
           m_slots.capacity() * sizeof(std::uint32_t);
}

} // namespace vireo
