#pragma once

#include "links/HidPlatform.h"

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

class QSocketNotifier;

namespace vireo {

class TJvHidDevice;
class TJvHidDeviceController;

using TJvHidPlugEvent = std::function<void(TJvHidDevice &HidDev)>;
// Returns true to go on listing, false to stop.
using TJvHidEnumerateEvent = std::function<bool(TJvHidDevice &HidDev, std::int32_t Idx)>;
// `Data` is valid only while the handler runs.
using TJvHidDataEvent = std::function<void(TJvHidDevice &HidDev, std::uint8_t ReportID,
                                           const std::uint8_t *Data, std::uint16_t Size)>;
using TJvHidDataErrorEvent = std::function<void(TJvHidDevice &HidDev, std::uint32_t Error)>;
using TJvHidNotifyEvent = std::function<void(TJvHidDeviceController &Sender)>;

class EControllerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The platform's identity of one device interface.
struct TJvHidPnPInfo {
    std::string DevicePath;
    // Rescans match devices by this, so a device seen again is not reported as new.
    std::string DevInst;
};

// What a device shares with its reader thread. The reader may outlive the device by the
// remainder of one hand-over, so it holds this rather than the device.
struct HidDeviceShared {
    HidDeviceShared(std::shared_ptr<HidPlatform> platform, std::string path)
        : platform(std::move(platform)), path(std::move(path))
    {
    }
    bool accessible() const { return attached && (claimed || beingListed); }

    const std::shared_ptr<HidPlatform> platform;
    const std::string path;
    std::atomic<bool> attached{true};
    std::atomic<bool> claimed{false};
    std::atomic<bool> beingListed{false};
    std::atomic<std::int32_t> threadWaitTime{100};
};

// Reads a device's input reports one at a time and hands each to the GUI thread, waiting
// there until the handler has returned. Created, owned and stopped on the GUI thread.
class TJvHidDeviceReadThread : public QObject {
public:
    TJvHidDeviceReadThread(TJvHidDevice &device, std::uint16_t reportLength);
    // Stops the thread as WaitFor does.
    ~TJvHidDeviceReadThread() override;

    void Terminate();
    // Waits for the thread to end. A hand-over the thread is blocked in is cancelled, not
    // run: the report it carried arrived after the stop was asked for.
    void WaitFor();
    // True while one of this reader's handlers runs on the GUI thread.
    bool InHandOver() const;

private:
    enum class HandOverState { Idle, Waiting, Running, Done, Cancelled };
    enum class HandOverKind { Report, Error };

    void Execute();
    void handOver(HandOverKind kind);
    void runHandOver();
    void waitOneSlice();

    TJvHidDevice &m_device; // touched on the GUI thread only
    const std::shared_ptr<HidDeviceShared> m_shared;
    std::vector<std::uint8_t> m_report;
    std::size_t m_numBytesRead = 0;
    std::uint32_t m_error = 0;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::atomic<bool> m_terminated{false};
    bool m_finished = false;
    HandOverState m_state = HandOverState::Idle;
    HandOverKind m_kind = HandOverKind::Report;
    // The reader wakes the GUI thread through this descriptor rather than by posting Qt
    // events, so no object crosses between the threads except the state under m_mutex.
    int m_wakeFd = -1;
    std::unique_ptr<QSocketNotifier> m_wakeNotifier;
    std::thread m_thread;
};

// One HID device interface found by a scan. Unclaimed devices belong to the controller; a
// device claimed with ClaimByIndex belongs to the claimant, and destroying it is the release:
// a device that is still attached returns to the controller's list, unclaimed.
class TJvHidDevice {
public:
    ~TJvHidDevice();
    TJvHidDevice(const TJvHidDevice &) = delete;
    TJvHidDevice &operator=(const TJvHidDevice &) = delete;

    bool Attached() const { return m_shared->attached; }
    bool Claimed() const { return m_shared->claimed; }
    bool BeingListed() const { return m_shared->beingListed; }
    bool CanReadWrite() const { return m_canReadWrite; }
    const HidAttributes &Attributes() const { return m_attributes; }
    const TJvHidPnPInfo &PnPInfo() const { return *m_pnpInfo; }
    TJvHidDeviceController *Owner() const { return m_owner; }

    std::u16string ProductString();
    // Empty unless the language-ID list could be read and the serial differs from it.
    std::u16string SerialString();
    std::uint16_t InputReportLength();
    // `Buffer` starts with the report ID.
    bool SendFeature(std::span<const std::uint8_t> Buffer);

    std::int32_t ThreadWaitTime() const { return m_shared->threadWaitTime; }
    // 10 to 10000 ms; other values are ignored.
    void setThreadWaitTime(std::int32_t milliseconds);

    const TJvHidDataEvent &OnReport() const { return m_onReport; }
    // The reader runs while a handler is bound and the device is attached, claimed and open
    // for reading and writing; binding none stops it.
    void setOnReport(TJvHidDataEvent handler);
    const TJvHidDataErrorEvent &OnReadError() const { return m_onReadError; }
    void setOnReadError(TJvHidDataErrorEvent handler);
    const TJvHidPlugEvent &OnDetach() const { return m_onDetach; }
    void setOnDetach(TJvHidPlugEvent handler);

private:
    friend class TJvHidDeviceController;
    friend class TJvHidDeviceReadThread;

    TJvHidDevice(TJvHidDeviceController &owner, std::unique_ptr<TJvHidPnPInfo> pnpInfo);

