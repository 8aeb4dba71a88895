#include "app/log/LogGrid.h"
#include "support/ScreenGrab.h"

#include <QCoreApplication>
#include <QFontInfo>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <gmock/gmock.h>

#include <stdexcept>
#include <string>

namespace vireo {
namespace {

constexpr std::array<LogColumn, LogTable::ColumnCount> Columns{LogColumn::No,   LogColumn::Time,
                                                               LogColumn::Func, LogColumn::Value,
                                                               LogColumn::Unit, LogColumn::Range};

void appendRows(LogTable &table, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const auto no = static_cast<std::int32_t>(table.rowCount() + 1);
        const std::string value = std::to_string(no % 1000);
        table.append({no, "12:00:01", "DC", value, "k*", "AUTO"});
    }
}

class LogGridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        grid.setTable(&table);
        grid.setGeometry(3, 208, 284, 196);
        grid.show();
    }

    // Appends rows one by one the way the window logs readings.
    void logRows(std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i) {
            appendRows(table, 1);
            grid.rowsAppended();
        }
    }

    bool rowOnScreen(std::size_t row) const
    {
        return row >= grid.firstVisibleRow() &&
               row < grid.firstVisibleRow() + static_cast<std::size_t>(grid.visibleRowCount());
    }

    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(&grid, static_cast<Qt::Key>(key), modifiers);
    }

    LogTable table;
    LogGrid grid;
};

TEST_F(LogGridTest, ColumnsHaveTheirTitlesWidthsAndAlignments)
{
    const std::array<const char *, 6> titles{"No", "Time", "DC/AC", "Value", "Unit", "Auto"};
    const std::array<int, 6> widths{39, 53, 37, 43, 36, 36};
    const std::array<Qt::Alignment, 6> alignments{Qt::AlignLeft,    Qt::AlignHCenter,
                                                  Qt::AlignHCenter, Qt::AlignRight,
                                                  Qt::AlignRight,   Qt::AlignHCenter};
    ASSERT_EQ(grid.titleRow()->count(), 6);
    for (std::size_t c = 0; c < Columns.size(); ++c) {
        SCOPED_TRACE(titles[c]);
        EXPECT_EQ(grid.title(Columns[c]), QString::fromLatin1(titles[c]));
        EXPECT_EQ(grid.columnWidth(Columns[c]), widths[c]);
        EXPECT_EQ(grid.columnAlignment(Columns[c]), alignments[c]);
    }
}

TEST_F(LogGridTest, CellsUseTheGridFontAndUnitsTheAnnunciatorFont)
{
    for (LogColumn column : Columns) {
        const QFont font = grid.columnFont(column);
        EXPECT_EQ(font.pixelSize(), 12);
        EXPECT_EQ(font.weight(), QFont::Normal);
        EXPECT_FALSE(font.italic());
        EXPECT_EQ(font.family(), column == LogColumn::Unit ? "VORDA-A2" : "Arial");
    }
    // The unit codes only read as symbols if the embedded face is really the one drawn.
    EXPECT_EQ(QFontInfo(grid.columnFont(LogColumn::Unit)).family(), "VORDA-A2");

    const QFont titleFont = grid.titleRow()->font();
    EXPECT_EQ(titleFont.family(), "MS Sans Serif");
    EXPECT_EQ(titleFont.pixelSize(), 11);
    EXPECT_EQ(titleFont.weight(), QFont::Normal);
}

