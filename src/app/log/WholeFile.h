#pragma once

#include <QSaveFile>
#include <QString>

#include <string_view>

namespace vireo {

// How a file is replaced when it is written.
enum class DirectWrite {
    // Only ever through a temporary file beside it.
    Never,
    // Straight into the file where its folder allows no temporary file but the file itself
    // may be written.
    WhereNeeded,
};

// Writes a file's whole new content, in as many pieces as it comes in. The content goes to a
// temporary file beside the target, which replaces the target only on commit(), so a full
// disk or a failed write leaves what was there before. Failures carry the system's reason
// ("No space left on device").
class WholeFileWriter {
public:
    explicit WholeFileWriter(const QString &name, DirectWrite direct = DirectWrite::Never);
    WholeFileWriter(const WholeFileWriter &) = delete;
    WholeFileWriter &operator=(const WholeFileWriter &) = delete;

    // False once anything failed; later pieces are then ignored.
    bool write(std::string_view bytes);
    // Puts the file in place. Returns the reason of the first failure, or an empty text when
    // the file was written.
    QString commit();

private:
    void fail();

    QSaveFile m_file;
    QString m_error;
};

// The bytes as the file's whole new content; the reason of a failure, or an empty text.
QString writeWholeFile(const QString &name, std::string_view bytes,
                       DirectWrite direct = DirectWrite::Never);

} // namespace vireo
