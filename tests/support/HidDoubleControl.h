#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vireo::test {

// One HID interface as the stand-in for hidapi and libudev plays it.
struct HidDoubleDevice {
    // The hidraw node's name; the node itself is a file under the stand-in's own directory.
    std::string sysname = "hidraw0";
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t release = 0x0100;
    std::wstring product;
    std::wstring serial;
    // The sysfs name of the HID device, new each time a device is plugged in.
    std::string hidName = "0003:0000:0000.0001";
    // The USB interface it hangs off ("3-1.2:1.0"); empty for a device that is not on USB.
    std::string usbInterface;
    std::vector<std::uint8_t> reportDescriptor;
    // Opening the node for reading and writing fails with EACCES.
    bool accessDenied = false;
};

// The scripting side of the stand-in. Everything here may be called from any thread.
class HidDoubleControl {
public:
    virtual ~HidDoubleControl() = default;

    // No devices, no queued events or reports; counters back to zero.
    virtual void reset() = 0;
    // A device that is there already (no udev event); returns the node's path.
    virtual std::string add(const HidDoubleDevice &device) = 0;
    // A device plugged in (an "add" event on every udev monitor); returns the node's path.
    virtual std::string plug(const HidDoubleDevice &device) = 0;
    // The device at `node` unplugged (a "remove" event); its open handles fail from now on.
    virtual void unplug(const std::string &node) = 0;
    // One input report, as hidraw returns it (no report ID byte for unnumbered reports).
    virtual void queueInput(const std::string &node, std::vector<std::uint8_t> report) = 0;
    // With no report queued, reads return this one once a millisecond, the way a cable sends
    // empty reports between the meter's frames; an empty report stops the stream.
    virtual void streamInput(const std::string &node, std::vector<std::uint8_t> report) = 0;

    // Every feature report sent to the node, as the bytes hidraw was given.
    virtual std::vector<std::vector<std::uint8_t>> sentFeatures(const std::string &node) = 0;
    // Reports the node has delivered to reads.
    virtual std::size_t reportsRead(const std::string &node) = 0;
    virtual int openDevices() = 0;
    virtual int initCalls() = 0;
};

} // namespace vireo::test

extern "C" vireo::test::HidDoubleControl *vireo_hid_double_control();
