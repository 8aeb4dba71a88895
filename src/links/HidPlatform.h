#pragma once

#include "links/HidDeviceHandle.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vireo {

// One HID interface as a scan finds it: where to open it, the identity that tells a device
// seen again by a later scan from a new one, and the identity it keeps when it is unplugged
// and plugged in again at the same place.
struct HidInterfaceInfo {
    std::string path;
    // New each time the device is plugged in.
    std::string instance;
    // Vendor, product, serial number and USB port of the interface; empty when the platform
    // cannot tell (a device that is not on USB).
    std::string location;
};

struct HidOpenResult {
    std::unique_ptr<HidDeviceHandle> handle;
    std::uint32_t error = 0;
};

// The operating system's HID services. enumerate, open and the handles may be called from
// reader threads as well as the GUI thread; watchDeviceChanges belongs to the GUI thread.
class HidPlatform {
public:
    virtual ~HidPlatform() = default;

    // False when the HID services could not be started; nothing is then scanned.
    virtual bool available() const = 0;
    virtual std::vector<HidInterfaceInfo> enumerate() = 0;
    virtual HidOpenResult open(const std::string &path, HidAccess access) = 0;
    // Calls `onChange` on the GUI thread once per device added or removed; an empty function
    // stops watching.
    virtual void watchDeviceChanges(std::function<void()> onChange) = 0;
    // The code a read reports when the device is no longer there to be read.
    virtual std::uint32_t deviceGoneError() const = 0;
    // The code an open reports when the user may not open the device.
    virtual std::uint32_t accessDeniedError() const = 0;
    virtual std::string errorMessage(std::uint32_t code) const = 0;
};

} // namespace vireo
