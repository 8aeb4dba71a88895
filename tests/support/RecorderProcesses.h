#pragma once

// The meter simulator and the recorder as processes, for tests that run vireo-record as a
// service runs it: no display, its own process, stopped by signals.
#include "core/LogFileCsv.h"
#include "support/EventLoopWait.h"

#include <QFile>
#include <QProcess>

#include <csignal>
#include <span>

namespace vireo::test {

// A meter simulator on a pseudo-terminal; path() is the slave side it printed.
class SimProcess {
public:
    explicit SimProcess(const QStringList &args)
    {
        m_process.start(QStringLiteral(VIREO_METER_SIM), args);
        if (m_process.waitForStarted(5000) && m_process.waitForReadyRead(5000))
            m_path = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    ~SimProcess() { vanish(); }

    // The meter unplugged: the pseudo-terminal goes with the process.
    void vanish()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    const QString &path() const { return m_path; }
    // Waits for a simulator given --count to send its frames and end. The event loop runs
    // meanwhile: the simulator waits for its reader to take the last frame, and the reader may
    // be a window of this process.
    bool finished(int ms = 10000)
    {
        return waitFor([this] { return m_process.state() == QProcess::NotRunning; }, ms);
    }

private:
    QProcess m_process;
    QString m_path;
};

// vireo-record with the given arguments, in an environment without any display.
class RecorderRun {
public:
    explicit RecorderRun(const QStringList &args, const std::function<void()> &childSetup = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        m_process.setProcessEnvironment(env);
        if (childSetup)
            m_process.setChildProcessModifier(childSetup);
        m_process.start(QStringLiteral(VIREO_RECORD), args);
        m_process.waitForStarted(5000);
    }
    ~RecorderRun()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    qint64 pid() const { return m_process.processId(); }
    void signal(int number) const { ::kill(static_cast<pid_t>(m_process.processId()), number); }
    // The exit code once the program has ended on its own; -1 when it did not end in time.
    int exitCode(int ms = 10000)
    {
        if (!m_process.waitForFinished(ms) || m_process.exitStatus() != QProcess::NormalExit)
            return -1;
        return m_process.exitCode();
    }
    // Everything the program said on standard error so far.
    QString messages()
    {
        m_stderr += QString::fromUtf8(m_process.readAllStandardError());
        return m_stderr;
    }

private:
    QProcess m_process;
    QString m_stderr;
};

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline std::span<const std::uint8_t> bytesOf(const QByteArray &bytes)
{
    return {reinterpret_cast<const std::uint8_t *>(bytes.constData()),
            static_cast<std::size_t>(bytes.size())};
}

inline LogCsvLoad loadCsvFile(const QString &path, LogTable &table)
{
    const QByteArray bytes = fileBytes(path);
    return loadLogCsv(bytesOf(bytes), table);
}

// Lines of the file so far, its header included.
inline qsizetype fileLines(const QString &path)
{
    return fileBytes(path).count('\n');
}

} // namespace vireo::test
