#include "app/log/WholeFile.h"

namespace vireo {

WholeFileWriter::WholeFileWriter(const QString &name, DirectWrite direct) : m_file(name)
{
    if (m_file.open(QIODevice::WriteOnly))
        return;
    m_error = m_file.errorString();
    if (direct == DirectWrite::Never)
        return;
    // The fallback's own failure tells less than the first attempt did.
    m_file.setDirectWriteFallback(true);
    if (m_file.open(QIODevice::WriteOnly))
        m_error.clear();
}

void WholeFileWriter::fail()
{
    m_error = m_file.errorString();
    m_file.cancelWriting();
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
        const qint64 written = m_file.write(data, left);
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
    if (m_error.isEmpty() && !m_file.commit())
        m_error = m_file.errorString();
    return m_error;
}

QString writeWholeFile(const QString &name, std::string_view bytes, DirectWrite direct)
{
    WholeFileWriter file(name, direct);
    file.write(bytes);
    return file.commit();
}

} // namespace vireo
