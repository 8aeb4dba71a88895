#pragma once

#include "links/HidPlatform.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace vireo {

// What a device shares with its reader thread. The reader may outlive the device by the
// remainder of one hand-over, so it holds this rather than the device.
struct HidDeviceShared {
    HidDeviceShared(std::shared_ptr<HidPlatform> platform, std::string path)
        : platform(std::move(platform)), path(std::move(path))
    {
    }
    bool accessible() const { return attached && (claimed || beingListed); }

    const std::shared_ptr<HidPlatform> platform;
    const std::string path;
    std::atomic<bool> attached{true};
    std::atomic<bool> claimed{false};
    std::atomic<bool> beingListed{false};
    std::atomic<std::int32_t> threadWaitTime{100};
};

} // namespace vireo
