#pragma once

#include <string>

namespace vireo {

// The platform's identity of one device interface.
struct TJvHidPnPInfo {
    std::string DevicePath;
    // Rescans match devices by this, so a device seen again is not reported as new. A device
    // plugged in again gets a new one.
    std::string DevInst;
    // Vendor, product, serial number and USB port: the same when the device is plugged in
    // again at the same place; empty when the platform cannot tell.
    std::string Location;

    // Whether both records name one physical device, now or across an unplug.
    bool SameDevice(const TJvHidPnPInfo &other) const
    {
        return DevInst == other.DevInst || (!Location.empty() && Location == other.Location);
    }
};

} // namespace vireo
