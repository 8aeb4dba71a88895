// The trend chart's painted series against the chart component drawing the same points itself,
// pixel for pixel, in the window's own chart: random pages, values on and beyond the axis
// edges, fill on and off, other page sizes, a new vertical range and the enlarged chart. The
// window is compared as it is on screen, after the repaints of one strip per new point.
#include "FormTestSupport.h"

#include "app/chart/ChartPicture.h"
#include "app/chart/TrendPlot.h"
#include "app/window/ClickPanel.h"
#include "support/WorkerThreads.h"

#include <QAreaSeries>
#include <QChartView>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLineSeries>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QValueAxis>

#include <gtest/gtest.h>

#include <functional>
#include <random>

using namespace vireo;
using vireo::test::FormFixture;

namespace {

int differingPixels(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return a.width() * a.height();
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y);
    return count;
}

class TrendPlotTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fx.form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(fx.form.get()));
        settle();
    }

    TChartControl &chart() { return fx.get<TChartControl>("ChartCtl"); }
    QChartView &view() { return fx.get<QChartView>("Chtshow"); }
    TrendPlot &plot() { return fx.get<TrendPlot>("TrendPlot"); }

    void settle()
    {
        chart().flush();
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }

    // Adds values as readings arrive: each one drawn before the next comes.
    void addOneByOne(const std::vector<double> &values)
    {
        for (double v : values) {
            chart().AddValue(v);
            settle();
        }
    }

    // The chart's area of the window as the window shows it now.
    QImage onScreen()
    {
        QWidget *viewport = view().viewport();
        const QPoint at = viewport->mapTo(fx.form.get(), QPoint(0, 0));
        const QPixmap window = QGuiApplication::primaryScreen()->grabWindow(fx.form->winId());
        return window.copy(QRect(at, viewport->size()))
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }

    // The same page drawn by the chart component from its own series, then the plot back.
    void chartDrawsItself(const std::function<void()> &compare)
    {
        QList<QPointF> points;
        const ChartPager &pager = chart().pager();
        const ChartPager::IndexRange range = pager.visibleRange();
        for (std::int64_t i = range.first; i <= range.last; ++i)
            points.append(QPointF(double(i), pager.valueAt(std::size_t(i))));
        auto &line = fx.chartPart<QLineSeries>("Series1");
        auto &fill = fx.chartPart<QAreaSeries>("Series2");
        view().viewport()->removeEventFilter(&plot());
        line.setOpacity(1);
        fill.setOpacity(1);
        line.replace(points);
        fill.upperSeries()->replace(points);
        view().viewport()->update();
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        compare();
        line.clear();
        fill.upperSeries()->clear();
        line.setOpacity(0);
        fill.setOpacity(0);
        view().viewport()->installEventFilter(&plot());
        view().viewport()->update();
        settle();
    }

    void expectSamePicture(const char *what)
    {
        const QImage painted = onScreen();
        const QImage saved = chartPicture(&view());
        chartDrawsItself([&] {
            const QImage reference = onScreen();
            ASSERT_EQ(painted.size(), reference.size()) << what;
            EXPECT_EQ(differingPixels(painted, reference), 0) << what << " on screen";
            const QImage savedReference = chartPicture(&view());
            ASSERT_EQ(saved.size(), savedReference.size()) << what;
            EXPECT_EQ(differingPixels(saved, savedReference), 0) << what << " saved picture";
        });
    }

    std::vector<double> randomValues(int count, double low, double high)
    {
        std::uniform_real_distribution<double> value(low, high);
        std::vector<double> values;
        for (int i = 0; i < count; ++i)
            values.push_back(value(random));
        return values;
    }

    FormFixture fx;
    std::mt19937 random{20261209};
};

// Remembers what part of the chart's viewport each paint covers.
class PaintedRegions : public QObject {
public:
    explicit PaintedRegions(QWidget *viewport) { viewport->installEventFilter(this); }
    std::vector<QRect> rects;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            rects.push_back(static_cast<QPaintEvent *>(event)->rect());
        return false;
    }
};

