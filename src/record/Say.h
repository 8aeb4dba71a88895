#pragma once

#include <QString>

#include <cerrno>
#include <string_view>
#include <unistd.h>

namespace vireo {

// Writes the bytes whole, in one piece where the system takes them so: a reading's line never
// mixes with a message.
inline void writeWhole(int descriptor, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        // Nowhere left to tell of it.
        if (written <= 0)
            return;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

// A message of the recorder on standard error, its own line, named after the program so that a
// journal shared with other programs shows whose it is.
inline void say(const QString &text)
{
    writeWhole(STDERR_FILENO,
               (QStringLiteral("vireo-record: ") + text + QLatin1Char('\n')).toStdString());
}

} // namespace vireo
