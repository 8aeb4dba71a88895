// A stand-in for hidapi (hidraw backend) and libudev: the same C functions, over devices a test
// scripts through HidDoubleControl. Loaded privately beside the system's libraries, so nothing
// else in the process (Qt's own use of libudev) sees it.
#include "support/HidDoubleControl.h"

#include <hidapi/hidapi.h>
#include <libudev.h>

#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>

struct udev {
    int refs = 1;
};

struct udev_device {
    std::string syspath;
    std::string sysname;
    std::string action;
    std::unique_ptr<udev_device> hidParent;
    std::unique_ptr<udev_device> usbParent;
};

struct udev_monitor {
    int fd = -1;
    int refs = 1;
    std::deque<std::pair<std::string, std::string>> events; // action, sysname
};

namespace {

namespace fs = std::filesystem;
using vireo::test::HidDoubleDevice;

struct Node {
    HidDoubleDevice device;
    std::string path;
    fs::path hidDir;
    bool present = true;
    std::deque<std::vector<std::uint8_t>> queued;
    std::vector<std::uint8_t> stream;
    std::chrono::steady_clock::time_point nextStreamAt;
    std::vector<std::vector<std::uint8_t>> features;
    std::size_t reportsRead = 0;
};

wchar_t *copyWide(const std::wstring &text)
{
    auto *out = new wchar_t[text.size() + 1];
    std::copy(text.begin(), text.end(), out);
    out[text.size()] = L'\0';
    return out;
}

char *copyText(const std::string &text)
{
    auto *out = new char[text.size() + 1];
    std::memcpy(out, text.c_str(), text.size() + 1);
    return out;
}

hid_device_info *newInfo(const Node &node)
{
    auto *info = new hid_device_info{};
    info->path = copyText(node.path);
    info->vendor_id = node.device.vendorId;
    info->product_id = node.device.productId;
    info->serial_number = copyWide(node.device.serial);
    info->release_number = node.device.release;
    info->manufacturer_string = copyWide(L"");
    info->product_string = copyWide(node.device.product);
    info->usage_page = 0xFF00;
    info->usage = 1;
    info->interface_number = 0;
    info->bus_type = node.device.usbInterface.empty() ? HID_API_BUS_UNKNOWN : HID_API_BUS_USB;
    return info;
}

void freeInfos(hid_device_info *info)
{
    while (info != nullptr) {
        hid_device_info *next = info->next;
        delete[] info->path;
        delete[] info->serial_number;
        delete[] info->manufacturer_string;
        delete[] info->product_string;
        delete info;
        info = next;
    }
}

class Double : public vireo::test::HidDoubleControl {
public:
    Double()
    {
        char pattern[] = "/tmp/vireo-hid-double-XXXXXX";
        if (::mkdtemp(pattern) != nullptr)
            m_root = pattern;
        fs::create_directories(m_root / "dev");
    }
    ~Double() override
    {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    void reset() override
    {
        std::lock_guard lock(mutex);
        std::error_code ignored;
        for (auto &[path, node] : m_nodes) {
            node->present = false;
            fs::remove(path, ignored);
            fs::remove_all(node->hidDir, ignored);
        }
        m_nodes.clear();
        m_everSeen.clear();
        for (udev_monitor *monitor : monitors) {
            monitor->events.clear();
            eventfd_t pending = 0;
            while (eventfd_read(monitor->fd, &pending) == 0) {
            }
        }
        m_initCalls = 0;
        changed.notify_all();
    }

    std::string add(const HidDoubleDevice &device) override { return insert(device, false); }
    std::string plug(const HidDoubleDevice &device) override { return insert(device, true); }

    void unplug(const std::string &path) override
    {
        std::lock_guard lock(mutex);
        const auto it = m_nodes.find(path);
        if (it == m_nodes.end())
            return;
        it->second->present = false;
        std::error_code ignored;
        fs::remove(path, ignored);
        fs::remove_all(it->second->hidDir, ignored);
        post("remove", it->second->device.sysname);
        m_nodes.erase(it);
        changed.notify_all();
    }

    void queueInput(const std::string &path, std::vector<std::uint8_t> report) override
    {
        std::lock_guard lock(mutex);
        if (const auto node = find(path))
            node->queued.push_back(std::move(report));
        changed.notify_all();
    }

    void streamInput(const std::string &path, std::vector<std::uint8_t> report) override
    {
        std::lock_guard lock(mutex);
        if (const auto node = find(path))
            node->stream = std::move(report);
        changed.notify_all();
    }

    std::vector<std::vector<std::uint8_t>> sentFeatures(const std::string &path) override
    {
        std::lock_guard lock(mutex);
        const auto node = findAny(path);
        return node ? node->features : std::vector<std::vector<std::uint8_t>>{};
    }

    std::size_t reportsRead(const std::string &path) override
    {
        std::lock_guard lock(mutex);
        const auto node = findAny(path);
        return node ? node->reportsRead : 0;
    }

    int openDevices() override
    {
        std::lock_guard lock(mutex);
        return m_openDevices;
    }

    int initCalls() override
    {
        std::lock_guard lock(mutex);
        return m_initCalls;
    }

    // Called with `mutex` held.
    std::shared_ptr<Node> find(const std::string &path) const
    {
        const auto it = m_nodes.find(path);
        return it == m_nodes.end() ? nullptr : it->second;
    }
    std::shared_ptr<Node> findSysname(const std::string &sysname) const
    {
        for (const auto &[path, node] : m_nodes) {
            if (node->device.sysname == sysname)
                return node;
        }
        return nullptr;
    }
    const std::map<std::string, std::shared_ptr<Node>> &nodes() const { return m_nodes; }

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<udev_monitor *> monitors;
    int m_openDevices = 0;
    int m_initCalls = 0;

private:
    std::string insert(const HidDoubleDevice &device, bool announce)
    {
        std::lock_guard lock(mutex);
        auto node = std::make_shared<Node>();
        node->device = device;
        node->path = (m_root / "dev" / device.sysname).string();
        node->hidDir = m_root / "sys" / "devices" / device.hidName;
        fs::create_directories(node->hidDir);
        std::ofstream(node->path).put('\0');
        std::ofstream descriptor(node->hidDir / "report_descriptor", std::ios::binary);
        descriptor.write(reinterpret_cast<const char *>(device.reportDescriptor.data()),
                         static_cast<std::streamsize>(device.reportDescriptor.size()));
        m_nodes[node->path] = node;
        m_everSeen[node->path] = node;
        if (announce)
            post("add", device.sysname);
        return node->path;
    }

    // Nodes unplugged since keep their record of what was sent to them.
    std::shared_ptr<Node> findAny(const std::string &path) const
    {
        const auto it = m_everSeen.find(path);
        return it == m_everSeen.end() ? nullptr : it->second;
    }

    void post(const std::string &action, const std::string &sysname)
    {
        for (udev_monitor *monitor : monitors) {
            monitor->events.emplace_back(action, sysname);
            eventfd_write(monitor->fd, 1);
        }
    }

    fs::path m_root;
    std::map<std::string, std::shared_ptr<Node>> m_nodes;
    std::map<std::string, std::shared_ptr<Node>> m_everSeen;
};

Double &state()
{
    static Double instance;
    return instance;
}

} // namespace

struct hid_device_ {
    std::shared_ptr<Node> node;
    hid_device_info *info = nullptr;
};

extern "C" {

vireo::test::HidDoubleControl *vireo_hid_double_control()
{
    return &state();
}

int hid_init(void)
{
    std::lock_guard lock(state().mutex);
    ++state().m_initCalls;
    return 0;
}

int hid_exit(void)
{
    return 0;
}

hid_device_info *hid_enumerate(unsigned short vendor_id, unsigned short product_id)
{
    std::lock_guard lock(state().mutex);
    hid_device_info *first = nullptr;
    hid_device_info **link = &first;
    for (const auto &[path, node] : state().nodes()) {
        if ((vendor_id != 0 && vendor_id != node->device.vendorId) ||
            (product_id != 0 && product_id != node->device.productId))
            continue;
        *link = newInfo(*node);
        link = &(*link)->next;
    }
    return first;
}

void hid_free_enumeration(hid_device_info *devs)
{
    freeInfos(devs);
}

hid_device *hid_open_path(const char *path)
{
    std::lock_guard lock(state().mutex);
    const auto node = state().find(path);
    if (!node) {
        errno = ENOENT;
        return nullptr;
    }
    if (node->device.accessDenied) {
        errno = EACCES;
        return nullptr;
    }
    ++state().m_openDevices;
    return new hid_device_{node, newInfo(*node)};
}

void hid_close(hid_device *dev)
{
    if (dev == nullptr)
        return;
    {
        std::lock_guard lock(state().mutex);
        --state().m_openDevices;
    }
    freeInfos(dev->info);
    delete dev;
}

hid_device_info *hid_get_device_info(hid_device *dev)
{
    return dev->info;
}

namespace {

int copyString(hid_device *dev, const std::wstring &text, wchar_t *string, size_t maxlen)
{
    if (!dev->node->present || maxlen == 0)
        return -1;
    const std::size_t n = std::min(text.size(), maxlen - 1);
    std::copy_n(text.begin(), n, string);
    string[n] = L'\0';
    return 0;
}

} // namespace

int hid_get_product_string(hid_device *dev, wchar_t *string, size_t maxlen)
{
    std::lock_guard lock(state().mutex);
    return copyString(dev, dev->node->device.product, string, maxlen);
}

int hid_get_serial_number_string(hid_device *dev, wchar_t *string, size_t maxlen)
{
    std::lock_guard lock(state().mutex);
    return copyString(dev, dev->node->device.serial, string, maxlen);
}

int hid_send_feature_report(hid_device *dev, const unsigned char *data, size_t length)
{
    std::lock_guard lock(state().mutex);
    if (!dev->node->present) {
        errno = ENODEV;
        return -1;
    }
    dev->node->features.emplace_back(data, data + length);
    return static_cast<int>(length);
}

int hid_read_timeout(hid_device *dev, unsigned char *data, size_t length, int milliseconds)
{
    using Clock = std::chrono::steady_clock;
    // A cable's interrupt endpoint is polled once a millisecond: that is as fast as its empty
    // reports come.
    constexpr auto kStreamPeriod = std::chrono::milliseconds(1);
    std::unique_lock lock(state().mutex);
    Node &node = *dev->node;
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    std::vector<std::uint8_t> report;
    for (;;) {
        if (!node.present) {
            errno = ENODEV;
            return -1;
        }
        const auto now = Clock::now();
        if (!node.queued.empty()) {
            report = std::move(node.queued.front());
            node.queued.pop_front();
            break;
        }
        if (!node.stream.empty() && now >= node.nextStreamAt) {
            report = node.stream;
            node.nextStreamAt = now + kStreamPeriod;
            break;
        }
        if (now >= deadline)
            return 0;
        const auto wakeAt = node.stream.empty() ? deadline : std::min(deadline, node.nextStreamAt);
        state().changed.wait_until(lock, wakeAt);
    }
    const std::size_t n = std::min(report.size(), length);
    std::copy_n(report.begin(), n, data);
    ++node.reportsRead;
    return static_cast<int>(n);
}

struct udev *udev_new(void)
{
    return new udev;
}

struct udev *udev_unref(struct udev *context)
{
    if (context != nullptr && --context->refs == 0)
        delete context;
    return nullptr;
}

struct udev_device *udev_device_new_from_subsystem_sysname(struct udev *, const char *subsystem,
                                                           const char *sysname)
{
    std::lock_guard lock(state().mutex);
    const auto node = state().findSysname(sysname);
    if (!node || std::strcmp(subsystem, "hidraw") != 0)
        return nullptr;
    auto *device = new udev_device;
    device->sysname = sysname;
    device->syspath = (node->hidDir / "hidraw" / sysname).string();
    device->hidParent = std::make_unique<udev_device>();
    device->hidParent->syspath = node->hidDir.string();
    device->hidParent->sysname = node->device.hidName;
    if (!node->device.usbInterface.empty()) {
        device->usbParent = std::make_unique<udev_device>();
        device->usbParent->sysname = node->device.usbInterface;
        device->usbParent->syspath = "/sys/bus/usb/devices/" + node->device.usbInterface;
    }
    return device;
}

struct udev_device *udev_device_get_parent_with_subsystem_devtype(struct udev_device *device,
                                                                  const char *subsystem,
                                                                  const char *devtype)
{
    if (std::strcmp(subsystem, "hid") == 0)
        return device->hidParent.get();
    if (std::strcmp(subsystem, "usb") == 0 && devtype != nullptr &&
        std::strcmp(devtype, "usb_interface") == 0)
        return device->usbParent.get();
    return nullptr;
}

const char *udev_device_get_syspath(struct udev_device *device)
{
    return device->syspath.empty() ? nullptr : device->syspath.c_str();
}

const char *udev_device_get_sysname(struct udev_device *device)
{
    return device->sysname.empty() ? nullptr : device->sysname.c_str();
}

const char *udev_device_get_action(struct udev_device *device)
{
    return device->action.empty() ? nullptr : device->action.c_str();
}

struct udev_device *udev_device_unref(struct udev_device *device)
{
    delete device;
    return nullptr;
}

struct udev_monitor *udev_monitor_new_from_netlink(struct udev *, const char *)
{
    auto *monitor = new udev_monitor;
    monitor->fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK | EFD_SEMAPHORE);
    std::lock_guard lock(state().mutex);
    state().monitors.push_back(monitor);
    return monitor;
}

int udev_monitor_filter_add_match_subsystem_devtype(struct udev_monitor *, const char *subsystem,
                                                    const char *)
{
    // Every event the stand-in makes is of hidraw.
    return std::strcmp(subsystem, "hidraw") == 0 ? 0 : -EINVAL;
}

int udev_monitor_enable_receiving(struct udev_monitor *monitor)
{
    return monitor->fd >= 0 ? 0 : -EBADF;
}

int udev_monitor_get_fd(struct udev_monitor *monitor)
{
    return monitor->fd;
}

struct udev_device *udev_monitor_receive_device(struct udev_monitor *monitor)
{
    std::lock_guard lock(state().mutex);
    eventfd_t one = 0;
    if (monitor->events.empty() || eventfd_read(monitor->fd, &one) != 0)
        return nullptr;
    auto *device = new udev_device;
    device->action = monitor->events.front().first;
    device->sysname = monitor->events.front().second;
    monitor->events.pop_front();
    return device;
}

struct udev_monitor *udev_monitor_unref(struct udev_monitor *monitor)
{
    if (monitor == nullptr || --monitor->refs > 0)
        return nullptr;
    {
        std::lock_guard lock(state().mutex);
        auto &monitors = state().monitors;
        monitors.erase(std::remove(monitors.begin(), monitors.end(), monitor), monitors.end());
    }
    if (monitor->fd >= 0)
        ::close(monitor->fd);
    delete monitor;
    return nullptr;
}

} // extern "C"
