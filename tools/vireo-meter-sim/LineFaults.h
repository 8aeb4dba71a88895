#pragma once

#include "FrameSource.h"
#include "SimOptions.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

namespace vireo::sim {

// Damages the bytes of an item the way a poor line or a misconfigured meter would.
class LineFaults {
public:
    LineFaults(const SimOptions &options, std::mt19937 &random);

    std::vector<std::uint8_t> apply(const SimItem &item);
    // Random write sizes for --chunking: one write per entry.
    std::vector<std::size_t> chunkSizes(std::size_t total);
    // The pause before each further write of a chunked item.
    std::chrono::microseconds chunkPause();

private:
    bool chance(double probability);

    const SimOptions &m_options;
    std::mt19937 &m_random;
};

} // namespace vireo::sim
