#pragma once

#include <QString>

namespace vireo {

class TJvHidDevice;

// Why the device could not be opened for reading, in words for the user, and what to do about
// it when it was refused for want of permission: "Cannot open USB to Serial (/dev/hidraw0):
// permission denied. The udev rule ...". `name` is the device as the user knows it.
QString hidOpenFailure(const TJvHidDevice &device, const QString &name);

} // namespace vireo
