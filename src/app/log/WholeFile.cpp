#include "app/log/WholeFile.h"

#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace vireo {

namespace {

// A rename is durable only once the folder that holds the name is.
void syncFolderOf(const QString &name)
{
    const int folder = ::open(QFile::encodeName(QFileInfo(name).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return;
    ::fsync(folder);
    ::close(folder);
}

// The folder refuses a new file to this user, while the file itself may be written. A full or
// read-only disk is not such a case: writing in place there would only cut the old file.
bool onlyWritableInPlace(const QString &name)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(name).absolutePath());
    if (::access(folder.constData(), W_OK) == 0 || (errno != EACCES && errno != EPERM))
        return false;
    return ::access(QFile::encodeName(name).constData(), W_OK) == 0;
}

} // namespace

WholeFileWriter::WholeFileWriter(const QString &name) : m_replacement(name), m_inPlace(name)
{
    if (m_replacement.open(QIODevice::WriteOnly))
        return;
    // The in-place attempt's own failure tells less than the first attempt did.
    m_error = m_replacement.errorString();
    if (onlyWritableInPlace(name) && m_inPlace.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_out = &m_inPlace;
        m_error.clear();
    }
}

void WholeFileWriter::fail()
{
    m_error = m_out->errorString();
    if (m_out == &m_replacement)
        m_replacement.cancelWriting();
}

bool WholeFileWriter::write(std::string_view bytes)
{
    if (!m_error.isEmpty())
        return false;
    const char *data = bytes.data();
    auto left = static_cast<qint64>(bytes.size());
    // A write that fills the disk returns what it managed without a reason; writing the rest
    // again fails outright and carries the system's reason.
    while (left > 0) {
        const qint64 written = m_out->write(data, left);
        if (written <= 0) {
            fail();
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

QString WholeFileWriter::commit()
{
    if (!m_error.isEmpty())
        return m_error;
    if (m_out == &m_inPlace) {
        if (!m_inPlace.flush() || ::fdatasync(m_inPlace.handle()) != 0)
            fail();
        m_inPlace.close();
        return m_error;
    }
    if (!m_replacement.commit())
        m_error = m_replacement.errorString();
    else
        syncFolderOf(m_replacement.fileName());
    return m_error;
}

QString writeWholeFile(const QString &name, std::string_view bytes)
{
    WholeFileWriter file(name);
    file.write(bytes);
    return file.commit();
}

} // namespace vireo
