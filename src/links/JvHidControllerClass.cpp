#include "links/JvHidControllerClass.h"

#include <QMetaObject>
#include <QSocketNotifier>

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>

namespace vireo {

namespace {

// Device strings are read into buffers of this many UTF-16 units.
constexpr std::size_t kStringUnits = 254;

// A device's start-up notification: the first scan always reports a change.
constexpr int kStartupNotification = -1;

std::u16string untilNul(std::u16string_view text)
{
    text = text.substr(0, kStringUnits);
    return std::u16string(text.substr(0, text.find(u'\0')));
}

// Some devices answer the serial-number request with their language-ID list. The list is read
// into a buffer pre-filled with 0xFFFF; only the part the device wrote is compared, and a serial
// equal to it there (or a list that could not be read at all) counts as no serial.
std::u16string acceptedSerial(std::u16string_view serial,
                              const std::optional<std::u16string> &languageIds)
{
    std::array<char16_t, kStringUnits> s{};
    std::copy_n(serial.begin(), std::min(serial.size(), s.size()), s.begin());
    std::array<char16_t, kStringUnits> l;
    l.fill(0xFFFF);
    if (languageIds) {
        const std::size_t n = std::min(languageIds->size(), l.size());
        std::copy_n(languageIds->begin(), n, l.begin());
        if (n < l.size())
            l[n] = 0;
    }
    std::size_t written = 0;
    for (std::size_t i = l.size(); i-- > 0;) {
        if (l[i] != 0xFFFF) {
            written = l[i] == 0 ? i : i + 1;
            break;
        }
    }
    for (std::size_t i = 0; i < written; ++i) {
        if (s[i] != l[i])
            return untilNul(std::u16string_view(s.data(), s.size()));
    }
    return {};
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Reader

TJvHidDeviceReadThread::TJvHidDeviceReadThread(TJvHidDevice &device, std::uint16_t reportLength)
    : m_device(device), m_shared(device.m_shared), m_report(reportLength),
      m_wakeFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    if (m_wakeFd < 0) {
        // Out of descriptors: a reader that cannot reach the GUI thread does not start.
        m_finished = true;
        return;
    }
    m_wakeNotifier = std::make_unique<QSocketNotifier>(m_wakeFd, QSocketNotifier::Read);
    connect(m_wakeNotifier.get(), &QSocketNotifier::activated, this, [this] {
        eventfd_t count = 0;
        eventfd_read(m_wakeFd, &count);
        runHandOver();
    });
    m_thread = std::thread([this] { Execute(); });
}

TJvHidDeviceReadThread::~TJvHidDeviceReadThread()
{
    Terminate();
    WaitFor();
    m_wakeNotifier.reset();
    if (m_wakeFd >= 0)
        close(m_wakeFd);
}

void TJvHidDeviceReadThread::Terminate()
{
    {
        std::lock_guard lock(m_mutex);
        m_terminated = true;
    }
    m_wake.notify_all();
}

void TJvHidDeviceReadThread::WaitFor()
{
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_finished || m_state == HandOverState::Waiting; });
            if (m_state != HandOverState::Waiting)
                break;
            m_state = HandOverState::Cancelled;
            m_wake.notify_all();
        }
    }
    if (m_thread.joinable())
        m_thread.join();
}

bool TJvHidDeviceReadThread::InHandOver() const
{
    std::lock_guard lock(m_mutex);
    return m_state == HandOverState::Running;
}

