#pragma once

// The toolkit's pooled worker threads of this process (Linux): for tests of paints that the
// raster engine should not hand to them.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <map>
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