TEST_F(LogGridTest, ColumnsFitTheGridAndCanBeWidened)
{
    EXPECT_EQ(grid.horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(grid.titleRow()->sectionResizeMode(0), QHeaderView::Interactive);

    grid.titleRow()->resizeSection(static_cast<int>(LogColumn::Value), 143);
    EXPECT_EQ(grid.columnWidth(LogColumn::Value), 143);
    EXPECT_GT(grid.horizontalScrollBar()->maximum(), 0);

    grid.horizontalScrollBar()->setValue(grid.horizontalScrollBar()->maximum());
    EXPECT_EQ(grid.titleRow()->offset(), grid.horizontalScrollBar()->maximum());
}

TEST_F(LogGridTest, EmptyGridHasNoCurrentRow)
{
    EXPECT_FALSE(grid.currentRow());
    EXPECT_FALSE(grid.rowAtLine(0));
    press(Qt::Key_Up);
    EXPECT_FALSE(grid.currentRow());
}

TEST_F(LogGridTest, EachNewRowBecomesCurrentAndVisible)
{
    for (std::size_t i = 0; i < 40; ++i) {
        logRows(1);
        ASSERT_EQ(grid.currentRow(), i);
        ASSERT_TRUE(rowOnScreen(i)) << "row " << i;
    }
    // The newest row sits on the last whole line, not somewhere in the middle.
    EXPECT_EQ(grid.rowAtLine(grid.visibleRowCount() - 1), 39u);
    EXPECT_EQ(grid.verticalScrollBar()->maximum(), 40 - grid.visibleRowCount());
}

TEST_F(LogGridTest, RowsNotAnnouncedAreNotShown)
{
    logRows(3);
    appendRows(table, 5);
    EXPECT_EQ(grid.shownRowCount(), 3u);
    EXPECT_EQ(grid.currentRow(), 2u);

    grid.rowsAppended();
    EXPECT_EQ(grid.shownRowCount(), 8u);
    EXPECT_EQ(grid.currentRow(), 7u);
}

TEST_F(LogGridTest, ResetAfterClearEmptiesTheGrid)
{
    logRows(50);
    table.clear();
    grid.reset();
    EXPECT_EQ(grid.shownRowCount(), 0u);
    EXPECT_FALSE(grid.currentRow());
    EXPECT_EQ(grid.firstVisibleRow(), 0u);
    EXPECT_EQ(grid.verticalScrollBar()->maximum(), 0);

    logRows(1);
    EXPECT_EQ(grid.currentRow(), 0u);
    EXPECT_EQ(grid.cellText(0, LogColumn::No), "1");
}

TEST_F(LogGridTest, ResetAfterBulkLoadShowsTheLastRow)
{
    appendRows(table, 300'000);
    grid.reset();
    EXPECT_EQ(grid.shownRowCount(), 300'000u);
    EXPECT_EQ(grid.currentRow(), 299'999u);
    EXPECT_TRUE(rowOnScreen(299'999));
}

TEST_F(LogGridTest, KeyboardWalksBackThroughTheLog)
{
    logRows(100);
    const auto page = static_cast<std::size_t>(grid.visibleRowCount());

    press(Qt::Key_Up);
    EXPECT_EQ(grid.currentRow(), 98u);
    press(Qt::Key_PageUp);
    EXPECT_EQ(grid.currentRow(), 98u - page);
    EXPECT_TRUE(rowOnScreen(98 - page));
    press(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(grid.currentRow(), 0u);
    EXPECT_EQ(grid.firstVisibleRow(), 0u);
    press(Qt::Key_Up);
    EXPECT_EQ(grid.currentRow(), 0u);
    press(Qt::Key_Down);
    press(Qt::Key_PageDown);
    EXPECT_EQ(grid.currentRow(), 1u + page);
    EXPECT_TRUE(rowOnScreen(1 + page));
    press(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid.currentRow(), 99u);
    press(Qt::Key_Down);
    EXPECT_EQ(grid.currentRow(), 99u);
    EXPECT_TRUE(rowOnScreen(99));
}

TEST_F(LogGridTest, WheelAndScrollBarMoveTheViewNotTheCurrentRow)
{
    logRows(100);
    const std::size_t first = grid.firstVisibleRow();
    QWheelEvent up(QPointF(50, 50), grid.viewport()->mapToGlobal(QPointF(50, 50)), QPoint(),
                   QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(grid.viewport(), &up);
    EXPECT_LT(grid.firstVisibleRow(), first);
    EXPECT_EQ(grid.currentRow(), 99u);

    grid.verticalScrollBar()->setValue(0);
    EXPECT_EQ(grid.firstVisibleRow(), 0u);
    EXPECT_EQ(grid.rowAtLine(0), 0u);
    EXPECT_EQ(grid.currentRow(), 99u);
}

TEST_F(LogGridTest, ClickingARowMakesItCurrent)
{
    logRows(100);
    grid.verticalScrollBar()->setValue(20);
    QTest::mousePress(grid.viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(60, 2 * grid.rowHeight() + 3));
    EXPECT_EQ(grid.currentRow(), 22u);
    EXPECT_EQ(grid.firstVisibleRow(), 20u);

    // Below the last row there is nothing to pick.
    table.clear();
    appendRows(table, 2);
    grid.reset();
    QTest::mousePress(grid.viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(60, 5 * grid.rowHeight() + 3));
    EXPECT_EQ(grid.currentRow(), 1u);
}

// While readings arrive, a view the user moved back with the wheel or the keys stays where
// they look, each Page Up going a page further; back at the end, the view follows again. The
// newest row is current all the while.
TEST_F(LogGridTest, AViewMovedBackStaysWhileRowsArriveAndFollowsAgainAtTheEnd)
{
    logRows(100);
    QWheelEvent up(QPointF(50, 50), grid.viewport()->mapToGlobal(QPointF(50, 50)), QPoint(),
                   QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(grid.viewport(), &up);
    const std::size_t wheeled = grid.firstVisibleRow();
    logRows(3);
    EXPECT_EQ(grid.firstVisibleRow(), wheeled);
    EXPECT_EQ(grid.currentRow(), 102u);

    const auto page = static_cast<std::size_t>(grid.visibleRowCount());
    press(Qt::Key_PageUp);
    logRows(1);
    press(Qt::Key_PageUp);
    logRows(1);
    EXPECT_EQ(grid.firstVisibleRow(), wheeled - 2 * page);
    EXPECT_EQ(grid.currentRow(), 104u);

    press(Qt::Key_End);
    logRows(2);
    EXPECT_EQ(grid.currentRow(), 106u);
    EXPECT_TRUE(rowOnScreen(106));
    EXPECT_EQ(grid.rowAtLine(grid.visibleRowCount() - 1), 106u);
}

TEST_F(LogGridTest, ViewWaitsForTheScrollBarThumbToBeReleased)
{
    logRows(100);
    QScrollBar *bar = grid.verticalScrollBar();
    // Held at the end while rows arrive: the view catches up on release.
    bar->setSliderDown(true);
    logRows(5);
    EXPECT_EQ(grid.currentRow(), 104u);
    EXPECT_EQ(bar->maximum(), 105 - grid.visibleRowCount());
    EXPECT_FALSE(rowOnScreen(104));
    bar->setSliderDown(false);
    EXPECT_TRUE(rowOnScreen(104));

    // Dragged back and let go there: it stays.
    bar->setSliderDown(true);
    bar->setValue(10);
    logRows(5);
    bar->setSliderDown(false);
    EXPECT_EQ(grid.firstVisibleRow(), 10u);
    EXPECT_EQ(grid.currentRow(), 109u);
}

TEST_F(LogGridTest, CellsShowTheTableTexts)
{
    table.append({std::nullopt, "08:15:00", "", "0L", "M*", "MANU"});
    appendRows(table, 500);
    grid.reset();
    grid.verticalScrollBar()->setValue(0);
    EXPECT_EQ(grid.cellText(0, LogColumn::No), "");
    EXPECT_EQ(grid.cellText(0, LogColumn::Func), "");
    EXPECT_EQ(grid.cellText(0, LogColumn::Unit), "M*");

    grid.verticalScrollBar()->setValue(250);
    for (int line = 0; line < grid.visibleRowCount(); ++line) {
        const std::optional<std::size_t> row = grid.rowAtLine(line);
        ASSERT_EQ(row, 250u + static_cast<std::size_t>(line));
        EXPECT_EQ(grid.cellText(*row, LogColumn::No), QString::number(*table.no(*row)));
        for (LogColumn column : {LogColumn::Time, LogColumn::Func, LogColumn::Value,
                                 LogColumn::Unit, LogColumn::Range})
            EXPECT_EQ(grid.cellText(*row, column).toStdString(), table.text(*row, column));
    }
}

TEST_F(LogGridTest, CurrentRowStaysMarkedWithoutFocus)
{
    QWidget window;
    window.resize(400, 450);
    auto *shown = new LogGrid(&window);
    shown->setTable(&table);
    shown->setGeometry(3, 208, 284, 196);
    auto *edit = new QLineEdit(&window);
    edit->setGeometry(300, 10, 80, 20);
    window.show();
    edit->setFocus();
    appendRows(table, 30);
    shown->rowsAppended();
    ASSERT_FALSE(shown->hasFocus());

    const QImage image = shown->viewport()->grab().toImage();
    const int markedLine = static_cast<int>(*shown->currentRow() - shown->firstVisibleRow());
    const int top = markedLine * shown->rowHeight();
    const QColor mark = shown->palette().color(QPalette::Active, QPalette::Highlight);
    EXPECT_EQ(image.pixelColor(LogGrid::IndicatorWidth + 1, top + 1), mark);
    EXPECT_NE(image.pixelColor(LogGrid::IndicatorWidth + 1, top - shown->rowHeight() + 1), mark);
    // The indicator column points at the marked row only.
    const QColor arrow = shown->palette().color(QPalette::WindowText);
    const int middle = (shown->rowHeight() - 1) / 2;
    EXPECT_EQ(image.pixelColor(4, top + middle), arrow);
    EXPECT_NE(image.pixelColor(4, top - shown->rowHeight() + middle), arrow);
}

TEST_F(LogGridTest, PausedGridKeepsItsViewAndCatchesUpOnResume)
{
    logRows(20);
    grid.suspendFollowing();
    grid.suspendFollowing();
    EXPECT_FALSE(grid.isFollowing());
    logRows(30);
    grid.reset();
    EXPECT_EQ(grid.shownRowCount(), 20u);
    EXPECT_EQ(grid.currentRow(), 19u);

    grid.resumeFollowing();
    EXPECT_EQ(grid.shownRowCount(), 20u);
    grid.resumeFollowing();
    EXPECT_TRUE(grid.isFollowing());
    EXPECT_EQ(grid.shownRowCount(), 50u);
    EXPECT_EQ(grid.currentRow(), 49u);
    EXPECT_TRUE(rowOnScreen(49));

    grid.resumeFollowing();
    EXPECT_TRUE(grid.isFollowing());
}

TEST_F(LogGridTest, PauseGuardResumesWhenTheWorkFails)
{
    logRows(5);
    EXPECT_THROW(
        {
            LogGrid::FollowingPause pause(grid);
            appendRows(table, 10);
            throw std::runtime_error("load failed");
        },
        std::runtime_error);
    EXPECT_TRUE(grid.isFollowing());
    EXPECT_EQ(grid.currentRow(), 14u);
}

TEST_F(LogGridTest, TableClearedBehindAPausedGridIsNotRead)
{
    logRows(40);
    LogGrid::FollowingPause pause(grid);
    table.clear();
    appendRows(table, 3);
    EXPECT_FALSE(grid.rowAtLine(grid.visibleRowCount() - 1));
    EXPECT_FALSE(grid.viewport()->grab().isNull());
    press(Qt::Key_Up);
    EXPECT_LT(*grid.currentRow(), 3u);
}

// Collects what the grid's cells are asked to paint.
class PaintRecorder : public QObject {
public:
    QRegion painted;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent *>(event)->region();
        return false;
    }
};

TEST_F(LogGridTest, AppendedRowRepaintsItsLineAndTheMarkLeavingTheLineBefore)
{
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    logRows(3);
    QCoreApplication::processEvents();
    PaintRecorder recorder;
    grid.viewport()->installEventFilter(&recorder);
    logRows(1);
    QCoreApplication::processEvents();
    const int h = grid.rowHeight();
    const int w = grid.viewport()->width();
    EXPECT_EQ(recorder.painted, QRegion(0, 2 * h, w, 2 * h));

    // Once the grid is full a new row moves the picture up by one line.
    logRows(static_cast<std::size_t>(grid.visibleRowCount()) * 2);
    QCoreApplication::processEvents();
    recorder.painted = QRegion();
    logRows(1);
    QCoreApplication::processEvents();
    EXPECT_LE(recorder.painted.boundingRect().height(), 3 * h);
    grid.viewport()->removeEventFilter(&recorder);
}

TEST_F(LogGridTest, AFollowedLogLooksAsIfDrawnAfresh)
{
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    for (int i = 0; i < 30; ++i) {
        logRows(1);
        QCoreApplication::processEvents();
    }
    const QImage followed = grid.viewport()->grab().toImage();
    grid.viewport()->update();
    QCoreApplication::processEvents();
    EXPECT_EQ(grid.viewport()->grab().toImage(), followed);

    LogGrid fresh;
    fresh.setTable(&table);
    fresh.setGeometry(grid.geometry());
    fresh.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fresh));
    EXPECT_EQ(fresh.viewport()->grab().toImage(), followed);
}

TEST_F(LogGridTest, WhatAFollowedLogShowsIsWhatAFullRepaintDraws)
{
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    QWidget *cells = grid.viewport();
    const QPoint at = cells->mapTo(&grid, QPoint(0, 0));
    // While the grid fills, and once it moves up by a line per row.
    for (int i = 0; i < 2 * grid.visibleRowCount(); ++i) {
        logRows(1);
        QCoreApplication::processEvents();
        const QImage shown = vireo::test::shownOnScreen(grid, QRect(at, cells->size()));
        ASSERT_EQ(shown, cells->grab().toImage().convertToFormat(QImage::Format_RGB32)) << i;
    }
}

TEST_F(LogGridTest, ARepaintOfAnyPartLooksAsAFullRepaint)
{
    logRows(5);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    QWidget *cells = grid.viewport();
    const QPoint at = cells->mapTo(&grid, QPoint(0, 0));
    const int h = grid.rowHeight();
    const int w = cells->width();
    // Across a column line inside one line, across a line's edge, two lines apart, and only
    // below the last row.
    const QRegion parts[] = {QRegion(40, h + 3, 30, 5), QRegion(0, 2 * h - 4, w, 8),
                             QRegion(0, 0, w, h) + QRegion(0, 3 * h, w, h),
                             QRegion(0, 5 * h, w, 2 * h)};
    for (const QRegion &part : parts) {
        SCOPED_TRACE(part.boundingRect().y());
        // Whatever was on screen before: the part shows what a full paint draws there.
        grid.viewport()->update();
        QCoreApplication::processEvents();
        grid.verticalScrollBar()->setValue(0);
        cells->update(part);
        QCoreApplication::processEvents();
        const QImage shown = vireo::test::shownOnScreen(grid, QRect(at, cells->size()));
        EXPECT_EQ(shown, cells->grab().toImage().convertToFormat(QImage::Format_RGB32));
    }
}

TEST_F(LogGridTest, ScrollBarThumbRepaintsWhereItMovedAndLeavesNoTrace)
{
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    // Enough rows for a thumb well under half the bar that still shrinks with every row, to
    // its smallest within the next forty.
    logRows(20);
    QCoreApplication::processEvents();
    QScrollBar *bar = grid.verticalScrollBar();
    PaintRecorder recorder;
    bar->installEventFilter(&recorder);
    // The bar paints all of itself: what lies beneath it is not painted first.
    PaintRecorder beneath;
    for (QWidget *w = bar->parentWidget(); w != nullptr; w = w->parentWidget())
        w->installEventFilter(&beneath);
    QRegion paintedWhileMoving;
    for (int i = 0; i < 40; ++i) {
        recorder.painted = QRegion();
        logRows(1);
        QCoreApplication::processEvents();
        EXPECT_LT(recorder.painted.boundingRect().height(), bar->height() / 2) << i;
        paintedWhileMoving += recorder.painted;
    }
    EXPECT_FALSE(paintedWhileMoving.isEmpty());
    // Once the thumb is as small as it gets, following the end changes nothing of the bar.
    logRows(200);
    QCoreApplication::processEvents();
    recorder.painted = QRegion();
    for (int i = 0; i < 20; ++i) {
        logRows(1);
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(recorder.painted.isEmpty()) << recorder.painted.boundingRect().height();
    EXPECT_TRUE(beneath.painted.isEmpty()) << beneath.painted.boundingRect().height();
    for (QWidget *w = bar->parentWidget(); w != nullptr; w = w->parentWidget())
        w->removeEventFilter(&beneath);
    bar->removeEventFilter(&recorder);
    // The thumb goes to the start and back to the end in one jump, and follows from there.
    QTest::keyClick(bar, Qt::Key_Home);
    QCoreApplication::processEvents();
    ASSERT_EQ(bar->value(), 0);
    QTest::keyClick(bar, Qt::Key_End);
    logRows(1);
    QCoreApplication::processEvents();
    ASSERT_EQ(bar->value(), bar->maximum());
    // What the window shows of the bar is what a full repaint of it draws.
    const QPoint at = bar->mapTo(&grid, QPoint(0, 0));
    const QImage shown = vireo::test::shownOnScreen(grid, QRect(at, bar->size()));
    EXPECT_EQ(shown, bar->grab().toImage().convertToFormat(QImage::Format_RGB32));
}

TEST_F(LogGridTest, TextsTooWideForTheirColumnShowAsNumbersNotMistakenOrWordsWhole)
{
    table.append({99999, "12:00:01", "DC", "1.234", "V", "AUTO"});
    table.append({1000000, "12:00:02", "DC", "-1234.5678901", "V", "AUTO"});
    grid.rowsAppended();
    EXPECT_EQ(grid.shownText(0, LogColumn::No), "99999");
    EXPECT_EQ(grid.shownText(0, LogColumn::Value), "1.234");
    for (LogColumn c : {LogColumn::No, LogColumn::Value}) {
        const QString shown = grid.shownText(1, c);
        EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
        EXPECT_TRUE(grid.cellText(1, c).startsWith(shown.chopped(1))) << shown.toStdString();
    }
    // A centred word as wide as its cell is not cut: "MANU" shows whole.
    table.append({3, "12:00:03", "DC", "1.234", "V", "MANU"});
    grid.rowsAppended();
    EXPECT_EQ(grid.shownText(2, LogColumn::Range), "MANU");
    grid.setCurrentRow(0);
    // How many pixel columns of the area carry ink.
    const auto inkWidth = [](const QImage &image, const QRect &area) {
        int from = area.right() + 1, to = area.left() - 1;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                if (qGray(image.pixel(x, y)) < 224) {
                    from = std::min(from, x);
                    to = std::max(to, x);
                }
            }
        }
        return to - from + 1;
    };
    int left = LogGrid::IndicatorWidth;
    for (LogColumn c :
         {LogColumn::No, LogColumn::Time, LogColumn::Func, LogColumn::Value, LogColumn::Unit})
        left += grid.columnWidth(c);
    const QRect cell(left, 2 * grid.rowHeight(), grid.columnWidth(LogColumn::Range) - 1,
                     grid.rowHeight() - 1);
    QImage free(80, grid.rowHeight(), QImage::Format_RGB32);
    free.fill(Qt::white);
    QPainter painter(&free);
    painter.setFont(grid.columnFont(LogColumn::Range));
    painter.drawText(free.rect(), Qt::AlignCenter, QStringLiteral("MANU"));
    painter.end();
    // As wide as the word drawn free, give or take where it falls between pixels.
    EXPECT_GE(inkWidth(grid.viewport()->grab().toImage(), cell), inkWidth(free, free.rect()));
}

TEST_F(LogGridTest, TenMillionRowsFollowAndScrollLikeAFew)
{
    constexpr std::size_t Rows = 10'000'000;
    appendRows(table, Rows);
    grid.reset();
    logRows(1);
    EXPECT_EQ(grid.currentRow(), Rows);
    EXPECT_TRUE(rowOnScreen(Rows));
    EXPECT_EQ(grid.cellText(Rows, LogColumn::No), QString::number(Rows + 1));
    EXPECT_EQ(grid.verticalScrollBar()->maximum(),
              static_cast<int>(Rows + 1) - grid.visibleRowCount());

    grid.verticalScrollBar()->setValue(5'000'000);
    EXPECT_EQ(grid.rowAtLine(0), 5'000'000u);
    EXPECT_EQ(grid.cellText(5'000'000, LogColumn::No), "5000001");

    press(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(grid.rowAtLine(0), 0u);
    press(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid.currentRow(), Rows);
    EXPECT_TRUE(rowOnScreen(Rows));
    EXPECT_FALSE(grid.viewport()->grab().isNull());
}

} // namespace
} // namespace vireo
