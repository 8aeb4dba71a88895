#pragma once

namespace vireo {

// Registers the embedded LCD fonts "VORDA-A2" and "VORDA-A3" with the application.
// Returns false when a font could not be loaded.
bool registerDisplayFonts();

} // namespace vireo
