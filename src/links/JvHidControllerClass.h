#pragma once

#include "links/HidPlatform.h"
#include "links/JvHidDevice.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vireo {

using TJvHidNotifyEvent = std::function<void(TJvHidDeviceController &Sender)>;

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
