#include "links/JvHidDevice.h"

#include "links/EControllerError.h"
#include "links/JvHidControllerClass.h"
#include "links/JvHidDeviceReadThread.h"

#include <algorithm>
#include <array>

namespace vireo {

namespace {

// Device strings are read into buffers of this many UTF-16 units.
constexpr std::size_t kStringUnits = 254;

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
    m_openError = opened.error;
    if (!opened.handle)
        opened = platform.open(m_shared->path, HidAccess::QueryOnly);
    m_queryHandle = std::move(opened.handle);
    return m_queryHandle != nullptr;
}

bool TJvHidDevice::AccessDenied() const
{
    return !m_canReadWrite && m_openError == m_shared->platform->accessDeniedError();
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

} // namespace vireo
