#pragma once

#include "links/HidCApi.h"
#include "links/HidDeviceHandle.h"
#include "links/HidReportDescriptor.h"

#include <optional>
#include <string>

namespace vireo {

// One hidraw node opened through hidapi, or, without access to the node, what a scan learnt of
// it (a query-only handle).
class LinuxHidHandle : public HidDeviceHandle {
public:
    // What a scan tells of a node: the answers of a query-only handle.
    struct Identity {
        HidAttributes attributes;
        std::u16string product;
        std::u16string serial;
    };

    // Takes `device` (none for a query-only handle).
    LinuxHidHandle(const HidCApi &api, hid_device *device, Identity identity,
                   std::optional<HidReportLayout> layout);
    ~LinuxHidHandle() override;
    LinuxHidHandle(const LinuxHidHandle &) = delete;
    LinuxHidHandle &operator=(const LinuxHidHandle &) = delete;

    std::optional<HidAttributes> attributes() override { return m_identity.attributes; }
    std::optional<std::u16string> productString() override;
    std::optional<std::u16string> serialNumberString() override;
    // hidraw offers no way to read string descriptor 0, so without the list no serial number
    // can be told apart from a language list and none is shown.
    std::optional<std::u16string> languageIds() override { return std::nullopt; }
    std::optional<HidInputCaps> inputCaps() override;
    bool sendFeature(std::span<const std::uint8_t> report) override;
    HidReadResult readInput(std::span<std::uint8_t> buffer, int timeoutMs) override;

    static std::u16string toUtf16(const wchar_t *text);

private:
    const HidCApi m_api;
    hid_device *const m_device;
    const Identity m_identity;
    const std::optional<HidReportLayout> m_layout;
};

} // namespace vireo
