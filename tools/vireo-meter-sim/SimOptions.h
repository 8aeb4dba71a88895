#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vireo::sim {

enum class Scenario { Demo, Steady, Replay };

struct SimOptions {
    Scenario scenario = Scenario::Demo;
    std::string replayFile;
    std::string device;
    std::string link;
    double rate = 4.0;
    bool lineRate = false;
    std::uint64_t count = 0; // 0: until interrupted
    double dropBytes = 0.0;
    double garbage = 0.0;
    double crInData = 0.0;
    bool chunking = false;
    bool parityNoise = false;
    std::uint64_t vanishAfter = 0;
    bool vanishCycle = false;
    int downMs = 500;
    std::uint32_t seed = 1;
    bool help = false;
};

// Reads the command line; on a mistake returns nothing and says why in error.
std::optional<SimOptions> parseOptions(int argc, char **argv, std::string &error);

extern const char *const kUsage;

} // namespace vireo::sim
