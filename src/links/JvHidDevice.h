#pragma once

#include "links/HidDeviceShared.h"
#include "links/HidPlatform.h"
#include "links/JvHidPnPInfo.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace vireo {

class TJvHidDevice;
class TJvHidDeviceController;
class TJvHidDeviceReadThread;

using TJvHidPlugEvent = std::function<void(TJvHidDevice &HidDev)>;
// Returns true to go on listing, false to stop.
using TJvHidEnumerateEvent = std::function<bool(TJvHidDevice &HidDev, std::int32_t Idx)>;
// `Data` is valid only while the handler runs.
using TJvHidDataEvent = std::function<void(TJvHidDevice &HidDev, std::uint8_t ReportID,
                                           const std::uint8_t *Data, std::uint16_t Size)>;
using TJvHidDataErrorEvent = std::function<void(TJvHidDevice &HidDev, std::uint32_t Error)>;

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
    // Why the last open for reading and writing failed: the platform's error code, 0 when it
    // succeeded.
    std::uint32_t OpenError() const { return m_openError; }
    // The last open for reading and writing was refused for want of permission.
    bool AccessDenied() const;
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
    std::uint32_t m_openError = 0;
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

} // namespace vireo
