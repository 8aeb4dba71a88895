#include "core/LinkWatchdog.h"

#include <limits>

namespace vireo {

LinkWatchdog::Tick LinkWatchdog::tick()
{
    Tick result;
    if (LinkIdleTicks != 2) {
        ++LinkIdleTicks;
        return result;
    }
    // The idle count is only judged here, once every three ticks.
    if (HidIdleReports >= StalledReports) {
        HidIdleReports = 0;
        result.usbStalled = true;
    }
    result.linkIdle = true;
    LinkIdleTicks = 0;
    return result;
}

void LinkWatchdog::reportTaken(HidReportKind kind)
{
    switch (kind) {
    case HidReportKind::Empty:
        break;
    case HidReportKind::Idle:
        // An adapter left streaming for months must not wrap the count back below the limit.
        if (HidIdleReports < std::numeric_limits<std::int32_t>::max())
            ++HidIdleReports;
        break;
    case HidReportKind::Data:
        HidIdleReports = 0;
        break;
    }
}

} // namespace vireo