TEST_F(TrendPlotTest, ANewPointRepaintsOnlyTheStripOfItsSegment)
{
    addOneByOne(randomValues(40, -4000, 4000));
    PaintedRegions painted(view().viewport());
    addOneByOne({1000, -2000});
    ASSERT_EQ(painted.rects.size(), 2u);
    const QRect plotArea = view().chart()->plotArea().toAlignedRect();
    for (const QRect &r : painted.rects) {
        // A page of 100 points over the plot's width: a segment is about three pixels wide.
        EXPECT_LE(r.width(), 10);
        EXPECT_TRUE(plotArea.adjusted(-3, -3, 3, 3).contains(r));
    }
    // With the fill on, the strip runs down to the plot's bottom: the fill's closing edge
    // moves from the old last point to the new one.
    EXPECT_GE(painted.rects.back().bottom(), plotArea.bottom());

    // A new window is drawn whole.
    painted.rects.clear();
    chart().SetPageSize(10);
    settle();
    ASSERT_FALSE(painted.rects.empty());
    EXPECT_GE(painted.rects.back().width(), plotArea.width());
}

// The toolbar lying on the chart cuts a strip's repaint into several rectangles: the chart is
// still drawn on the main thread alone, and looks the same.
TEST_F(TrendPlotTest, AStripCutIntoPiecesWakesNoWorkerThread)
{
    addOneByOne(randomValues(40, -4000, 4000));
    const QRect plotArea = view().chart()->plotArea().toAlignedRect();
    ASSERT_GE(plotArea.height(), 100);
    const QRegion pieces = QRegion(plotArea.left() + 20, plotArea.top(), 6, plotArea.height()) +
                           QRegion(plotArea.left() + 30, plotArea.top(), 6, plotArea.height());
    // On a loaded machine a worker's wake-up of its own can fall into one repaint; a strip
    // drawn through the workers wakes them at every repaint.
    bool wokenEveryTime = true;
    for (int attempt = 0; attempt < 3 && wokenEveryTime; ++attempt) {
        const auto before = vireo::test::pooledThreadSleepsOnceQuiet();
        view().viewport()->update(pieces);
        settle();
        wokenEveryTime = !vireo::test::pooledThreadsWokenSince(before).empty();
    }
    EXPECT_FALSE(wokenEveryTime);
    expectSamePicture("after a repaint in pieces");
}

TEST_F(TrendPlotTest, ANewRangeRepaintsTheToolbarOnlyWhereTheChartBeneathItChanged)
{
    addOneByOne(randomValues(10, -4000, 4000));
    QTest::qWait(150);
    const char *const toolbar[] = {"Maxrecord",  "BtNew", "BtSave", "BtFirst",
                                   "BTPrevious", "Bt10",  "BtNext", "BTlast"};
    std::vector<std::unique_ptr<PaintedRegions>> painted;
    for (const char *name : toolbar)
        painted.push_back(std::make_unique<PaintedRegions>(&fx.get<QWidget>(name)));
    PaintedRegions plotPaints(view().viewport());
    for (int range : {60, 6, 600, 4000}) {
        chart().SetValueMin(-range);
        chart().SetValueMax(range);
        QTest::qWait(150);
        settle();
    }
    EXPECT_GE(plotPaints.rects.size(), 4u);
    for (std::size_t i = 0; i < painted.size(); ++i)
        EXPECT_TRUE(painted[i]->rects.empty()) << toolbar[i];
    expectSamePicture("after four ranges");
}

