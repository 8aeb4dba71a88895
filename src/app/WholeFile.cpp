#include "app/WholeFile.h"

#include <QSaveFile>

namespace vireo {

namespace {

QString writeThrough(QSaveFile &file, std::string_view bytes)
{
    const char *data = bytes.data();
    auto left = static_cast<qint64>(bytes.size());
    // A write that fills the disk returns what it managed without a reason; writing the rest
    // again fails outright and carries the system's reason.
    while (left > 0) {
        const qint64 written = file.write(data, left);
        if (written <= 0) {
            const QString error = file.errorString();
            file.cancelWriting();
            return error;
        }
        data += written;
        left -= written;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

} // namespace

QString writeWholeFile(const QString &name, std::string_view bytes, DirectWrite direct)
{
    QSaveFile file(name);
    if (file.open(QIODevice::WriteOnly))
        return writeThrough(file, bytes);
    const QString reason = file.errorString();
    if (direct == DirectWrite::Never)
        return reason;
    // The fallback's own failure tells less than the first attempt did.
    QSaveFile fallback(name);
    fallback.setDirectWriteFallback(true);
    if (!fallback.open(QIODevice::WriteOnly))
        return reason;
    return writeThrough(fallback, bytes);
}

} // namespace vireo
