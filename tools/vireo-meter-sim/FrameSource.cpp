#include "FrameSource.h"

#include "core/MeterFrame.h"

#include <charconv>
#include <fstream>
#include <sstream>
#include <string_view>

namespace vireo::sim {

namespace {

using F = MeterFrame::Function;
using S = MeterFrame::Status;
using O1 = MeterFrame::Option1;
using O2 = MeterFrame::Option2;

constexpr std::uint8_t kDcAuto = O2::DC | O2::AUTO;
constexpr std::uint8_t kAcAuto = O2::AC | O2::AUTO;
constexpr int kFramesPerScene = 12;

// A stretch of the demo: one function and range, the value moving by step per frame.
struct Scene {
    std::uint8_t function;
    std::uint8_t range;
    std::uint8_t status;
    std::uint8_t option1;
    std::uint8_t option2;
    int start;
    int step;
};

std::vector<Scene> demoScenes()
{
    std::vector<Scene> scenes{
        // Voltage through every range, then mains on a manual range, then a value falling
        // through zero.
        {F::Voltage, 0, 0, 0, kDcAuto, 1234, 211},
        {F::Voltage, 1, 0, 0, kDcAuto, 1205, 97},
        {F::Voltage, 2, 0, 0, kDcAuto, 2300, -45},
        {F::Voltage, 3, 0, 0, kDcAuto, 230, 3},
        {F::Voltage, 4, 0, 0, kDcAuto, 3120, -187},
        {F::Voltage, 2, 0, 0, O2::AC, 2298, 1},
        {F::Voltage, 0, 0, 0, kDcAuto, 1500, -260},
        {F::Microampere, 0, 0, 0, kDcAuto, 1830, 57},
        {F::Microampere, 1, 0, 0, kDcAuto, 2750, -120},
        {F::Milliampere, 0, 0, 0, kDcAuto, 1250, 33},
        {F::Milliampere, 1, 0, 0, kAcAuto, 845, 21},
        {F::Ampere, 0, 0, 0, O2::DC, 152, 11},
    };
    for (std::uint8_t range = 0; range <= 5; ++range)
        scenes.push_back({F::Resistance, range, 0, 0, O2::AUTO, 100 + range * 500, 37});
    for (std::uint8_t range = 0; range <= 5; ++range)
        scenes.push_back({F::Frequency, range, 0, 0, O2::AUTO, 500 + range * 400, 61});
    scenes.insert(scenes.end(), {
                                    {F::Temperature, 0, S::Celsius, 0, 0, 235, 4},
                                    {F::Temperature, 0, 0, 0, 0, 734, 7},
                                    {F::Continuity, 0, 0, 0, 0, 120, -10},
                                    {F::Diode, 0, 0, 0, 0, 562, 3},
                                });
    for (std::uint8_t range = 0; range <= 7; ++range)
        scenes.push_back({F::Capacitance, range, 0, 0, O2::AUTO, 330 + range * 350, -13});
    scenes.insert(scenes.end(),
                  {
                      {F::HFE, 0, 0, 0, 0, 120, 5},
                      // Overload, positive and negative.
                      {F::Resistance, 1, S::Overload, 0, O2::AUTO, 0, 0},
                      {F::Voltage, 1, S::Overload | S::Negative, 0, O2::DC, 0, 0},
                      // HOLD freezes the value; MAX and MIN follow the meter's own record.
                      {F::Voltage, 0, 0, O1::HOLD, kDcAuto, 1234, 0},
                      {F::Voltage, 0, 0, O1::MAX, kDcAuto, 2000, 35},
                      {F::Voltage, 0, 0, O1::MIN, kDcAuto, 1000, -35},
                      {F::Voltage, 1, S::Battery, 0, kDcAuto, 900, 9},
                  });
    return scenes;
}

SimItem frameItem(const MeterFrame &frame)
{
    const auto bytes = frame.bytes();
    return {{bytes.begin(), bytes.end()}, true};
}

std::vector<SimItem> demoItems()
{
    std::vector<SimItem> items;
    for (const Scene &scene : demoScenes()) {
        for (int k = 0; k < kFramesPerScene; ++k) {
            MeterFrame frame;
            frame.function = scene.function;
            frame.range = scene.range;
            frame.setCount(scene.start + scene.step * k);
            frame.status |= scene.status;
            frame.option1 = scene.option1;
            frame.option2 = scene.option2;
            items.push_back(frameItem(frame));
        }
    }
    return items;
}

std::vector<SimItem> steadyItems()
{
    MeterFrame frame; // 1.234 V, DC, AUTO
    frame.setCount(1234);
    return {frameItem(frame)};
}

std::optional<SimItem> parseReplayLine(std::string_view line)
{
    std::vector<std::string_view> tokens;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t start = line.find_first_not_of(" \t\r", at);
        if (start == std::string_view::npos)
            break;
        const std::size_t end = std::min(line.find_first_of(" \t\r", start), line.size());
        tokens.push_back(line.substr(start, end - start));
        at = end;
    }
    if (tokens.size() == 1 && tokens[0].size() == MeterFrame::DataSize) {
        if (const auto frame = MeterFrame::fromNibbleText(tokens[0]))
            return frameItem(*frame);
        return std::nullopt;
    }
    SimItem raw{{}, false};
    for (std::string_view token : tokens) {
        std::uint8_t byte = 0;
        const char *end = token.data() + token.size();
        const auto result = std::from_chars(token.data(), end, byte, 16);
        if (token.size() != 2 || result.ec != std::errc() || result.ptr != end)
            return std::nullopt;
        raw.bytes.push_back(byte);
    }
    return raw;
}

std::optional<std::vector<SimItem>> replayItems(const std::string &path, std::string &error)
{
    std::ifstream file(path);
    if (!file) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    std::vector<SimItem> items;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        const std::string_view content = std::string_view(line).substr(0, line.find('#'));
        if (content.find_first_not_of(" \t\r") == std::string_view::npos)
            continue;
        auto item = parseReplayLine(content);
        if (!item) {
            error = path + ":" + std::to_string(number) +
                    ": expected nine hex digits or two-digit hex bytes";
            return std::nullopt;
        }
        items.push_back(std::move(*item));
    }
    if (items.empty()) {
        error = path + ": no frames";
        return std::nullopt;
    }
    return items;
}

} // namespace

std::optional<FrameSource> FrameSource::create(const SimOptions &options, std::string &error)
{
    switch (options.scenario) {
    case Scenario::Demo:
        return FrameSource(demoItems());
    case Scenario::Steady:
        return FrameSource(steadyItems());
    case Scenario::Replay:
        if (auto items = replayItems(options.replayFile, error))
            return FrameSource(std::move(*items));
        return std::nullopt;
    }
    return std::nullopt;
}

const SimItem &FrameSource::next()
{
    const SimItem &item = m_items[m_next];
    m_next = (m_next + 1) % m_items.size();
    return item;
}

} // namespace vireo::sim