void TJvHidDeviceReadThread::Execute()
{
    HidPlatform &platform = *m_shared->platform;
    std::unique_ptr<HidDeviceHandle> handle;
    while (!m_terminated) {
        std::fill(m_report.begin(), m_report.end(), 0);
        // A detached or released device gives up its read handle, like a closed handle would.
        if (handle && !m_shared->accessible())
            handle.reset();
        std::uint32_t error = platform.deviceGoneError();
        if (!handle && m_shared->accessible()) {
            HidOpenResult opened = platform.open(m_shared->path, HidAccess::ReadWrite);
            handle = std::move(opened.handle);
            error = opened.error;
        }
        if (handle) {
            const HidReadResult result = handle->readInput(m_report, m_shared->threadWaitTime);
            if (result.status == HidReadResult::Status::Report) {
                if (result.size > 0 && !m_terminated && m_shared->accessible()) {
                    m_numBytesRead = result.size;
                    handOver(HandOverKind::Report);
                }
                continue;
            }
            if (result.status == HidReadResult::Status::Timeout)
                continue;
            error = result.error;
            handle.reset();
        }
        if (m_terminated)
            break;
        m_error = error;
        handOver(HandOverKind::Error);
        // A read that cannot start usually cannot start a moment later either (the device is
        // gone or refuses access): try again after one slice rather than spin a core and
        // flood the GUI thread with errors.
        waitOneSlice();
    }
    handle.reset();
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
    }
    m_wake.notify_all();
}

void TJvHidDeviceReadThread::waitOneSlice()
{
    std::unique_lock lock(m_mutex);
    m_wake.wait_for(lock, std::chrono::milliseconds(m_shared->threadWaitTime),
                    [this] { return m_terminated.load(); });
}

void TJvHidDeviceReadThread::handOver(HandOverKind kind)
{
    {
        std::lock_guard lock(m_mutex);
        m_kind = kind;
        m_state = HandOverState::Waiting;
    }
    // Either the event loop runs the hand-over, or a stop that is already waiting for this
    // thread cancels it.
    m_wake.notify_all();
    eventfd_write(m_wakeFd, 1);
    std::unique_lock lock(m_mutex);
    m_wake.wait(lock, [this] {
        return m_state == HandOverState::Done || m_state == HandOverState::Cancelled;
    });
    m_state = HandOverState::Idle;
}

void TJvHidDeviceReadThread::runHandOver()
{
    {
        std::lock_guard lock(m_mutex);
        // A wake-up may outlive the hand-over it announced (cancelled by a stop).
        if (m_state != HandOverState::Waiting)
            return;
        m_state = HandOverState::Running;
    }
    // Copies: a handler may rebind itself, or release the device, while it runs.
    TJvHidDevice &device = m_device;
    if (m_kind == HandOverKind::Report) {
        const TJvHidDataEvent handler = device.m_onReport;
        if (handler)
            handler(device, m_report[0], m_report.data() + 1,
                    static_cast<std::uint16_t>(m_numBytesRead - 1));
    } else {
        const TJvHidDataErrorEvent handler = device.m_onReadError;
        if (handler)
            handler(device, m_error);
    }
    {
        std::lock_guard lock(m_mutex);
        m_state = HandOverState::Done;
    }
    m_wake.notify_all();
}

// ---------------------------------------------------------------------------------------------
// Device

TJvHidDevice::TJvHidDevice(TJvHidDeviceController &owner, std::unique_ptr<TJvHidPnPInfo> pnpInfo)
    : m_owner(&owner), m_serialNo(++owner.m_nextSerialNo), m_pnpInfo(std::move(pnpInfo)),
      m_shared(std::make_shared<HidDeviceShared>(owner.m_platform, m_pnpInfo->DevicePath)),
      m_onReport(owner.m_onDeviceData), m_onReportOrigin(owner.m_onDeviceDataOrigin),
      m_onReadError(owner.m_onDeviceDataError),
      m_onReadErrorOrigin(owner.m_onDeviceDataErrorOrigin), m_onDetach(owner.m_onDeviceUnplug),
      m_onDetachOrigin(owner.m_onDeviceUnplugOrigin)
{
    if (!openHandle())
        throw EControllerError("device cannot be opened");
    const std::optional<HidAttributes> attributes = m_queryHandle->attributes();
    m_queryHandle.reset();
    if (!attributes)
        throw EControllerError("device cannot be identified");
    m_attributes = *attributes;
}

TJvHidDevice::~TJvHidDevice()
{
    stopReader();
    m_onDetach = nullptr;
    m_onDetachOrigin = 0;
    closeHandles();
    m_caps.reset();
    if (m_owner != nullptr)
        m_owner->checkIn(*this);
}

