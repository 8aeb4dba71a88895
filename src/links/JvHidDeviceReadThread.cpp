#include "links/JvHidDeviceReadThread.h"

#include "links/JvHidDevice.h"

#include <QSocketNotifier>

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace vireo {

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

} // namespace vireo
