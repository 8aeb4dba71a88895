#include "links/LinuxHidPlatform.h"

#include <QSocketNotifier>

#include <hidapi/hidapi.h>
#include <libudev.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>

namespace vireo {

namespace {

// hidapi keeps process-wide state (its initialisation and last-error text) that enumeration and
// opening touch; reader threads open devices too, so those calls are serialised.
std::mutex &hidapiMutex()
{
    static std::mutex mutex;
    return mutex;
}
int g_hidapiUsers = 0;
bool g_hidapiReady = false;

// Longest string a device string descriptor can hold, in UTF-16 units, plus the terminator.
constexpr std::size_t kStringBuffer = 256;

std::u16string toUtf16(const wchar_t *text)
{
    std::u16string out;
    if (text == nullptr)
        return out;
    for (; *text != L'\0'; ++text) {
        const auto cp = static_cast<char32_t>(*text);
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else if (cp > 0x10FFFF) {
            out.push_back(u'\uFFFD');
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::uint32_t lastErrorOr(std::uint32_t fallback)
{
    return errno != 0 ? static_cast<std::uint32_t>(errno) : fallback;
}

// The sysfs path of the HID device behind a hidraw node: stable while the device stays plugged
// in, new each time it is plugged in again.
std::string hidSysPath(const std::string &nodePath)
{
    const std::string sysname = nodePath.substr(nodePath.rfind('/') + 1);
    udev *context = udev_new();
    if (context == nullptr)
        return {};
    std::string sysPath;
    if (udev_device *raw =
            udev_device_new_from_subsystem_sysname(context, "hidraw", sysname.c_str())) {
        udev_device *hid = udev_device_get_parent_with_subsystem_devtype(raw, "hid", nullptr);
        if (hid != nullptr && udev_device_get_syspath(hid) != nullptr)
            sysPath = udev_device_get_syspath(hid);
        udev_device_unref(raw);
    }
    udev_unref(context);
    return sysPath;
}

std::optional<HidInputCaps> readInputCaps(const std::string &nodePath)
{
    const std::string sysPath = hidSysPath(nodePath);
    if (sysPath.empty())
        return std::nullopt;
    std::ifstream file(sysPath + "/report_descriptor", std::ios::binary);
    if (!file)
        return std::nullopt;
    std::array<char, HID_API_MAX_REPORT_DESCRIPTOR_SIZE> descriptor{};
    file.read(descriptor.data(), descriptor.size());
    return parseReportDescriptor(
        std::span(reinterpret_cast<const std::uint8_t *>(descriptor.data()),
                  static_cast<std::size_t>(file.gcount())));
}

using Identity = LinuxHidPlatform::Identity;

Identity identityOf(const hid_device_info &info)
{
    return {{info.vendor_id, info.product_id, info.release_number},
            toUtf16(info.product_string),
            toUtf16(info.serial_number)};
}

class LinuxHidHandle : public HidDeviceHandle {
public:
    LinuxHidHandle(hid_device *device, Identity identity, std::optional<HidInputCaps> caps)
        : m_device(device), m_identity(std::move(identity)), m_caps(caps)
    {
    }
    ~LinuxHidHandle() override
    {
        if (m_device != nullptr)
            hid_close(m_device);
    }
    LinuxHidHandle(const LinuxHidHandle &) = delete;
    LinuxHidHandle &operator=(const LinuxHidHandle &) = delete;

    std::optional<HidAttributes> attributes() override { return m_identity.attributes; }

    std::optional<std::u16string> productString() override
    {
        if (m_device == nullptr)
            return m_identity.product;
        std::array<wchar_t, kStringBuffer> buffer{};
        if (hid_get_product_string(m_device, buffer.data(), buffer.size()) != 0)
            return std::nullopt;
        return toUtf16(buffer.data());
    }

    std::optional<std::u16string> serialNumberString() override
    {
        if (m_device == nullptr)
            return m_identity.serial;
        std::array<wchar_t, kStringBuffer> buffer{};
        if (hid_get_serial_number_string(m_device, buffer.data(), buffer.size()) != 0)
            return std::nullopt;
        return toUtf16(buffer.data());
    }

    // hidraw offers no way to read string descriptor 0, so without the list no serial number
    // can be told apart from a language list and none is shown.
    std::optional<std::u16string> languageIds() override { return std::nullopt; }

    std::optional<HidInputCaps> inputCaps() override { return m_caps; }

    bool sendFeature(std::span<const std::uint8_t> report) override
    {
        return m_device != nullptr && !report.empty() &&
               hid_send_feature_report(m_device, report.data(), report.size()) >= 0;
    }

    HidReadResult readInput(std::span<std::uint8_t> buffer, int timeoutMs) override
    {
        // hidraw puts the report ID first only for numbered reports; unnumbered ones get a
        // 0 in front so that every report reaches the reader with its ID first.
        const bool numbered = m_caps && m_caps->numbered;
        const std::size_t offset = numbered ? 0 : 1;
        if (m_device == nullptr)
            return {HidReadResult::Status::Error, 0, EBADF};
        if (buffer.size() <= offset)
            return {HidReadResult::Status::Error, 0, EINVAL};
        buffer[0] = 0;
        errno = 0;
        const int n =
            hid_read_timeout(m_device, buffer.data() + offset, buffer.size() - offset, timeoutMs);
        if (n < 0)
            return {HidReadResult::Status::Error, 0, lastErrorOr(ENODEV)};
        if (n == 0)
            return {HidReadResult::Status::Timeout, 0, 0};
        return {HidReadResult::Status::Report, static_cast<std::size_t>(n) + offset, 0};
    }

private:
    hid_device *m_device;
    const Identity m_identity;
    const std::optional<HidInputCaps> m_caps;
};

} // namespace

HidInputCaps parseReportDescriptor(std::span<const std::uint8_t> descriptor)
{
    struct Globals {
        std::uint32_t reportSize = 0;
        std::uint32_t reportCount = 0;
        std::uint8_t reportId = 0;
    };
    constexpr std::uint64_t kMaxBits = 8 * 0xFFFEull;
    constexpr std::size_t kMaxPushDepth = 32;

    Globals globals;
    std::vector<Globals> pushed;
    std::array<std::uint64_t, 256> inputBits{};
    std::array<bool, 256> hasInput{};
    bool numbered = false;

    std::size_t i = 0;
    while (i < descriptor.size()) {
        const std::uint8_t prefix = descriptor[i];
        if (prefix == 0xFE) {
            if (i + 1 >= descriptor.size())
                break;
            i += 3 + descriptor[i + 1];
            continue;
        }
        const std::size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (i + 1 + size > descriptor.size())
            break;
        std::uint32_t value = 0;
        for (std::size_t k = 0; k < size; ++k)
            value |= static_cast<std::uint32_t>(descriptor[i + 1 + k]) << (8 * k);
        const int type = (prefix >> 2) & 3;
        const int tag = prefix >> 4;
        if (type == 0 && tag == 0x8) {
            std::uint64_t &bits = inputBits[globals.reportId];
            const std::uint64_t added =
                static_cast<std::uint64_t>(globals.reportSize) * globals.reportCount;
            bits = std::min(kMaxBits, bits + std::min(added, kMaxBits));
            hasInput[globals.reportId] = true;
        } else if (type == 1) {
            switch (tag) {
            case 0x7:
                globals.reportSize = value;
                break;
            case 0x8:
                globals.reportId = static_cast<std::uint8_t>(value);
                numbered = true;
                break;
            case 0x9:
                globals.reportCount = value;
                break;
            case 0xA:
                if (pushed.size() < kMaxPushDepth)
                    pushed.push_back(globals);
                break;
            case 0xB:
                if (!pushed.empty()) {
                    globals = pushed.back();
                    pushed.pop_back();
                }
                break;
            default:
                break;
            }
        }
        i += 1 + size;
    }

    HidInputCaps caps;
    caps.numbered = numbered;
    for (std::size_t id = 0; id < inputBits.size(); ++id) {
        if (!hasInput[id])
            continue;
        const auto length = static_cast<std::uint16_t>((inputBits[id] + 7) / 8 + 1);
        caps.InputReportByteLength = std::max(caps.InputReportByteLength, length);
    }
    return caps;
}

LinuxHidPlatform::LinuxHidPlatform()
{
    std::lock_guard lock(hidapiMutex());
    if (g_hidapiUsers++ == 0)
        g_hidapiReady = hid_init() == 0;
    m_available = g_hidapiReady;
}

LinuxHidPlatform::~LinuxHidPlatform()
{
    stopWatching();
    std::lock_guard lock(hidapiMutex());
    if (--g_hidapiUsers == 0 && g_hidapiReady) {
        hid_exit();
        g_hidapiReady = false;
    }
}

std::vector<HidInterfaceInfo> LinuxHidPlatform::enumerate()
{
    std::vector<std::string> paths;
    {
        std::lock_guard lock(hidapiMutex());
        hid_device_info *devices = hid_enumerate(0, 0);
        // One node can be listed once per top-level collection; it is one interface.
        m_identities.clear();
        for (const hid_device_info *info = devices; info != nullptr; info = info->next) {
            if (info->path != nullptr && m_identities.emplace(info->path, identityOf(*info)).second)
                paths.emplace_back(info->path);
        }
        hid_free_enumeration(devices);
    }
    std::vector<HidInterfaceInfo> found;
    for (std::string &path : paths) {
        std::string instance = hidSysPath(path);
        if (instance.empty())
            instance = path;
        found.push_back({std::move(path), std::move(instance)});
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
            device = hid_open_path(path.c_str());
            if (device == nullptr) {
                error = lastErrorOr(EIO);
            } else if (const hid_device_info *info = hid_get_device_info(device)) {
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
            hid_close(device);
            error = ENODEV;
        }
        return {nullptr, error};
    }
    return {std::make_unique<LinuxHidHandle>(device, std::move(*identity), readInputCaps(path)), 0};
}

void LinuxHidPlatform::watchDeviceChanges(std::function<void()> onChange)
{
    stopWatching();
    if (!onChange)
        return;
    m_udev = udev_new();
    if (m_udev == nullptr)
        return;
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (m_monitor == nullptr ||
        udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(m_monitor) < 0) {
        // Without udev events the devices present at start-up are still found.
        stopWatching();
        return;
    }
    m_onChange = std::move(onChange);
    m_notifier =
        std::make_unique<QSocketNotifier>(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { drainMonitor(); });
}

void LinuxHidPlatform::stopWatching()
{
    m_notifier.reset();
    m_onChange = nullptr;
    if (m_monitor != nullptr)
        udev_monitor_unref(m_monitor);
    m_monitor = nullptr;
    if (m_udev != nullptr)
        udev_unref(m_udev);
    m_udev = nullptr;
}

void LinuxHidPlatform::drainMonitor()
{
    while (udev_device *device = udev_monitor_receive_device(m_monitor)) {
        const char *action = udev_device_get_action(device);
        const bool changed = action != nullptr && (std::strcmp(action, "add") == 0 ||
                                                   std::strcmp(action, "remove") == 0);
        udev_device_unref(device);
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

std::string LinuxHidPlatform::errorMessage(std::uint32_t code) const
{
    std::array<char, 256> buffer{};
    return strerror_r(static_cast<int>(code), buffer.data(), buffer.size());
}

} // namespace vireo