bool TJvHidDevice::openQueryHandle()
{
    return m_shared->accessible() && openHandle();
}

bool TJvHidDevice::openHandle()
{
    if (m_queryHandle)
        return true;
    HidPlatform &platform = *m_shared->platform;
    HidOpenResult opened = platform.open(m_shared->path, HidAccess::ReadWrite);
    m_canReadWrite = opened.handle != nullptr;
    if (!opened.handle)
        opened = platform.open(m_shared->path, HidAccess::QueryOnly);
    m_queryHandle = std::move(opened.handle);
    return m_queryHandle != nullptr;
}

void TJvHidDevice::closeHandles()
{
    m_queryHandle.reset();
}

std::u16string TJvHidDevice::ProductString()
{
    if (m_product.empty() && openQueryHandle()) {
        if (std::optional<std::u16string> product = m_queryHandle->productString())
            m_product = untilNul(*product);
        m_queryHandle.reset();
    }
    return m_product;
}

std::u16string TJvHidDevice::SerialString()
{
    if (m_serial.empty() && openQueryHandle()) {
        if (std::optional<std::u16string> serial = m_queryHandle->serialNumberString())
            m_serial = acceptedSerial(*serial, m_queryHandle->languageIds());
        m_queryHandle.reset();
    }
    return m_serial;
}

std::uint16_t TJvHidDevice::InputReportLength()
{
    if (!m_caps && openQueryHandle()) {
        m_caps = m_queryHandle->inputCaps();
        m_queryHandle.reset();
    }
    return m_caps ? m_caps->InputReportByteLength : 0;
}

bool TJvHidDevice::SendFeature(std::span<const std::uint8_t> Buffer)
{
    return openQueryHandle() && m_queryHandle->sendFeature(Buffer);
}

void TJvHidDevice::setThreadWaitTime(std::int32_t milliseconds)
{
    if (milliseconds >= 10 && milliseconds <= 10000)
        m_shared->threadWaitTime = milliseconds;
}

void TJvHidDevice::setOnReport(TJvHidDataEvent handler)
{
    bindOnReport(std::move(handler), 0);
}

void TJvHidDevice::setOnReadError(TJvHidDataErrorEvent handler)
{
    m_onReadError = std::move(handler);
    m_onReadErrorOrigin = 0;
}

void TJvHidDevice::setOnDetach(TJvHidPlugEvent handler)
{
    m_onDetach = std::move(handler);
    m_onDetachOrigin = 0;
}

void TJvHidDevice::bindOnReport(TJvHidDataEvent handler, std::uint64_t origin)
{
    if (!handler)
        stopReader();
    m_onReport = std::move(handler);
    m_onReportOrigin = origin;
    startReaderIfReady();
}

void TJvHidDevice::startReaderIfReady()
{
    if (m_onReport && Attached() && Claimed() && m_canReadWrite && !m_reader)
        m_reader = std::make_unique<TJvHidDeviceReadThread>(*this, InputReportLength());
}

void TJvHidDevice::stopReader()
{
    if (!m_reader)
        return;
    m_reader->Terminate();
    if (m_reader->InHandOver()) {
        // Stopped from inside its own handler: the thread is blocked until that handler
        // returns, and the handler may still read the report it was given. The reader is
        // destroyed (and joined) once control is back in the event loop.
        m_reader.release()->deleteLater();
        return;
    }
    m_reader.reset();
}

void TJvHidDevice::detach()
{
    closeHandles();
    m_shared->attached = false;
    TJvHidPlugEvent handler = std::move(m_onDetach);
    m_onDetach = nullptr;
    m_onDetachOrigin = 0;
    if (handler)
        handler(*this);
}

// ---------------------------------------------------------------------------------------------
// Controller

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
        auto pnpInfo = std::make_unique<TJvHidPnPInfo>(
            TJvHidPnPInfo{std::move(info.path), std::move(info.instance)});
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
