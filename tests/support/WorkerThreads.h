#pragma once

// The toolkit's pooled worker threads of this process (Linux): for tests of paints that the
// raster engine should not hand to them.
#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QThread>

#include <map>
#include <utility>
#include <vector>

namespace vireo::test {

// How often each pooled worker thread has gone to sleep so far, by thread id.
inline std::map<int, long> pooledThreadSleeps()
{
    std::map<int, long> sleeps;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(task + QStringLiteral("/comm")));
        if (!comm.open(QIODevice::ReadOnly) || !comm.readAll().startsWith("Thread (pooled)"))
            continue;
        QFile status(tasks.filePath(task + QStringLiteral("/status")));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("voluntary_ctxt_switches:"))
                sleeps[task.toInt()] = line.mid(line.indexOf(':') + 1).trimmed().toLong();
    }
    return sleeps;
}

// The workers' sleeps once none of them has run for a while: work they took before the test's
// step, which a slow build (a sanitizer's) may still be finishing, is not laid to that step.
inline std::map<int, long> pooledThreadSleepsOnceQuiet()
{
    constexpr int kQuietMs = 100;
    constexpr int kLongestWaitMs = 5000;
    QElapsedTimer waited;
    waited.start();
    auto sleeps = pooledThreadSleeps();
    QElapsedTimer quiet;
    quiet.start();
    while (quiet.elapsed() < kQuietMs && waited.elapsed() < kLongestWaitMs) {
        QThread::msleep(10);
        auto now = pooledThreadSleeps();
        if (now != sleeps) {
            sleeps = std::move(now);
            quiet.restart();
        }
    }
    return sleeps;
}

// The pooled worker threads that ran since `before`: started since, or gone to sleep again.
// A worker that ends after its idle time is no waking.
inline std::vector<int> pooledThreadsWokenSince(const std::map<int, long> &before)
{
    std::vector<int> woken;
    for (const auto &[thread, sleeps] : pooledThreadSleeps()) {
        const auto was = before.find(thread);
        if (was == before.end() || was->second != sleeps)
            woken.push_back(thread);
    }
    return woken;
}

} // namespace vireo::test
