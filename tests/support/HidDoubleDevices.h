#pragma once

#include "support/HidDoubleControl.h"

#include <string>
#include <vector>

namespace vireo::test {

// The meter's cable as hidraw shows it: a vendor-defined collection with 8-byte unnumbered
// input and output reports and a 5-byte feature report (speed, 32-bit little-endian, then one
// byte).
inline std::vector<std::uint8_t> bridgeDescriptor(std::uint8_t featureBytes = 5)
{
    return {
        0x06, 0x00,         0xFF,             // Usage Page (vendor)
        0x09, 0x01,                           // Usage
        0xA1, 0x01,                           // Collection (Application)
        0x15, 0x00,         0x26, 0xFF, 0x00, //   Logical 0 .. 255
        0x75, 0x08,         0x95, 0x08,       //   8 bits x 8
        0x09, 0x01,         0x81, 0x02,       //   Input
        0x09, 0x01,         0x91, 0x02,       //   Output
        0x95, featureBytes,                   //   8 bits x featureBytes
        0x09, 0x01,         0xB1, 0x02,       //   Feature
        0xC0,                                 // End Collection
    };
}

// A "USB to Serial" cable at hidraw node `sysname`, plugged into USB interface `usbInterface`;
// `plugCount` tells the sysfs names of successive pluggings apart.
inline HidDoubleDevice bridgeDevice(const std::string &sysname, const std::string &usbInterface,
                                    int plugCount = 1)
{
    HidDoubleDevice device;
    device.sysname = sysname;
    device.vendorId = 0x1234;
    device.productId = 0x5678;
    device.product = L"USB to Serial";
    device.hidName = "0003:1234:5678." + std::to_string(1000 + plugCount);
    device.usbInterface = usbInterface;
    device.reportDescriptor = bridgeDescriptor();
    return device;
}

// Something else on the desktop: a wireless mouse's receiver.
inline HidDoubleDevice mouseDevice(const std::string &sysname, int plugCount = 1)
{
    HidDoubleDevice device;
    device.sysname = sysname;
    device.vendorId = 0x4321;
    device.productId = 0x0001;
    device.product = L"Wireless Receiver";
    device.hidName = "0003:4321:0001." + std::to_string(2000 + plugCount);
    device.usbInterface = "1-4:1.0";
    device.reportDescriptor = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x75,
                               0x08, 0x95, 0x04, 0x81, 0x06, 0xC0};
    return device;
}

// One input report of the cable: `bytes` meter bytes after the count byte 0xF0 | count,
// padded to 8 bytes.
inline std::vector<std::uint8_t> bridgeReport(const std::vector<std::uint8_t> &bytes)
{
    std::vector<std::uint8_t> report(8, 0);
    report[0] = static_cast<std::uint8_t>(0xF0 | bytes.size());
    for (std::size_t i = 0; i < bytes.size() && i + 1 < report.size(); ++i)
        report[i + 1] = bytes[i];
    return report;
}

} // namespace vireo::test
