#pragma once

#include "SimOptions.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vireo::sim {

// One unit the meter sends: a whole frame, or bytes from a replay file sent as they are.
struct SimItem {
    std::vector<std::uint8_t> bytes;
    bool frame = true;
};

// The sequence of items of a scenario, played round and round.
class FrameSource {
public:
    // Nothing, with the reason in error, when the replay file cannot be read or is empty.
    static std::optional<FrameSource> create(const SimOptions &options, std::string &error);

    const SimItem &next();

private:
    explicit FrameSource(std::vector<SimItem> items) : m_items(std::move(items)) {}

    std::vector<SimItem> m_items;
    std::size_t m_next = 0;
};

} // namespace vireo::sim
