#pragma once

#include "links/HidCApi.h"
#include "links/HidPlatform.h"
#include "links/LinuxHidHandle.h"

#include <map>
#include <memory>

class QSocketNotifier;

namespace vireo {

// hidraw devices through hidapi, identified and described through udev and sysfs, with a udev
// monitor for hot-plug.
class LinuxHidPlatform : public HidPlatform {
public:
    explicit LinuxHidPlatform(HidCApi api = HidCApi::system());
    ~LinuxHidPlatform() override;
    LinuxHidPlatform(const LinuxHidPlatform &) = delete;
    LinuxHidPlatform &operator=(const LinuxHidPlatform &) = delete;

    bool available() const override { return m_available; }
    std::vector<HidInterfaceInfo> enumerate() override;
    HidOpenResult open(const std::string &path, HidAccess access) override;
    void watchDeviceChanges(std::function<void()> onChange) override;
    std::uint32_t deviceGoneError() const override;
    std::uint32_t accessDeniedError() const override;
    std::string errorMessage(std::uint32_t code) const override;

private:
    struct SysfsPlace {
        std::string hidPath;
        std::string usbInterface;
    };
    SysfsPlace sysfsPlace(const std::string &nodePath) const;
    std::optional<HidReportLayout> readLayout(const std::string &nodePath) const;
    void stopWatching();
    void drainMonitor();

    const HidCApi m_api;
    bool m_available = false;
    // What the last enumeration told of each node.
    std::map<std::string, LinuxHidHandle::Identity> m_identities;
    udev *m_udev = nullptr;
    udev_monitor *m_monitor = nullptr;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::function<void()> m_onChange;
};

} // namespace vireo
