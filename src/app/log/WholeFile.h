#pragma once

#include <QFile>
#include <QSaveFile>
#include <QString>

#include <string_view>

namespace vireo {

// Writes a file's whole new content, in as many pieces as it comes in. The content goes to a
// temporary file beside the target, which replaces the target only on commit(), so a full
// disk or a failed write leaves what was there before; the folder is synced after the
// replacement, so a power cut cannot bring the old file back. Where the folder takes no new
// file but the target itself may be written, the content goes straight into the target.
// Failures carry the system's reason ("No space left on device").
class WholeFileWriter {
public:
    explicit WholeFileWriter(const QString &name);
    WholeFileWriter(const WholeFileWriter &) = delete;
    WholeFileWriter &operator=(const WholeFileWriter &) = delete;

    // False once anything failed; later pieces are then ignored.
    bool write(std::string_view bytes);
    // Puts the file in place. Returns the reason of the first failure, or an empty text when
    // the file was written.
    QString commit();

private:
    void fail();

    QSaveFile m_replacement;
    QFile m_inPlace;
    QFileDevice *m_out = &m_replacement;
    QString m_error;
};

// The bytes as the file's whole new content; the reason of a failure, or an empty text.
QString writeWholeFile(const QString &name, std::string_view bytes);

} // namespace vireo
