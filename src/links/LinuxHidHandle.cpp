#include "links/LinuxHidHandle.h"

#include <array>
#include <cerrno>

namespace vireo {

namespace {

// Longest string a device string descriptor can hold, in UTF-16 units, plus the terminator.
constexpr std::size_t kStringBuffer = 256;

} // namespace

LinuxHidHandle::LinuxHidHandle(const HidCApi &api, hid_device *device, Identity identity,
                               std::optional<HidReportLayout> layout)
    : m_api(api), m_device(device), m_identity(std::move(identity)), m_layout(layout)
{
}

LinuxHidHandle::~LinuxHidHandle()
{
    if (m_device != nullptr)
        m_api.hid_close(m_device);
}

std::u16string LinuxHidHandle::toUtf16(const wchar_t *text)
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

std::optional<std::u16string> LinuxHidHandle::productString()
{
    if (m_device == nullptr)
        return m_identity.product;
    std::array<wchar_t, kStringBuffer> buffer{};
    if (m_api.hid_get_product_string(m_device, buffer.data(), buffer.size()) != 0)
        return std::nullopt;
    return toUtf16(buffer.data());
}

std::optional<std::u16string> LinuxHidHandle::serialNumberString()
{
    if (m_device == nullptr)
        return m_identity.serial;
    std::array<wchar_t, kStringBuffer> buffer{};
    if (m_api.hid_get_serial_number_string(m_device, buffer.data(), buffer.size()) != 0)
        return std::nullopt;
    return toUtf16(buffer.data());
}

std::optional<HidInputCaps> LinuxHidHandle::inputCaps()
{
    if (!m_layout)
        return std::nullopt;
    return m_layout->input;
}

bool LinuxHidHandle::sendFeature(std::span<const std::uint8_t> report)
{
    if (m_device == nullptr || report.empty())
        return false;
    // hidraw sends every byte it is given, whatever the device declared; a device that
    // declares a shorter report may refuse the longer one. The system's HID class driver
    // elsewhere sends the declared length, and so does this.
    const std::uint16_t declared = m_layout ? m_layout->featureLength[report[0]] : 0;
    if (declared > 0 && declared < report.size())
        report = report.first(declared);
    return m_api.hid_send_feature_report(m_device, report.data(), report.size()) >= 0;
}

HidReadResult LinuxHidHandle::readInput(std::span<std::uint8_t> buffer, int timeoutMs)
{
    // hidraw puts the report ID first only for numbered reports; unnumbered ones get a
    // 0 in front so that every report reaches the reader with its ID first.
    const bool numbered = m_layout && m_layout->input.numbered;
    const std::size_t offset = numbered ? 0 : 1;
    if (m_device == nullptr)
        return {HidReadResult::Status::Error, 0, EBADF};
    if (buffer.size() <= offset)
        return {HidReadResult::Status::Error, 0, EINVAL};
    buffer[0] = 0;
    errno = 0;
    const int n =
        m_api.hid_read_timeout(m_device, buffer.data() + offset, buffer.size() - offset, timeoutMs);
    if (n < 0)
        return {HidReadResult::Status::Error, 0,
                errno != 0 ? static_cast<std::uint32_t>(errno) : ENODEV};
    if (n == 0)
        return {HidReadResult::Status::Timeout, 0, 0};
    return {HidReadResult::Status::Report, static_cast<std::size_t>(n) + offset, 0};
}

} // namespace vireo
