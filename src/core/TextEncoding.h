#pragma once

#include <string>
#include <string_view>

namespace vireo {

// Log texts are kept as the bytes they arrived as, so that a file saves back byte for byte.
// Files written by the original program on Windows hold its single-byte code page (a "µ" or
// "°" is one byte there), while our own rows are UTF-8; for showing a text the two are told
// apart by whether the bytes are well-formed UTF-8.

// Strict UTF-8: no overlong forms, no surrogates, nothing beyond U+10FFFF, no cut sequences.
bool isValidUtf8(std::string_view bytes);

// Windows-1252 decoded into UTF-8. The five bytes that code page leaves unassigned become the
// control characters of the same number, as Windows itself maps them.
std::string windows1252ToUtf8(std::string_view bytes);

// The UTF-8 text to show for stored bytes: the bytes themselves when they are UTF-8,
// otherwise their Windows-1252 reading.
std::string displayUtf8(std::string_view bytes);

} // namespace vireo
