#pragma once

#include <stdexcept>

namespace vireo {

// Raised when a device found by a scan cannot be opened or identified; the scan leaves it out.
class EControllerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace vireo
