#pragma once

#include "core/TextEncoding.h"

#include <QString>

#include <string_view>

namespace vireo {

// A stored log text as the grid and the report show it: UTF-8 as it stands, anything else
// (texts from files of the original Windows program) read as Windows-1252.
inline QString displayString(std::string_view bytes)
{
    if (isValidUtf8(bytes))
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    const std::string text = windows1252ToUtf8(bytes);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace vireo
