#pragma once

#include <QDir>
#include <QTemporaryDir>

#include <sys/mount.h>

namespace vireo::test {

// A tmpfs of a few kilobytes, mounted for one test, to see what the user is told when a disk
// is full or read-only. Mounting needs root; without it mounted() is false and the test skips.
class SmallDisk {
public:
    explicit SmallDisk(const char *options)
    {
        m_mounted = m_dir.isValid() && ::mount("tmpfs", m_dir.path().toLocal8Bit().constData(),
                                               "tmpfs", 0, options) == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(m_dir.path().toLocal8Bit().constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool mounted() const { return m_mounted; }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }
    QStringList files() const { return QDir(m_dir.path()).entryList(QDir::Files); }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

} // namespace vireo::test
