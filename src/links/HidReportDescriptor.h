#pragma once

#include "links/HidDeviceHandle.h"

#include <array>
#include <cstdint>
#include <span>

namespace vireo {

// What a device's report descriptor declares of its reports.
struct HidReportLayout {
    // The largest input report's bytes plus the leading report ID byte (0 when reports are
    // unnumbered), or 0 when the descriptor declares no input report.
    HidInputCaps input;
    // Bytes of each feature report, report ID byte included, by report ID; 0 when the
    // descriptor declares no feature report of that ID.
    std::array<std::uint16_t, 256> featureLength{};
};

HidReportLayout parseReportDescriptor(std::span<const std::uint8_t> descriptor);

} // namespace vireo