TEST_F(TrendPlotTest, ANewRangeSetsTheVerticalAxisOnceAndNoMoreOftenThanTheRefresh)
{
    auto &axisY = fx.chartPart<QValueAxis>("axisY");
    QTest::qWait(150);
    QSignalSpy changes(&axisY, &QValueAxis::rangeChanged);
    // The decoder gives a new range as its minimum, then its maximum.
    chart().SetValueMin(-60);
    chart().SetValueMax(60);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(axisY.min(), -60);
    EXPECT_EQ(axisY.max(), 60);
    // The same range again changes nothing.
    chart().SetValueMin(-60);
    chart().SetValueMax(60);
    QTest::qWait(150);
    EXPECT_EQ(changes.count(), 1);
    // One end alone reaches the axis once control returns to the event loop.
    chart().SetValueMax(80);
    chart().SetValueMin(-60);
    EXPECT_EQ(axisY.max(), 80);
    EXPECT_EQ(changes.count(), 2);

    // Ranges coming faster than the refresh reach the axis at its pace, the last one last.
    QTest::qWait(150);
    QElapsedTimer elapsed;
    elapsed.start();
    for (int i = 1; i <= 30; ++i) {
        chart().SetValueMin(-i);
        chart().SetValueMax(i);
        QTest::qWait(5);
    }
    const qint64 took = elapsed.elapsed();
    EXPECT_SOON_EQ(axisY.max(), 30);
    EXPECT_EQ(axisY.min(), -30);
    EXPECT_LE(changes.count() - 2, 2 + took / 80);
    EXPECT_EQ(chart().FValueMin(), -30);
    EXPECT_EQ(chart().FValueMax(), 30);
}

TEST_F(TrendPlotTest, APointAPeriodAfterTheLastIsDrawnAtOnceEvenAfterALateRedraw)
{
    QTest::qWait(150);
    chart().AddValue(100);
    ASSERT_EQ(plot().shownPoints().size(), 1);
    // A second point at once waits for the refresh: no more than ten redraws a second.
    chart().AddValue(200);
    EXPECT_EQ(plot().shownPoints().size(), 1);
    EXPECT_SOON_EQ(plot().shownPoints().size(), 2);
    // Right after that late redraw, a point a whole period after the one before is drawn in
    // the call that brought it, not a refresh later.
    chart().AddValue(300);
    EXPECT_EQ(plot().shownPoints().size(), 3);
    // Points close together still wait for the refresh.
    chart().AddValue(400);
    EXPECT_EQ(plot().shownPoints().size(), 3);
    EXPECT_SOON_EQ(plot().shownPoints().size(), 4);
    // The last point is drawn; the repaint of its strip may still wait in the event loop.
    settle();
    expectSamePicture("after points drawn late and at once");
}

