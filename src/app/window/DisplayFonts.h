#pragma once

namespace vireo {

// Makes the embedded pictures reachable and registers the embedded LCD fonts "VORDA-A2" and
// "VORDA-A3" with the application. Returns false when a font could not be loaded.
bool loadEmbeddedResources();

} // namespace vireo
