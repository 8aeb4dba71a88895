#pragma once

#include "app/paint/TextDrawer.h"
#include "core/LogTable.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QSize>
#include <QString>

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

class QHeaderView;
class QPainter;
class QStandardItemModel;

namespace vireo {

// The read-only grid of the reading log. A log may grow to many millions of rows while the
// grid follows every new one, so nothing here walks the rows: the scroll bar counts rows, not
// pixels, and a repaint draws only the rows that fit. Appending a row and repainting therefore
// costs the same at ten million rows as at ten.
//
// Rows appended to the table are shown once the owner calls rowsAppended() (or reset() after a
// clear or a bulk load). The owner may pause the grid around work that walks or fills the table;
// while paused the grid keeps showing what it showed before and catches up on resume.
class LogGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    // Width of the row-indicator column left of the cells.
    static constexpr int IndicatorWidth = 11;
    // The box around the current row's mark in that column.
    static constexpr QSize MarkSize{8, 9};

    explicit LogGrid(QWidget *parent = nullptr);

    // The table shown; null shows an empty grid. The grid only reads it.
    void setTable(const LogTable *table);

    // Rows were appended: the last row becomes current and is scrolled into view.
    void rowsAppended() { followLastRow(); }
    // The table was cleared or filled in bulk: show it afresh, the last row current.
    void reset();

    // Pauses nest; the grid catches up with the table when the outermost pause ends.
    void suspendFollowing();
    void resumeFollowing();
    bool isFollowing() const { return m_pauseDepth == 0; }

    // Pauses the grid for the lifetime of the guard, also when the work inside throws.
    class FollowingPause {
    public:
        explicit FollowingPause(LogGrid &grid) : m_grid(grid) { m_grid.suspendFollowing(); }
        ~FollowingPause() { m_grid.resumeFollowing(); }
        FollowingPause(const FollowingPause &) = delete;
        FollowingPause &operator=(const FollowingPause &) = delete;

    private:
        LogGrid &m_grid;
    };

    std::optional<std::size_t> currentRow() const { return m_current; }
    // Makes a row current and scrolls it into view; rows the grid does not show are ignored.
    void setCurrentRow(std::size_t row);
    std::size_t firstVisibleRow() const;
    // Rows that fit wholly between the title row and the bottom edge.
    int visibleRowCount() const;
    // Rows the grid shows: the table's rows as of the last refresh.
    std::size_t shownRowCount() const { return m_shownRows; }
    // The table row drawn at a line of the grid (0 = just below the titles), if any.
    std::optional<std::size_t> rowAtLine(int line) const;
    int rowHeight() const { return m_rowHeight; }

    QHeaderView *titleRow() const { return m_titles; }
    QString title(LogColumn column) const;
    int columnWidth(LogColumn column) const;
    Qt::Alignment columnAlignment(LogColumn column) const;
    QFont columnFont(LogColumn column) const;
    // The text of a cell for a table row.
    QString cellText(std::size_t row, LogColumn column) const;
    // What the cell draws of that text in its column's width.
    QString shownText(std::size_t row, LogColumn column) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void followLastRow();
    void updateRow(std::optional<std::size_t> row);
    void scrollTo(std::size_t row);
    bool onScreen(std::size_t row) const;
    void updateVerticalRange();
    void updateGeometries();
    // Rows that may be drawn: a table cleared behind a paused grid has fewer than it shows.
    std::size_t drawableRows() const;
    // The current row's mark, a triangle in the row-indicator column with its top at `top`.
    static void drawMark(QPainter &painter, int top);
    // The mark filled once in `colour` at a scale, laid over the column at each paint: a
    // polygon costs the painter far more than its few pixels.
    const QImage &markPicture(const QColor &colour, qreal ratio);

    const LogTable *m_table = nullptr;
    QStandardItemModel *m_titleModel;
    QHeaderView *m_titles;
    QWidget *m_corner;
    std::array<QFont, LogTable::ColumnCount> m_fonts;
    // Each column's texts as shaped for the paints before, and measured: what is kept is no
    // state of the grid.
    mutable std::vector<TextDrawer> m_texts;
    int m_rowHeight = 0;
    std::size_t m_shownRows = 0;
    std::optional<std::size_t> m_current;
    int m_pauseDepth = 0;
    QImage m_mark;
    QColor m_markColour;
    // The view shows the end of the log, so a new row scrolls it along; a view the user moved
    // back stays where they look until they come back to the end.
    bool m_followsEnd = true;
};

} // namespace vireo
