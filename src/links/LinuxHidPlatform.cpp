#include "links/LinuxHidPlatform.h"

#include <QSocketNotifier>

#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>

namespace vireo {

namespace {

// hidapi keeps process-wide state (its initialisation and last-error text) that enumeration and
// opening touch; reader threads open devices too, so those calls are serialised. The count of
// users is kept per library, since tests put a stand-in beside the system's.
std::mutex &hidapiMutex()
{
    static std::mutex mutex;
    return mutex;
}

struct LibraryUse {
    int users = 0;
    bool ready = false;
};

LibraryUse &libraryUse(const HidCApi &api)
{
    static std::map<decltype(HidCApi::hid_init), LibraryUse> uses;
    return uses[api.hid_init];
}

using Identity = LinuxHidHandle::Identity;

Identity identityOf(const hid_device_info &info)
{
    return {{info.vendor_id, info.product_id, info.release_number},
            LinuxHidHandle::toUtf16(info.product_string),
            LinuxHidHandle::toUtf16(info.serial_number)};
}

std::string utf8(const std::u16string &text)
{
    std::string out;
    for (const char16_t c : text) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            // Only told apart, never shown: any unambiguous spelling will do.
            std::array<char, 8> escaped{};
            std::snprintf(escaped.data(), escaped.size(), "\\u%04x", static_cast<unsigned>(c));
            out += escaped.data();
        }
    }
    return out;
}

// Vendor, product and serial number say which device it is, the USB interface (bus, port path,
// configuration and interface number) where it is plugged in.
std::string locationOf(const Identity &identity, const std::string &usbInterface)
{
    if (usbInterface.empty())
        return {};
    std::array<char, 16> ids{};
    std::snprintf(ids.data(), ids.size(), "%04x:%04x", identity.attributes.VendorID,
                  identity.attributes.ProductID);
    return std::string(ids.data()) + ":" + utf8(identity.serial) + "@" + usbInterface;
}

} // namespace

LinuxHidPlatform::LinuxHidPlatform(HidCApi api) : m_api(api)
{
    std::lock_guard lock(hidapiMutex());
    LibraryUse &use = libraryUse(m_api);
    if (use.users++ == 0)
        use.ready = m_api.hid_init() == 0;
    m_available = use.ready;
}

LinuxHidPlatform::~LinuxHidPlatform()
{
    stopWatching();
    std::lock_guard lock(hidapiMutex());
    LibraryUse &use = libraryUse(m_api);
    if (--use.users == 0 && use.ready) {
        m_api.hid_exit();
        use.ready = false;
    }
}

LinuxHidPlatform::SysfsPlace LinuxHidPlatform::sysfsPlace(const std::string &nodePath) const
{
    const std::string sysname = nodePath.substr(nodePath.rfind('/') + 1);
    udev *context = m_api.udev_new();
    if (context == nullptr)
        return {};
    SysfsPlace place;
    if (udev_device *raw =
            m_api.udev_device_new_from_subsystem_sysname(context, "hidraw", sysname.c_str())) {
        // The sysfs path of the HID device: stable while the device stays plugged in, new each
        // time it is plugged in again.
        udev_device *hid = m_api.udev_device_get_parent_with_subsystem_devtype(raw, "hid", nullptr);
        if (hid != nullptr && m_api.udev_device_get_syspath(hid) != nullptr)
            place.hidPath = m_api.udev_device_get_syspath(hid);
        udev_device *usb =
            m_api.udev_device_get_parent_with_subsystem_devtype(raw, "usb", "usb_interface");
        if (usb != nullptr && m_api.udev_device_get_sysname(usb) != nullptr)
            place.usbInterface = m_api.udev_device_get_sysname(usb);
        m_api.udev_device_unref(raw);
    }
    m_api.udev_unref(context);
    return place;
}

std::optional<HidReportLayout> LinuxHidPlatform::readLayout(const std::string &nodePath) const
{
    const std::string hidPath = sysfsPlace(nodePath).hidPath;
    if (hidPath.empty())
        return std::nullopt;
    std::ifstream file(hidPath + "/report_descriptor", std::ios::binary);
    if (!file)
        return std::nullopt;
    std::array<char, HID_API_MAX_REPORT_DESCRIPTOR_SIZE> descriptor{};
    file.read(descriptor.data(), descriptor.size());
    return parseReportDescriptor(
        std::span(reinterpret_cast<const std::uint8_t *>(descriptor.data()),
                  static_cast<std::size_t>(file.gcount())));
}

