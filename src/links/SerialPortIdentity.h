#pragma once

#include <QString>

#include <functional>
#include <vector>

namespace vireo {

// One serial port the system lists, with what tells its device apart from every other: an
// adapter unplugged and plugged in again may come back under another name (ttyUSB0 as
// ttyUSB1), and another device may take the name it had.
struct SerialPortIdentity {
    // The device node, "/dev/ttyUSB0".
    QString systemLocation;
    // Its name under /dev/serial/by-id, empty when udev gave it none.
    QString byId;
    bool hasUsbIds = false;
    quint16 vendorId = 0;
    quint16 productId = 0;
    QString serialNumber;
    // The USB interface it hangs off ("1-2:1.0"), empty for a port that is not on USB.
    QString usbPlace;

    // Whether `other` is this same device, perhaps under another node name.
    bool sameDevice(const SerialPortIdentity &other) const;

    // The serial ports of this system, as Qt lists them.
    static std::vector<SerialPortIdentity> systemPorts();
};

using SerialPortLister = std::function<std::vector<SerialPortIdentity>()>;

} // namespace vireo
