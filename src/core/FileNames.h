#pragma once

#include <string>
#include <string_view>

namespace vireo {

// File-name rules of the save and load commands. The extension of a name is what follows the
// last full stop of its file-name part (never of a folder name), without the full stop.

// The name a log is saved under: "xls", "txt", "xml" and "csv" (exactly so, case-sensitive)
// are kept; any other extension is replaced by ".xls". A name typed without one takes the
// extension of the file type chosen in the dialog (".xls" when that is none of the four).
std::string logSaveFileName(std::string_view chosen, std::string_view chosenType = "xls");

// Whether a log file is read or written as an XML data packet: its extension is "xml" in any
// case.
bool isXmlLogFileName(std::string_view name);
// Whether a log file is read or written as CSV with dates: its extension is "csv" in any case.
bool isCsvLogFileName(std::string_view name);

// The name the chart picture is saved under: only the extension "bmp" (exactly so) is kept;
// any other is replaced by ".bmp", and a name without one gets ".bmp".
std::string pictureSaveFileName(std::string_view chosen);

} // namespace vireo
