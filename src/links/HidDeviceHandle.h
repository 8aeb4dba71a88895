#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vireo {

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

} // namespace vireo
