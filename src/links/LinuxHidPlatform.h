#pragma once

#include "links/HidPlatform.h"

#include <map>
#include <memory>

class QSocketNotifier;
struct udev;
struct udev_monitor;

namespace vireo {

// Input report size and numbering as the report descriptor declares them: the largest input
// report's bytes plus the leading report ID byte (0 when reports are unnumbered), or 0 when the
// descriptor declares no input report.
HidInputCaps parseReportDescriptor(std::span<const std::uint8_t> descriptor);

// hidraw devices through hidapi, identified and described through udev and sysfs, with a udev
// monitor for hot-plug.
class LinuxHidPlatform : public HidPlatform {
public:
    LinuxHidPlatform();
    ~LinuxHidPlatform() override;
    LinuxHidPlatform(const LinuxHidPlatform &) = delete;
    LinuxHidPlatform &operator=(const LinuxHidPlatform &) = delete;

    bool available() const override { return m_available; }
    std::vector<HidInterfaceInfo> enumerate() override;
    HidOpenResult open(const std::string &path, HidAccess access) override;
    void watchDeviceChanges(std::function<void()> onChange) override;
    std::uint32_t deviceGoneError() const override;
    std::string errorMessage(std::uint32_t code) const override;

    // What the last enumeration told of each node: the answers of a query-only handle.
    struct Identity {
        HidAttributes attributes;
        std::u16string product;
        std::u16string serial;
    };

private:
    void stopWatching();
    void drainMonitor();

    bool m_available = false;
    std::map<std::string, Identity> m_identities;
    udev *m_udev = nullptr;
    udev_monitor *m_monitor = nullptr;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::function<void()> m_onChange;
};

} // namespace vireo
