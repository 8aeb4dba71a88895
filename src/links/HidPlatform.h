#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vireo {

// One HID interface as a scan finds it: where to open it, and the identity that tells a
// device seen again by a later scan from a new one.
struct HidInterfaceInfo {
    std::string path;
    std::string instance;
};

struct HidAttributes {
    std::uint16_t VendorID = 0;
    std::uint16_t ProductID = 0;
    std::uint16_t VersionNumber = 0;
};

struct HidInputCaps {
    // Bytes of the largest input report, plus one for the report ID (0 when unnumbered).
    std::uint16_t InputReportByteLength = 0;
    bool numbered = false;
};

struct HidReadResult {
    enum class Status { Report, Timeout, Error };
    Status status = Status::Timeout;
    // Report: bytes written, report ID first.
    std::size_t size = 0;
    // Error: the platform's error code.
    std::uint32_t error = 0;
};

enum class HidAccess { ReadWrite, QueryOnly };

// An open device. A query-only handle answers identity questions but cannot send or read
// reports. Each handle is used by one thread at a time.
class HidDeviceHandle {
public:
    virtual ~HidDeviceHandle() = default;

    virtual std::optional<HidAttributes> attributes() = 0;
    virtual std::optional<std::u16string> productString() = 0;
    virtual std::optional<std::u16string> serialNumberString() = 0;
    // The device's language-ID list (string index 0); nullopt when the platform cannot read it.
    virtual std::optional<std::u16string> languageIds() = 0;
    virtual std::optional<HidInputCaps> inputCaps() = 0;
    // `report` starts with the report ID.
    virtual bool sendFeature(std::span<const std::uint8_t> report) = 0;
    // Waits up to `timeoutMs` for one input report and writes it with the report ID first
    // (0 for unnumbered reports).
    virtual HidReadResult readInput(std::span<std::uint8_t> buffer, int timeoutMs) = 0;
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
    virtual std::string errorMessage(std::uint32_t code) const = 0;
};

} // namespace vireo
