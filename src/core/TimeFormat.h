#pragma once

#include <string>
#include <string_view>

namespace vireo {

// The separator a locale puts between hours and minutes, read from its time format in the
// toolkit's pattern syntax (UTF-8): "HH:mm" gives ":", "H.mm" gives ".". Text in single quotes
// is a literal word, not a separator ("HH 'h' mm"), and so is anything but one sign between
// the hour and the minute fields: those, and a format without both fields, give ":".
std::string timeSeparator(std::string_view timeFormat);

} // namespace vireo
