#pragma once

#include "links/HidCApi.h"
#include "support/HidDoubleControl.h"

namespace vireo::test {

// The stand-in for hidapi and libudev, loaded once per process and privately, so that only
// the backend handed its functions uses it; Qt's own use of libudev stays on the system's.
class HidDoubleLibrary {
public:
    // Loads it on first use; a stand-in that cannot be loaded ends the test run.
    static HidDoubleLibrary &instance();

    const HidCApi &api() const { return m_api; }
    HidDoubleControl &control() const { return *m_control; }

private:
    HidDoubleLibrary();

    HidCApi m_api;
    HidDoubleControl *m_control = nullptr;
};

} // namespace vireo::test
