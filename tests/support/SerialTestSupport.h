#pragma once

// Serial test helpers: the tests own the master side of pseudo-terminals and play the meter.
#include "links/ComDrv32.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QString>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <fcntl.h>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>
#include <vector>

namespace vireo::test {

using Bytes = std::vector<std::uint8_t>;

// A pseudo-terminal pair. The driver opens the slave by path; the test writes to the master
// and keeps a slave descriptor of its own to look at the line's settings and input queue.
class Pty {
public:
    Pty()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        char name[PATH_MAX] = {};
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
            ::ptsname_r(m_master, name, sizeof name) != 0)
            return;
        m_path = name;
        m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    }
    ~Pty()
    {
        hangUp();
        if (m_slave >= 0)
            ::close(m_slave);
    }
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    bool ok() const { return m_master >= 0 && m_slave >= 0; }
    const std::string &path() const { return m_path; }
    int slave() const { return m_slave; }

    void send(const Bytes &bytes) const
    {
        ASSERT_EQ(::write(m_master, bytes.data(), bytes.size()),
                  static_cast<ssize_t>(bytes.size()));
    }
    void send(const std::string &text) const { send(Bytes(text.begin(), text.end())); }

    // What has arrived on the line and not been read by anyone yet.
    int pendingInput() const
    {
        int pending = 0;
        ::ioctl(m_slave, FIONREAD, &pending);
        return pending;
    }

    // The far end goes away, as an unplugged adapter or a simulator that quits.
    void hangUp()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_path;
};

class ScopedEnv {
public:
    ScopedEnv(const char *name, const QString &value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        qputenv(name, value.toLocal8Bit());
    }
    ScopedEnv(const char *name, const std::string &value)
        : ScopedEnv(name, QString::fromStdString(value))
    {
    }
    // The variable unset for the scope.
    explicit ScopedEnv(const char *name)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        qunsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

// Every OnReceiveData call, chunk by chunk.
struct Received {
    std::vector<Bytes> chunks;

    void bind(TCommPortDriver &driver)
    {
        driver.OnReceiveData = [this, &driver](TCommPortDriver *sender, const std::uint8_t *data,
                                               std::int32_t size) {
            EXPECT_EQ(sender, &driver);
            EXPECT_GT(size, 0);
            chunks.emplace_back(data, data + size);
        };
    }
    Bytes all() const
    {
        Bytes bytes;
        for (const Bytes &chunk : chunks)
            bytes.insert(bytes.end(), chunk.begin(), chunk.end());
        return bytes;
    }
    std::size_t total() const { return all().size(); }
};

inline Bytes text(const std::string &s)
{
    return Bytes(s.begin(), s.end());
}

inline bool anyTimerActive(const QObject &owner)
{
    const auto timers = owner.findChildren<QTimer *>();
    return std::any_of(timers.begin(), timers.end(), [](const QTimer *t) { return t->isActive(); });
}

// A real event loop, as the application runs it: QTest's waits sleep between event bursts
// and would hide a busy loop.
inline void runEventLoopFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Counts how often a descriptor woke the event loop: a dead one that is not let go wakes it
// without end.
class DescriptorWakeups : public QObject {
public:
    DescriptorWakeups() { QCoreApplication::instance()->installEventFilter(this); }
    ~DescriptorWakeups() override { QCoreApplication::instance()->removeEventFilter(this); }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::SockAct)
            ++count;
        return false;
    }

    int count = 0;
};

} // namespace vireo::test
