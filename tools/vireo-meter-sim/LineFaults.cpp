#include "LineFaults.h"

#include "core/MeterFrame.h"

#include <algorithm>
#include <bit>

namespace vireo::sim {

LineFaults::LineFaults(const SimOptions &options, std::mt19937 &random)
    : m_options(options), m_random(random)
{
}

bool LineFaults::chance(double probability)
{
    return probability > 0.0 &&
           std::uniform_real_distribution<double>(0.0, 1.0)(m_random) < probability;
}

std::vector<std::uint8_t> LineFaults::apply(const SimItem &item)
{
    std::vector<std::uint8_t> bytes = item.bytes;
    if (item.frame && chance(m_options.crInData)) {
        std::uniform_int_distribution<std::size_t> position(0, MeterFrame::DataSize - 1);
        bytes[position(m_random)] = 0x0D;
    }
    if (m_options.parityNoise) {
        // Seven data bits and an odd parity bit, read as eight data bits: bit 7 is the parity.
        for (std::uint8_t &b : bytes) {
            const auto low = static_cast<std::uint8_t>(b & 0x7F);
            const bool parity = std::popcount(low) % 2 == 0;
            b = static_cast<std::uint8_t>(low | (parity ? 0x80 : 0x00));
        }
    }
    std::vector<std::uint8_t> out;
    out.reserve(bytes.size() * 2);
    std::uniform_int_distribution<int> anyByte(0, 255);
    for (const std::uint8_t b : bytes) {
        if (!chance(m_options.dropBytes))
            out.push_back(b);
        if (chance(m_options.garbage))
            out.push_back(static_cast<std::uint8_t>(anyByte(m_random)));
    }
    return out;
}

std::vector<std::size_t> LineFaults::chunkSizes(std::size_t total)
{
    if (!m_options.chunking)
        return {total};
    std::vector<std::size_t> sizes;
    std::uniform_int_distribution<std::size_t> size(1, 7);
    while (total > 0) {
        const std::size_t n = std::min(total, size(m_random));
        sizes.push_back(n);
        total -= n;
    }
    return sizes;
}

std::chrono::microseconds LineFaults::chunkPause()
{
    return std::chrono::microseconds(std::uniform_int_distribution<int>(0, 1000)(m_random));
}

} // namespace vireo::sim
