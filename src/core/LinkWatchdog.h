#pragma once

#include "core/HidIntake.h"

#include <cstdint>

namespace vireo {

// Watches both meter links. The connection indicator falls back to "no link" on the third
// tick after the last decoded frame, and a USB adapter that keeps sending reports without
// meter bytes (the meter is off or not sending) is given up.
class LinkWatchdog {
public:
    // Reports without meter bytes after which a USB reading is given up.
    static constexpr std::int32_t StalledReports = 1900;

    struct Tick {
        // The indicator falls back to "no link".
        bool linkIdle = false;
        // USB reading must stop and the user be told that the meter does not send.
        bool usbStalled = false;
    };

    // One period of the watchdog timer.
    Tick tick();
    // A frame was decoded: the link is alive.
    void frameSeen() { LinkIdleTicks = 0; }
    // Counts an input report of the USB adapter as idle, or restarts the count on meter data.
    void reportTaken(HidReportKind kind);
    // A USB reading starts or stops: earlier idle reports no longer count against it.
    void usbReadingRestarted() { HidIdleReports = 0; }

    std::int32_t linkIdleTicks() const { return LinkIdleTicks; }
    std::int32_t hidIdleReports() const { return HidIdleReports; }

private:
    std::int32_t LinkIdleTicks = 0;
    std::int32_t HidIdleReports = 0;
};

} // namespace vireo