    // Only for an accessible device: attached, and claimed or being listed.
    bool openQueryHandle();
    bool openHandle();
    void closeHandles();
    void detach();
    void bindOnReport(TJvHidDataEvent handler, std::uint64_t origin);
    void startReaderIfReady();
    void stopReader();

    TJvHidDeviceController *m_owner;
    const std::uint64_t m_serialNo;
    std::unique_ptr<TJvHidPnPInfo> m_pnpInfo;
    const std::shared_ptr<HidDeviceShared> m_shared;
    HidAttributes m_attributes;
    bool m_canReadWrite = false;
    std::unique_ptr<HidDeviceHandle> m_queryHandle;
    std::u16string m_product;
    std::u16string m_serial;
    std::optional<HidInputCaps> m_caps;

    // Handlers remember which controller binding they came from (0: bound directly), so
    // that rebinding the controller's default reaches only devices still on the old one.
    TJvHidDataEvent m_onReport;
    std::uint64_t m_onReportOrigin = 0;
    TJvHidDataErrorEvent m_onReadError;
    std::uint64_t m_onReadErrorOrigin = 0;
    TJvHidPlugEvent m_onDetach;
    std::uint64_t m_onDetachOrigin = 0;

    std::unique_ptr<TJvHidDeviceReadThread> m_reader;
};

// Finds the HID devices, follows their arrival and removal and lends them out. Lives on the
// GUI thread; every event fires there.
class TJvHidDeviceController : public QObject {
public:
    // The first scan is posted to the event loop, so it runs once the loop starts.
    explicit TJvHidDeviceController(std::shared_ptr<HidPlatform> platform,
                                    QObject *parent = nullptr);
    ~TJvHidDeviceController() override;

    static constexpr const char *Version = "1.0.32";

    // Rescans and merges the result into the device list. Does nothing while a rescan runs.
    void DeviceChange();
    // Calls OnEnumerate for each attached device; returns how many were visited.
    std::int32_t ListDevices();
    // Claims the device at `Index`; `Device` takes it (releasing what it held) or is empty.
    bool ClaimByIndex(std::unique_ptr<TJvHidDevice> &Device, std::int32_t Index);

    std::vector<TJvHidDevice *> DeviceList() const;
    bool InDeviceChange() const { return m_inDeviceChange; }
    std::string errorMessage(std::uint32_t code) const { return m_platform->errorMessage(code); }

    std::int32_t DevThreadSleepTime() const { return m_devThreadSleepTime; }
    void setDevThreadSleepTime(std::int32_t milliseconds);

    const TJvHidPlugEvent &OnArrival() const { return m_onArrival; }
    void setOnArrival(TJvHidPlugEvent handler) { m_onArrival = std::move(handler); }
    const TJvHidPlugEvent &OnRemoval() const { return m_onRemoval; }
    void setOnRemoval(TJvHidPlugEvent handler) { m_onRemoval = std::move(handler); }
    const TJvHidEnumerateEvent &OnEnumerate() const { return m_onEnumerate; }
    void setOnEnumerate(TJvHidEnumerateEvent handler) { m_onEnumerate = std::move(handler); }
    const TJvHidNotifyEvent &OnDeviceChange() const { return m_onDeviceChange; }
    // Once the first scan has run, binding a handler rescans at once.
    void setOnDeviceChange(TJvHidNotifyEvent handler);
    // The defaults handed to new devices; changing one rebinds the devices still on the old.
    const TJvHidDataEvent &OnDeviceData() const { return m_onDeviceData; }
    void setOnDeviceData(TJvHidDataEvent handler);
    const TJvHidDataErrorEvent &OnDeviceDataError() const { return m_onDeviceDataError; }
    void setOnDeviceDataError(TJvHidDataErrorEvent handler);
    const TJvHidPlugEvent &OnDeviceUnplug() const { return m_onDeviceUnplug; }
    void setOnDeviceUnplug(TJvHidPlugEvent handler);

private:
    friend class TJvHidDevice;

    struct Entry {
        TJvHidDevice *device;
        std::unique_ptr<TJvHidDevice> owned; // empty while claimed
    };

    void postDeviceChange(int notification);
    void deviceChange(int notification);
    std::vector<std::unique_ptr<TJvHidDevice>> scan();
    TJvHidDevice *findBySerial(std::uint64_t serialNo) const;
    void callListed(TJvHidDevice &device, const TJvHidPlugEvent &handler);
    void dispose(TJvHidDevice &device);
    void checkIn(TJvHidDevice &released);

    const std::shared_ptr<HidPlatform> m_platform;
    std::vector<Entry> m_deviceList;
    bool m_inDeviceChange = false;
    bool m_scanned = false;
    bool m_destroying = false;
    std::int32_t m_devThreadSleepTime = 100;
    std::uint64_t m_nextSerialNo = 0;
    std::uint64_t m_nextOrigin = 0;

    TJvHidPlugEvent m_onArrival;
    TJvHidPlugEvent m_onRemoval;
    TJvHidEnumerateEvent m_onEnumerate;
    TJvHidNotifyEvent m_onDeviceChange;
    TJvHidDataEvent m_onDeviceData;
    std::uint64_t m_onDeviceDataOrigin = ++m_nextOrigin;
    TJvHidDataErrorEvent m_onDeviceDataError;
    std::uint64_t m_onDeviceDataErrorOrigin = ++m_nextOrigin;
    TJvHidPlugEvent m_onDeviceUnplug;
    std::uint64_t m_onDeviceUnplugOrigin = ++m_nextOrigin;
};

} // namespace vireo
