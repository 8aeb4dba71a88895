#pragma once

#include "links/HidPlatform.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace vireo {

// HID devices in memory, driven by tests: devices appear and vanish, send reports, refuse
// access and fail reads on request. Safe to use from the reader threads.
class FakeHidPlatform : public HidPlatform {
public:
    static constexpr std::uint32_t GoneError = 19;
    static constexpr std::uint32_t AccessDeniedError = 13;

    struct Device {
        std::string path;
        std::string instance;
        std::string location;
        HidAttributes attributes;
        std::u16string product;
        std::u16string serial;
        std::optional<std::u16string> languageIds = u"\u0409";
        HidInputCaps caps{9, false};
        bool readWrite = true;    // false: only query-only opens succeed
        bool openable = true;     // false: every open fails
        bool identifiable = true; // false: the attributes cannot be read
    };

    bool available() const override;
    std::vector<HidInterfaceInfo> enumerate() override;
    HidOpenResult open(const std::string &path, HidAccess access) override;
    void watchDeviceChanges(std::function<void()> onChange) override;
    std::uint32_t deviceGoneError() const override { return GoneError; }
    std::uint32_t accessDeniedError() const override { return AccessDeniedError; }
    std::string errorMessage(std::uint32_t code) const override;

    void setAvailable(bool available);
    // Appear and vanish, each with one device-change notification.
    void plug(Device device);
    void unplug(const std::string &path);
    // A notification with nothing changed.
    void notifyChange();

    // A whole report, report ID first, for the next read.
    void queueReport(const std::string &path, std::vector<std::uint8_t> report);
    // Every read returns this report at once; an empty report stops the stream.
    void streamReport(const std::string &path, std::vector<std::uint8_t> report);
    // Reads fail with `error` from now on; 0 lets them succeed again.
    void failReads(const std::string &path, std::uint32_t error);

    std::vector<std::vector<std::uint8_t>> sentFeatures(const std::string &path) const;
    std::size_t readAttempts(const std::string &path) const;
    int openHandles() const;
    bool watching() const;

    struct State;

private:
    class Handle;

    std::shared_ptr<State> find(const std::string &path) const;
    void notify();

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_available = true;
    std::vector<std::shared_ptr<State>> m_devices;
    std::function<void()> m_onChange;
    int m_openHandles = 0;
};

} // namespace vireo