std::vector<HidInterfaceInfo> LinuxHidPlatform::enumerate()
{
    std::vector<std::pair<std::string, Identity>> nodes;
    {
        std::lock_guard lock(hidapiMutex());
        hid_device_info *devices = m_api.hid_enumerate(0, 0);
        // One node can be listed once per top-level collection; it is one interface.
        m_identities.clear();
        for (const hid_device_info *info = devices; info != nullptr; info = info->next) {
            if (info->path != nullptr && m_identities.emplace(info->path, identityOf(*info)).second)
                nodes.emplace_back(info->path, identityOf(*info));
        }
        m_api.hid_free_enumeration(devices);
    }
    std::vector<HidInterfaceInfo> found;
    for (auto &[path, identity] : nodes) {
        SysfsPlace place = sysfsPlace(path);
        std::string instance = place.hidPath.empty() ? path : std::move(place.hidPath);
        found.push_back(
            {std::move(path), std::move(instance), locationOf(identity, place.usbInterface)});
    }
    return found;
}

HidOpenResult LinuxHidPlatform::open(const std::string &path, HidAccess access)
{
    std::optional<Identity> identity;
    hid_device *device = nullptr;
    std::uint32_t error = ENOENT;
    {
        std::lock_guard lock(hidapiMutex());
        if (access == HidAccess::ReadWrite) {
            errno = 0;
            device = m_api.hid_open_path(path.c_str());
            if (device == nullptr) {
                // hidapi keeps the reason only as text; the node tells it again.
                const int openErrno = errno;
                if (::access(path.c_str(), R_OK | W_OK) != 0)
                    error = static_cast<std::uint32_t>(errno);
                else
                    error = openErrno != 0 ? static_cast<std::uint32_t>(openErrno) : EIO;
            } else if (const hid_device_info *info = m_api.hid_get_device_info(device)) {
                identity = identityOf(*info);
            }
        } else {
            // Without access to the node, what the scan learnt from sysfs still answers the
            // identity questions (and spares a scan per question).
            std::error_code ignored;
            const auto it = m_identities.find(path);
            if (it != m_identities.end() && std::filesystem::exists(path, ignored))
                identity = it->second;
        }
    }
    if (!identity) {
        if (device != nullptr) {
            m_api.hid_close(device);
            error = ENODEV;
        }
        return {nullptr, error};
    }
    return {std::make_unique<LinuxHidHandle>(m_api, device, std::move(*identity), readLayout(path)),
            0};
}

void LinuxHidPlatform::watchDeviceChanges(std::function<void()> onChange)
{
    stopWatching();
    if (!onChange)
        return;
    m_udev = m_api.udev_new();
    if (m_udev == nullptr)
        return;
    m_monitor = m_api.udev_monitor_new_from_netlink(m_udev, "udev");
    if (m_monitor == nullptr ||
        m_api.udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "hidraw", nullptr) < 0 ||
        m_api.udev_monitor_enable_receiving(m_monitor) < 0) {
        // Without udev events the devices present at start-up are still found.
        stopWatching();
        return;
    }
    m_onChange = std::move(onChange);
    m_notifier = std::make_unique<QSocketNotifier>(m_api.udev_monitor_get_fd(m_monitor),
                                                   QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { drainMonitor(); });
}

void LinuxHidPlatform::stopWatching()
{
    m_notifier.reset();
    m_onChange = nullptr;
    if (m_monitor != nullptr)
        m_api.udev_monitor_unref(m_monitor);
    m_monitor = nullptr;
    if (m_udev != nullptr)
        m_api.udev_unref(m_udev);
    m_udev = nullptr;
}

void LinuxHidPlatform::drainMonitor()
{
    while (udev_device *device = m_api.udev_monitor_receive_device(m_monitor)) {
        const char *action = m_api.udev_device_get_action(device);
        const bool changed = action != nullptr && (std::strcmp(action, "add") == 0 ||
                                                   std::strcmp(action, "remove") == 0);
        m_api.udev_device_unref(device);
        if (changed && m_onChange) {
            const std::function<void()> onChange = m_onChange;
            onChange();
        }
    }
}

std::uint32_t LinuxHidPlatform::deviceGoneError() const
{
    return ENODEV;
}

std::uint32_t LinuxHidPlatform::accessDeniedError() const
{
    return EACCES;
}

std::string LinuxHidPlatform::errorMessage(std::uint32_t code) const
{
    std::array<char, 256> buffer{};
    return strerror_r(static_cast<int>(code), buffer.data(), buffer.size());
}

} // namespace vireo