// The chart beneath the series, as the view draws its scene.
QImage sceneBeneath(QChartView &view)
{
    QImage image(view.viewport()->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    view.render(&painter, QRectF(image.rect()), image.rect(), Qt::IgnoreAspectRatio);
    return image;
}

TEST_F(TrendPlotTest, HairlineAxesDrawTheSameAsOnePixelLines)
{
    auto &axisX = fx.chartPart<QValueAxis>("axisX");
    auto &axisY = fx.chartPart<QValueAxis>("axisY");
    auto withWidth = [](QPen pen, int width) {
        pen.setWidth(width);
        return pen;
    };
    auto penWidths = [&](int width) {
        for (QValueAxis *axis : {&axisX, &axisY}) {
            axis->setGridLinePen(withWidth(axis->gridLinePen(), width));
            axis->setMinorGridLinePen(withWidth(axis->minorGridLinePen(), width));
            axis->setLinePen(withWidth(axis->linePen(), width));
        }
        settle();
    };
    auto expectSameLines = [&](const char *what) {
        const QImage hairlines = sceneBeneath(view());
        penWidths(1);
        EXPECT_EQ(differingPixels(hairlines, sceneBeneath(view())), 0) << what;
        penWidths(0);
    };
    EXPECT_EQ(axisY.linePen().style(), Qt::DashLine);
    expectSameLines("start");
    chart().SetValueMin(-60);
    chart().SetValueMax(60);
    for (double v : randomValues(250, -60, 60))
        chart().AddValue(v);
    settle();
    expectSameLines("page 3, range -60 ... 60");
    QTest::mouseClick(&fx.get<ClickPanel>("TbFd"), Qt::LeftButton);
    settle();
    expectSameLines("enlarged");
}

TEST_F(TrendPlotTest, FirstPageDrawnPointByPoint)
{
    addOneByOne(randomValues(37, -4000, 4000));
    expectSamePicture("page 1, fill on");
}

TEST_F(TrendPlotTest, ValuesOnAndBeyondTheAxisEdges)
{
    std::vector<double> values = randomValues(20, -4000, 4000);
    for (double edge : {4000.0, 4000.0, -4000.0, 4000.0, 5000.0, -7000.0, 0.0, -4000.0, -4000.0})
        values.push_back(edge);
    addOneByOne(values);
    expectSamePicture("edges, fill on");
}

TEST_F(TrendPlotTest, FillOffShowsTheLineAlone)
{
    QTest::mouseClick(&fx.get<QCheckBox>("BtFill"), Qt::LeftButton);
    addOneByOne(randomValues(45, -4000, 4000));
    expectSamePicture("fill off");
}

TEST_F(TrendPlotTest, FollowingOntoLaterPages)
{
    for (double v : randomValues(230, -3000, 3000))
        chart().AddValue(v);
    settle();
    addOneByOne(randomValues(25, -4000, 4000));
    expectSamePicture("page 3");
}

TEST_F(TrendPlotTest, BrowsingAFullEarlierPage)
{
    for (double v : randomValues(260, -4000, 4000))
        chart().AddValue(v);
    QTest::mouseClick(&fx.get<QToolButton>("BTPrevious"), Qt::LeftButton);
    QTest::mouseClick(&fx.get<QToolButton>("BTPrevious"), Qt::LeftButton);
    settle();
    expectSamePicture("page 1 browsed");
}

TEST_F(TrendPlotTest, TheWindowLeftOfTheFirstPageShowsOnlyTheZeroPoint)
{
    for (double v : randomValues(100, -4000, 4000))
        chart().AddValue(v);
    QTest::mouseClick(&fx.get<QToolButton>("BTPrevious"), Qt::LeftButton);
    settle();
    expectSamePicture("window -99 ... 0");
}

TEST_F(TrendPlotTest, ClearedChartIsEmpty)
{
    addOneByOne(randomValues(12, -4000, 4000));
    chart().ClearPoints();
    settle();
    expectSamePicture("cleared");
    // and the next points after a clear are drawn on the emptied plot
    addOneByOne(randomValues(3, -4000, 4000));
    expectSamePicture("after the clear");
}

TEST_F(TrendPlotTest, ANewVerticalRangeAndPointsBeyondIt)
{
    addOneByOne(randomValues(15, -4000, 4000));
    chart().SetValueMin(-6);
    chart().SetValueMax(6);
    settle();
    addOneByOne(randomValues(15, -8, 8));
    expectSamePicture("range -6 ... 6");
    // Readings of the earlier range lie far outside the new one.
    addOneByOne({4000, 4000, -4000, 1e7, -3, -1e7, 2, 7, 9});
    expectSamePicture("far outside the range");
}

TEST_F(TrendPlotTest, SmallAndLargePages)
{
    for (double v : randomValues(30, -4000, 4000))
        chart().AddValue(v);
    chart().SetPageSize(7);
    settle();
    addOneByOne(randomValues(3, -4000, 4000));
    expectSamePicture("page of 7");
    chart().SetPageSize(1000);
    for (double v : randomValues(2500, -4000, 4000))
        chart().AddValue(v);
    settle();
    addOneByOne(randomValues(20, -4000, 4000));
    expectSamePicture("page of 1000");
}

TEST_F(TrendPlotTest, EnlargedChart)
{
    addOneByOne(randomValues(10, -4000, 4000));
    QTest::mouseClick(&fx.get<ClickPanel>("TbFd"), Qt::LeftButton);
    settle();
    addOneByOne(randomValues(30, -4000, 4000));
    expectSamePicture("enlarged");
}

TEST_F(TrendPlotTest, RestoredChartAfterEnlarging)
{
    QTest::mouseClick(&fx.get<ClickPanel>("TbFd"), Qt::LeftButton);
    addOneByOne(randomValues(10, -4000, 4000));
    QTest::mouseClick(&fx.get<ClickPanel>("TbSx"), Qt::LeftButton);
    settle();
    addOneByOne(randomValues(10, -4000, 4000));
    expectSamePicture("restored");
}

} // namespace
