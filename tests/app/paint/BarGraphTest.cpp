#include "app/paint/BarGraph.h"
#include "support/ScreenGrab.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPaintEvent>
#include <QTest>

#include <gtest/gtest.h>

using namespace vireo;

namespace {

// A window like the program's: a plain button-face background behind a bar graph, and the
// style's own progress bar of the same size beside it for reference.
struct BarsSideBySide {
    BarsSideBySide()
    {
        host.setBackgroundRole(QPalette::Button);
        host.setAutoFillBackground(true);
        host.resize(300, 60);
        for (QProgressBar *bar : {static_cast<QProgressBar *>(graph), reference}) {
            bar->setRange(0, 60);
            bar->setValue(30);
            bar->setTextVisible(false);
        }
        graph->setGeometry(3, 5, 284, 12);
        reference->setGeometry(3, 35, 284, 12);
        host.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&host));
        QApplication::processEvents();
    }
    // What the window shows at a bar's place.
    QImage shown(const QWidget *bar) { return vireo::test::shownOnScreen(host, bar->geometry()); }
    void setValue(int value)
    {
        graph->setValue(value);
        reference->setValue(value);
        // The style's bar skips repaints for moves of less than a chunk's width.
        reference->update();
        QApplication::processEvents();
    }

    QWidget host;
    BarGraph *graph = new BarGraph(&host);
    QProgressBar *reference = new QProgressBar(&host);
};

TEST(BarGraph, ShowsWhatTheStyleDrawsAtEveryValueAndStep)
{
    BarsSideBySide bars;
    ASSERT_EQ(bars.shown(bars.graph), bars.shown(bars.reference));
    // Up and down in steps of one and in jumps, back to values shown before.
    for (int value : {31, 32, 60, 59, 0, 1, 45, 30, 29, 60, 0, 30}) {
        bars.setValue(value);
        ASSERT_EQ(bars.shown(bars.graph), bars.shown(bars.reference)) << value;
    }
    for (int value = 0; value <= 60; ++value) {
        bars.setValue(value);
        ASSERT_EQ(bars.shown(bars.graph), bars.shown(bars.reference)) << value;
    }
}

TEST(BarGraph, FollowsANewBackgroundAndStaysRightOverOneThatIsNotPlain)
{
    BarsSideBySide bars;
    QPalette pal = bars.host.palette();
    pal.setColor(QPalette::Button, QColor(10, 120, 200));
    bars.host.setPalette(pal);
    QApplication::processEvents();
    bars.setValue(12);
    EXPECT_EQ(bars.shown(bars.graph), bars.shown(bars.reference));

    // A gradient shows through the bar's rounded corners: the style paints over it.
    QLinearGradient fade(0, 0, 300, 0);
    fade.setColorAt(0, Qt::white);
    fade.setColorAt(1, Qt::darkGreen);
    pal.setBrush(QPalette::Button, fade);
    bars.host.setPalette(pal);
    QApplication::processEvents();
    bars.setValue(50);
    const QImage graph = bars.shown(bars.graph);
    // The reference lies lower on the same horizontal gradient: the same picture.
    EXPECT_EQ(graph, bars.shown(bars.reference));
    bars.setValue(20);
    EXPECT_EQ(bars.shown(bars.graph), bars.shown(bars.reference));
}

} // namespace
