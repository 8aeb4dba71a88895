#include "SimPort.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace vireo::sim {

volatile std::sig_atomic_t g_stop = 0;

namespace {

// A meter's line: raw bytes at 19200 baud, 8N1, no modem control, no flow control.
void makeRaw(int fd)
{
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return;
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B19200);
    ::cfsetospeed(&tio, B19200);
    tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS | CSTOPB | PARENB);
    tio.c_cflag |= CLOCAL | CREAD;
    ::tcsetattr(fd, TCSANOW, &tio);
}

std::string systemError(const std::string &what)
{
    return what + ": " + std::strerror(errno);
}

} // namespace

bool sleepUntil(std::chrono::steady_clock::time_point deadline)
{
    using namespace std::chrono;
    while (!g_stop) {
        const auto left = deadline - steady_clock::now();
        if (left <= steady_clock::duration::zero())
            return true;
        const auto slice = duration_cast<nanoseconds>(std::min<steady_clock::duration>(left, 20ms));
        const timespec ts{static_cast<time_t>(slice.count() / 1'000'000'000),
                          static_cast<long>(slice.count() % 1'000'000'000)};
        ::nanosleep(&ts, nullptr);
    }
    return false;
}

bool sleepMs(int milliseconds)
{
    return sleepUntil(std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds));
}

SimPort::~SimPort()
{
    close();
}

bool SimPort::open(const std::string &device, const std::string &link, std::string &error)
{
    close();
    m_device = device;
    m_link = link;
    return m_device.empty() ? openPty(error) : openDevice(error);
}

bool SimPort::openPty(std::string &error)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        error = systemError("cannot open a pseudo-terminal");
        return false;
    }
    char name[PATH_MAX] = {};
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        ::ptsname_r(master, name, sizeof name) != 0) {
        error = systemError("cannot set up the pseudo-terminal");
        ::close(master);
        return false;
    }
    // The slave is opened once to make it raw for whoever opens it next, then let go: the
    // master sees a hang-up exactly while nobody has the slave open.
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        error = systemError(std::string("cannot open ") + name);
        ::close(master);
        return false;
    }
    makeRaw(slave);
    ::close(slave);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    m_fd = master;
    m_pty = true;
    m_path = name;
    if (!pointLink(error)) {
        close();
        return false;
    }
    return true;
}

bool SimPort::openDevice(std::string &error)
{
    const int fd = ::open(m_device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = systemError("cannot open " + m_device);
        return false;
    }
    if (::isatty(fd))
        makeRaw(fd);
    m_fd = fd;
    m_pty = false;
    m_path = m_device;
    return true;
}

bool SimPort::pointLink(std::string &error)
{
    if (m_link.empty())
        return true;
    struct stat info {};
    if (::lstat(m_link.c_str(), &info) == 0 && !S_ISLNK(info.st_mode)) {
        error = m_link + " exists and is not a symbolic link";
        return false;
    }
    // Re-pointed by renaming a fresh link over it, so a reader never finds it missing.
    const std::string fresh = m_link + ".new" + std::to_string(::getpid());
    ::unlink(fresh.c_str());
    if (::symlink(m_path.c_str(), fresh.c_str()) != 0 ||
        ::rename(fresh.c_str(), m_link.c_str()) != 0) {
        error = systemError("cannot point " + m_link + " to " + m_path);
        ::unlink(fresh.c_str());
        return false;
    }
    return true;
}

void SimPort::close()
{
    if (m_fd < 0)
        return;
    ::close(m_fd);
    m_fd = -1;
    if (!m_link.empty()) {
        // The link goes with the line, but only while it still leads to this line.
        char target[PATH_MAX] = {};
        const ssize_t length = ::readlink(m_link.c_str(), target, sizeof target - 1);
        if (length > 0 && m_path == std::string(target, static_cast<std::size_t>(length)))
            ::unlink(m_link.c_str());
    }
}

bool SimPort::readerPresent()
{
    if (m_fd < 0)
        return false;
    if (!m_pty)
        return true;
    // Whatever a reader's side sends or echoes is of no interest and must not fill up.
    char sink[256];
    while (::read(m_fd, sink, sizeof sink) > 0) {
    }
    pollfd hangup{m_fd, 0, 0};
    return ::poll(&hangup, 1, 0) >= 0 && (hangup.revents & POLLHUP) == 0;
}

bool SimPort::write(std::span<const std::uint8_t> bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            if (g_stop)
                return true;
            continue;
        }
        if (n < 0 && errno == EAGAIN) {
            pollfd room{m_fd, POLLOUT, 0};
            const int ready = ::poll(&room, 1, 200);
            if (ready == 0)
                return true; // nobody takes them: lost, like bytes on an unread line
            if (ready < 0 && errno != EINTR)
                return false;
            if (g_stop)
                return true;
            continue;
        }
        return false;
    }
    return true;
}

void SimPort::linger()
{
    if (m_fd < 0)
        return;
    if (!m_pty) {
        if (::isatty(m_fd))
            ::tcdrain(m_fd);
        return;
    }
    // A look at the slave's input queue shows when the reader has taken everything. The
    // reader's exclusive mode may refuse the look; then a grace period has to do.
    const int probe = ::open(m_path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (probe < 0) {
        sleepMs(300);
        return;
    }
    int quietChecks = 0;
    for (int i = 0; i < 100 && quietChecks < 3 && sleepMs(10); ++i) {
        int pending = 0;
        if (::ioctl(probe, FIONREAD, &pending) != 0)
            break;
        quietChecks = pending == 0 ? quietChecks + 1 : 0;
    }
    ::close(probe);
}

} // namespace vireo::sim
