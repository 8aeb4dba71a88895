#pragma once

#include <chrono>
#include <csignal>
#include <cstdint>
#include <span>
#include <string>

namespace vireo::sim {

// Set by SIGINT and SIGTERM; every wait of the simulator gives up when it is set.
extern volatile std::sig_atomic_t g_stop;

// Sleep in short slices; false when a stop was requested.
bool sleepUntil(std::chrono::steady_clock::time_point deadline);
bool sleepMs(int milliseconds);

// The meter's end of the line: a new pseudo-terminal (optionally reached through a symbolic
// link) or an existing tty.
class SimPort {
public:
    SimPort() = default;
    ~SimPort();
    SimPort(const SimPort &) = delete;
    SimPort &operator=(const SimPort &) = delete;

    // An empty device path asks for a pseudo-terminal.
    bool open(const std::string &device, const std::string &link, std::string &error);
    // Closes the line; the reader of a pseudo-terminal sees it hang up.
    void close();
    // The path a reader opens: the pseudo-terminal's slave or the device.
    const std::string &path() const { return m_path; }

    // Whether anyone has the other end open. Always true for a device.
    bool readerPresent();
    // Writes everything, waiting a little for room; bytes nobody takes are lost, as on a
    // line without a listener. False when the line failed.
    bool write(std::span<const std::uint8_t> bytes);
    // Gives the reader time to take what was sent before the line goes away.
    void linger();

private:
    bool openPty(std::string &error);
    bool openDevice(std::string &error);
    bool pointLink(std::string &error);

    int m_fd = -1;
    bool m_pty = false;
    std::string m_device;
    std::string m_link;
    std::string m_path;
};

} // namespace vireo::sim
