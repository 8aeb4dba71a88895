#include "links/JvHidControllerClass.h"

#include "links/EControllerError.h"
#include "links/JvHidDeviceReadThread.h"

#include <QMetaObject>

#include <algorithm>

namespace vireo {

namespace {

// A device's start-up notification: the first scan always reports a change.
constexpr int kStartupNotification = -1;

} // namespace

TJvHidDeviceController::TJvHidDeviceController(std::shared_ptr<HidPlatform> platform,
                                               QObject *parent)
    : QObject(parent), m_platform(std::move(platform))
{
    if (!m_platform->available())
        return;
    m_platform->watchDeviceChanges([this] { postDeviceChange(0); });
    postDeviceChange(kStartupNotification);
}

TJvHidDeviceController::~TJvHidDeviceController()
{
    m_destroying = true;
    m_onDeviceChange = nullptr;
    m_onDeviceUnplug = nullptr;
    m_onEnumerate = nullptr;
    if (m_platform->available())
        m_platform->watchDeviceChanges({});
    std::vector<Entry> devices = std::move(m_deviceList);
    m_deviceList.clear();
    for (Entry &entry : devices) {
        entry.device->m_owner = nullptr;
        // A claimed device stays with its claimant, which will find it detached.
        if (!entry.owned)
            entry.device->detach();
    }
}

void TJvHidDeviceController::postDeviceChange(int notification)
{
    QMetaObject::invokeMethod(
        this, [this, notification] { deviceChange(notification); }, Qt::QueuedConnection);
}

void TJvHidDeviceController::DeviceChange()
{
    deviceChange(0);
}

void TJvHidDeviceController::deviceChange(int notification)
{
    if (m_inDeviceChange || m_destroying || !m_platform->available())
        return;
    m_inDeviceChange = true;
    struct Reset {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{m_inDeviceChange};
    m_scanned = true;

    bool changed = notification == kStartupNotification;
    std::vector<std::unique_ptr<TJvHidDevice>> found = scan();
    const auto isFound = [&found](const std::string &instance) {
        return std::any_of(found.begin(), found.end(), [&instance](const auto &device) {
            return device->m_pnpInfo->DevInst == instance;
        });
    };

    // Handlers run in between may claim, release or rebind devices, so each device is looked
    // up again by its serial number rather than by position or address.
    std::vector<std::uint64_t> known;
    for (const Entry &entry : m_deviceList)
        known.push_back(entry.device->m_serialNo);
    for (auto it = known.rbegin(); it != known.rend(); ++it) {
        TJvHidDevice *device = findBySerial(*it);
        if (device == nullptr)
            continue;
        if (device->Attached() && isFound(device->m_pnpInfo->DevInst))
            continue;
        changed = true;
        device->detach();
        if ((device = findBySerial(*it)) == nullptr)
            continue;
        callListed(*device, m_onRemoval);
        if ((device = findBySerial(*it)) != nullptr && !device->Claimed())
            dispose(*device);
    }

    const auto isKnownAttached = [this](const std::string &instance) {
        return std::any_of(m_deviceList.begin(), m_deviceList.end(), [&instance](const Entry &e) {
            return e.device->Attached() && e.device->m_pnpInfo->DevInst == instance;
        });
    };
    std::vector<std::unique_ptr<TJvHidDevice>> arrivals;
    for (std::unique_ptr<TJvHidDevice> &device : found) {
        if (isKnownAttached(device->m_pnpInfo->DevInst))
            device->m_owner = nullptr;
        else
            arrivals.push_back(std::move(device));
    }
    found.clear();
    for (std::unique_ptr<TJvHidDevice> &device : arrivals) {
        TJvHidDevice &arrived = *device;
        m_deviceList.push_back({&arrived, std::move(device)});
        changed = true;
        callListed(arrived, m_onArrival);
    }

    if (changed && m_onDeviceChange) {
        const TJvHidNotifyEvent handler = m_onDeviceChange;
        handler(*this);
    }
}

std::vector<std::unique_ptr<TJvHidDevice>> TJvHidDeviceController::scan()
{
    std::vector<std::unique_ptr<TJvHidDevice>> devices;
    for (HidInterfaceInfo &info : m_platform->enumerate()) {
        auto pnpInfo = std::make_unique<TJvHidPnPInfo>(TJvHidPnPInfo{
            std::move(info.path), std::move(info.instance), std::move(info.location)});
        try {
            devices.push_back(
                std::unique_ptr<TJvHidDevice>(new TJvHidDevice(*this, std::move(pnpInfo))));
        } catch (const EControllerError &) {
            // A device that cannot be opened or identified is simply not listed.
        }
    }
    return devices;
}

TJvHidDevice *TJvHidDeviceController::findBySerial(std::uint64_t serialNo) const
{
    for (const Entry &entry : m_deviceList) {
        if (entry.device->m_serialNo == serialNo)
            return entry.device;
    }
    return nullptr;
}

void TJvHidDeviceController::callListed(TJvHidDevice &device, const TJvHidPlugEvent &handler)
{
    if (!handler)
        return;
    const TJvHidPlugEvent call = handler;
    const std::uint64_t serialNo = device.m_serialNo;
    device.m_shared->beingListed = true;
    call(device);
    if (TJvHidDevice *still = findBySerial(serialNo))
        still->m_shared->beingListed = false;
}

void TJvHidDeviceController::dispose(TJvHidDevice &device)
{
    const auto it = std::find_if(m_deviceList.begin(), m_deviceList.end(),
                                 [&device](const Entry &e) { return e.device == &device; });
    if (it == m_deviceList.end())
        return;
    std::unique_ptr<TJvHidDevice> owned = std::move(it->owned);
    m_deviceList.erase(it);
    device.m_owner = nullptr;
    owned.reset();
}

void TJvHidDeviceController::checkIn(TJvHidDevice &released)
{
    auto it = std::find_if(m_deviceList.begin(), m_deviceList.end(),
                           [&released](const Entry &e) { return e.device == &released; });
    if (it == m_deviceList.end())
        return;
    if (released.Attached()) {
        try {
            std::unique_ptr<TJvHidDevice> fresh(
                new TJvHidDevice(*this, std::move(released.m_pnpInfo)));
            fresh->m_onReport = released.m_onReport;
            fresh->m_onReportOrigin = released.m_onReportOrigin;
            fresh->m_onDetach = released.m_onDetach;
            fresh->m_onDetachOrigin = released.m_onDetachOrigin;
            fresh->m_shared->threadWaitTime = released.ThreadWaitTime();
            it->device = fresh.get();
            it->owned = std::move(fresh);
            return;
        } catch (const EControllerError &) {
            // Gone in the meantime: the released device just leaves the list.
        }
    }
    m_deviceList.erase(it);
}

std::int32_t TJvHidDeviceController::ListDevices()
{
    std::int32_t count = 0;
    for (std::size_t i = 0; i < m_deviceList.size(); ++i) {
        TJvHidDevice &device = *m_deviceList[i].device;
        if (!device.Attached())
            continue;
        if (!m_onEnumerate)
            return count + 1;
        const TJvHidEnumerateEvent handler = m_onEnumerate;
        const std::uint64_t serialNo = device.m_serialNo;
        device.m_shared->beingListed = true;
        const bool goOn = handler(device, static_cast<std::int32_t>(i));
        if (TJvHidDevice *still = findBySerial(serialNo)) {
            still->m_shared->beingListed = false;
            if (!still->Claimed())
                still->closeHandles();
        }
        ++count;
        if (!goOn)
            return count;
    }
    return count;
}

bool TJvHidDeviceController::ClaimByIndex(std::unique_ptr<TJvHidDevice> &Device, std::int32_t Index)
{
    Device.reset();
    if (Index < 0 || static_cast<std::size_t>(Index) >= m_deviceList.size())
        return false;
    Entry &entry = m_deviceList[static_cast<std::size_t>(Index)];
    if (!entry.owned)
        return false;
    Device = std::move(entry.owned);
    Device->m_shared->claimed = true;
    Device->startReaderIfReady();
    return true;
}

std::vector<TJvHidDevice *> TJvHidDeviceController::DeviceList() const
{
    std::vector<TJvHidDevice *> devices;
    devices.reserve(m_deviceList.size());
    for (const Entry &entry : m_deviceList)
        devices.push_back(entry.device);
    return devices;
}

void TJvHidDeviceController::setDevThreadSleepTime(std::int32_t milliseconds)
{
    if (milliseconds == m_devThreadSleepTime)
        return;
    for (const Entry &entry : m_deviceList) {
        if (entry.device->ThreadWaitTime() == m_devThreadSleepTime)
            entry.device->setThreadWaitTime(milliseconds);
    }
    m_devThreadSleepTime = milliseconds;
}

void TJvHidDeviceController::setOnDeviceChange(TJvHidNotifyEvent handler)
{
    const bool isNew = handler || m_onDeviceChange;
    m_onDeviceChange = std::move(handler);
    if (isNew && m_scanned)
        DeviceChange();
}

void TJvHidDeviceController::setOnDeviceData(TJvHidDataEvent handler)
{
    if (!handler && !m_onDeviceData)
        return;
    const std::uint64_t previous = m_onDeviceDataOrigin;
    const bool previousEmpty = !m_onDeviceData;
    m_onDeviceData = std::move(handler);
    m_onDeviceDataOrigin = ++m_nextOrigin;
    std::vector<std::uint64_t> serials;
    for (const Entry &entry : m_deviceList)
        serials.push_back(entry.device->m_serialNo);
    for (std::uint64_t serialNo : serials) {
        TJvHidDevice *device = findBySerial(serialNo);
        if (device != nullptr &&
            (device->m_onReportOrigin == previous || (previousEmpty && !device->m_onReport)))
            device->bindOnReport(m_onDeviceData, m_onDeviceDataOrigin);
    }
}

void TJvHidDeviceController::setOnDeviceDataError(TJvHidDataErrorEvent handler)
{
    if (!handler && !m_onDeviceDataError)
        return;
    const std::uint64_t previous = m_onDeviceDataErrorOrigin;
    const bool previousEmpty = !m_onDeviceDataError;
    m_onDeviceDataError = std::move(handler);
    m_onDeviceDataErrorOrigin = ++m_nextOrigin;
    for (const Entry &entry : m_deviceList) {
        TJvHidDevice &device = *entry.device;
        if (device.m_onReadErrorOrigin == previous || (previousEmpty && !device.m_onReadError)) {
            device.m_onReadError = m_onDeviceDataError;
            device.m_onReadErrorOrigin = m_onDeviceDataErrorOrigin;
        }
    }
}

void TJvHidDeviceController::setOnDeviceUnplug(TJvHidPlugEvent handler)
{
    if (!handler && !m_onDeviceUnplug)
        return;
    const std::uint64_t previous = m_onDeviceUnplugOrigin;
    const bool previousEmpty = !m_onDeviceUnplug;
    m_onDeviceUnplug = std::move(handler);
    m_onDeviceUnplugOrigin = ++m_nextOrigin;
    for (const Entry &entry : m_deviceList) {
        TJvHidDevice &device = *entry.device;
        if (device.m_onDetachOrigin == previous || (previousEmpty && !device.m_onDetach)) {
            device.m_onDetach = m_onDeviceUnplug;
            device.m_onDetachOrigin = m_onDeviceUnplugOrigin;
        }
    }
}

} // namespace vireo
