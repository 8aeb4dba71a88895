#pragma once

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

// Writes the bytes as the file's whole new content. The file is written beside the target and
// replaces it only once complete, so a full disk or a failed write leaves what was there
// before. Returns the system's reason for a failure ("No space left on device"), or an empty
// text when the file was written.
QString writeWholeFile(const QString &name, std::string_view bytes,
                       DirectWrite direct = DirectWrite::Never);

} // namespace vireo
