#include "support/FakeHidPlatform.h"

#include <algorithm>
#include <chrono>

namespace vireo {

struct FakeHidPlatform::State {
    Device device;
    bool present = true;
    std::deque<std::vector<std::uint8_t>> queued;
    std::vector<std::uint8_t> stream;
    std::uint32_t failError = 0;
    std::size_t readAttempts = 0;
    std::vector<std::vector<std::uint8_t>> features;
};

class FakeHidPlatform::Handle : public HidDeviceHandle {
public:
    Handle(FakeHidPlatform &platform, std::shared_ptr<State> state, HidAccess access)
        : m_platform(platform), m_state(std::move(state)), m_access(access)
    {
    }

    ~Handle() override
    {
        std::lock_guard lock(m_platform.m_mutex);
        --m_platform.m_openHandles;
    }

    std::optional<HidAttributes> attributes() override
    {
        std::lock_guard lock(m_platform.m_mutex);
        if (!m_state->present || !m_state->device.identifiable)
            return std::nullopt;
        return m_state->device.attributes;
    }

    std::optional<std::u16string> productString() override
    {
        std::lock_guard lock(m_platform.m_mutex);
        if (!m_state->present)
            return std::nullopt;
        return m_state->device.product;
    }

    std::optional<std::u16string> serialNumberString() override
    {
        std::lock_guard lock(m_platform.m_mutex);
        if (!m_state->present)
            return std::nullopt;
        return m_state->device.serial;
    }

    std::optional<std::u16string> languageIds() override
    {
        std::lock_guard lock(m_platform.m_mutex);
        if (!m_state->present)
            return std::nullopt;
        return m_state->device.languageIds;
    }

    std::optional<HidInputCaps> inputCaps() override
    {
        std::lock_guard lock(m_platform.m_mutex);
        if (!m_state->present)
            return std::nullopt;
        return m_state->device.caps;
    }

    bool sendFeature(std::span<const std::uint8_t> report) override
    {
        std::lock_guard lock(m_platform.m_mutex);
        if (!m_state->present || m_access != HidAccess::ReadWrite)
            return false;
        m_state->features.emplace_back(report.begin(), report.end());
        return true;
    }

    HidReadResult readInput(std::span<std::uint8_t> buffer, int timeoutMs) override
    {
        std::unique_lock lock(m_platform.m_mutex);
        State &state = *m_state;
        ++state.readAttempts;
        const auto ready = [&state] {
            return !state.present || state.failError != 0 || !state.stream.empty() ||
                   !state.queued.empty();
        };
        if (m_access != HidAccess::ReadWrite || buffer.empty())
            return {HidReadResult::Status::Error, 0, AccessDeniedError};
        if (!m_platform.m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready))
            return {HidReadResult::Status::Timeout, 0, 0};
        if (!state.present)
            return {HidReadResult::Status::Error, 0, GoneError};
        if (state.failError != 0)
            return {HidReadResult::Status::Error, 0, state.failError};
        std::vector<std::uint8_t> report = state.stream;
        if (report.empty()) {
            report = std::move(state.queued.front());
            state.queued.pop_front();
        }
        const std::size_t size = std::min(report.size(), buffer.size());
        std::copy_n(report.begin(), size, buffer.begin());
        return {HidReadResult::Status::Report, size, 0};
    }

private:
    FakeHidPlatform &m_platform;
    const std::shared_ptr<State> m_state;
    const HidAccess m_access;
};

bool FakeHidPlatform::available() const
{
    std::lock_guard lock(m_mutex);
    return m_available;
}

void FakeHidPlatform::setAvailable(bool available)
{
    std::lock_guard lock(m_mutex);
    m_available = available;
}

std::vector<HidInterfaceInfo> FakeHidPlatform::enumerate()
{
    std::lock_guard lock(m_mutex);
    std::vector<HidInterfaceInfo> found;
    for (const auto &state : m_devices) {
        if (state->present)
            found.push_back({state->device.path, state->device.instance, state->device.location});
    }
    return found;
}

HidOpenResult FakeHidPlatform::open(const std::string &path, HidAccess access)
{
    std::lock_guard lock(m_mutex);
    const auto it = std::find_if(m_devices.rbegin(), m_devices.rend(), [&path](const auto &s) {
        return s->present && s->device.path == path;
    });
    if (it == m_devices.rend())
        return {nullptr, GoneError};
    const Device &device = (*it)->device;
    if (!device.openable || (access == HidAccess::ReadWrite && !device.readWrite))
        return {nullptr, AccessDeniedError};
    ++m_openHandles;
    return {std::make_unique<Handle>(*this, *it, access), 0};
}

void FakeHidPlatform::watchDeviceChanges(std::function<void()> onChange)
{
    std::lock_guard lock(m_mutex);
    m_onChange = std::move(onChange);
}

std::string FakeHidPlatform::errorMessage(std::uint32_t code) const
{
    return "fake error " + std::to_string(code);
}

void FakeHidPlatform::plug(Device device)
{
    {
        std::lock_guard lock(m_mutex);
        auto state = std::make_shared<State>();
        state->device = std::move(device);
        m_devices.push_back(std::move(state));
    }
    notify();
}

void FakeHidPlatform::unplug(const std::string &path)
{
    {
        std::lock_guard lock(m_mutex);
        for (const auto &state : m_devices) {
            if (state->device.path == path)
                state->present = false;
        }
    }
    m_changed.notify_all();
    notify();
}

void FakeHidPlatform::notifyChange()
{
    notify();
}

void FakeHidPlatform::notify()
{
    std::function<void()> onChange;
    {
        std::lock_guard lock(m_mutex);
        onChange = m_onChange;
    }
    if (onChange)
        onChange();
}

std::shared_ptr<FakeHidPlatform::State> FakeHidPlatform::find(const std::string &path) const
{
    const auto it = std::find_if(m_devices.rbegin(), m_devices.rend(),
                                 [&path](const auto &s) { return s->device.path == path; });
    return it == m_devices.rend() ? nullptr : *it;
}

void FakeHidPlatform::queueReport(const std::string &path, std::vector<std::uint8_t> report)
{
    {
        std::lock_guard lock(m_mutex);
        if (auto state = find(path))
            state->queued.push_back(std::move(report));
    }
    m_changed.notify_all();
}

void FakeHidPlatform::streamReport(const std::string &path, std::vector<std::uint8_t> report)
{
    {
        std::lock_guard lock(m_mutex);
        if (auto state = find(path))
            state->stream = std::move(report);
    }
    m_changed.notify_all();
}

void FakeHidPlatform::failReads(const std::string &path, std::uint32_t error)
{
    {
        std::lock_guard lock(m_mutex);
        if (auto state = find(path))
            state->failError = error;
    }
    m_changed.notify_all();
}

std::vector<std::vector<std::uint8_t>> FakeHidPlatform::sentFeatures(const std::string &path) const
{
    std::lock_guard lock(m_mutex);
    const auto state = find(path);
    return state ? state->features : std::vector<std::vector<std::uint8_t>>{};
}

std::size_t FakeHidPlatform::readAttempts(const std::string &path) const
{
    std::lock_guard lock(m_mutex);
    const auto state = find(path);
    return state ? state->readAttempts : 0;
}

int FakeHidPlatform::openHandles() const
{
    std::lock_guard lock(m_mutex);
    return m_openHandles;
}

bool FakeHidPlatform::watching() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<bool>(m_onChange);
}

} // namespace vireo
