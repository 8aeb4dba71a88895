#pragma once

#include "links/HidDeviceShared.h"

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class QSocketNotifier;

namespace vireo {

class TJvHidDevice;

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

} // namespace vireo
