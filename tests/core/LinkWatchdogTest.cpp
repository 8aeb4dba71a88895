#include "core/LinkWatchdog.h"

#include <gtest/gtest.h>

namespace vireo {
namespace {

void takeReports(LinkWatchdog &w, HidReportKind kind, int n)
{
    for (int i = 0; i < n; ++i)
        w.reportTaken(kind);
}

TEST(LinkWatchdog, IndicatorFallsBackOnTheThirdTickAfterTheLastFrame)
{
    LinkWatchdog w;
    EXPECT_FALSE(w.tick().linkIdle);
    EXPECT_FALSE(w.tick().linkIdle);
    EXPECT_TRUE(w.tick().linkIdle);
    // The count starts again, so a silent link is reported every third tick.
    EXPECT_FALSE(w.tick().linkIdle);
    EXPECT_FALSE(w.tick().linkIdle);
    EXPECT_TRUE(w.tick().linkIdle);

    // Frames between ticks keep the link alive however long it runs.
    for (int i = 0; i < 10; ++i) {
        EXPECT_FALSE(w.tick().linkIdle);
        EXPECT_FALSE(w.tick().linkIdle);
        w.frameSeen();
    }
    EXPECT_EQ(w.linkIdleTicks(), 0);
}

TEST(LinkWatchdog, UsbStallIsJudgedOnlyOnTheIdleTick)
{
    LinkWatchdog w;
    takeReports(w, HidReportKind::Idle, LinkWatchdog::StalledReports);
    EXPECT_FALSE(w.tick().usbStalled);
    EXPECT_FALSE(w.tick().usbStalled);
    const LinkWatchdog::Tick idle = w.tick();
    EXPECT_TRUE(idle.usbStalled);
    EXPECT_TRUE(idle.linkIdle);
    // Given up once: the count starts from nothing.
    EXPECT_EQ(w.hidIdleReports(), 0);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(w.tick().usbStalled);

    // Decoded frames in between postpone the judgement, as in the window.
    takeReports(w, HidReportKind::Idle, LinkWatchdog::StalledReports);
    w.tick();
    w.tick();
    w.frameSeen();
    EXPECT_FALSE(w.tick().usbStalled);
}

TEST(LinkWatchdog, OneReportShortOfTheLimitIsNoStall)
{
    LinkWatchdog w;
    takeReports(w, HidReportKind::Idle, LinkWatchdog::StalledReports - 1);
    w.tick();
    w.tick();
    EXPECT_FALSE(w.tick().usbStalled);
    EXPECT_EQ(w.hidIdleReports(), LinkWatchdog::StalledReports - 1);
    w.reportTaken(HidReportKind::Idle);
    w.tick();
    w.tick();
    EXPECT_TRUE(w.tick().usbStalled);
}

TEST(LinkWatchdog, IdleCountRestartsOnMeterDataAndIgnoresEmptyReports)
{
    LinkWatchdog w;
    takeReports(w, HidReportKind::Idle, 5);
    takeReports(w, HidReportKind::Empty, 5);
    EXPECT_EQ(w.hidIdleReports(), 5);
    w.reportTaken(HidReportKind::Data);
    EXPECT_EQ(w.hidIdleReports(), 0);
    takeReports(w, HidReportKind::Idle, 3);
    w.usbReadingRestarted();
    EXPECT_EQ(w.hidIdleReports(), 0);
}

} // namespace
} // namespace vireo
