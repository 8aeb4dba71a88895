#include "app/log/LogGrid.h"

#include "app/log/DisplayText.h"
#include "app/log/RowScrollBar.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStandardItemModel>
#include <QStyleOptionHeader>
#include <QVarLengthArray>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace vireo {

namespace {

constexpr std::array<int, LogTable::ColumnCount> ColumnWidths{39, 53, 37, 43, 36, 36};
constexpr std::array<Qt::Alignment::Int, LogTable::ColumnCount> ColumnAlignments{
    Qt::AlignLeft,  Qt::AlignHCenter, Qt::AlignHCenter,
    Qt::AlignRight, Qt::AlignRight,   Qt::AlignHCenter};
// Space between a cell's text and its edges.
constexpr int TextMargin = 2;

std::size_t index(LogColumn column)
{
    return static_cast<std::size_t>(column);
}

QFont pixelFont(const char *family, int pixels)
{
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixels);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    return font;
}

// The blank title cell above the row-indicator column.
class TitleCorner : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        QStyleOptionHeader option;
        option.initFrom(this);
        option.rect = rect();
        option.position = QStyleOptionHeader::Beginning;
        style()->drawControl(QStyle::CE_Header, &option, &painter, this);
    }
};

} // namespace

LogGrid::LogGrid(QWidget *parent)
    : QAbstractScrollArea(parent), m_titleModel(new QStandardItemModel(0, 0, this)),
      m_titles(new QHeaderView(Qt::Horizontal, this)), m_corner(new TitleCorner(this))
{
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBar(new RowScrollBar(Qt::Vertical, this));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    const QFont cellFont = pixelFont("Arial", 12);
    const QFont unitFont = pixelFont("VORDA-A2", 12);
    const QFont titleFont = pixelFont("MS Sans Serif", 11);
    m_fonts.fill(cellFont);
    m_fonts[index(LogColumn::Unit)] = unitFont;
    for (const QFont &font : m_fonts)
        m_texts.emplace_back(font);
    // The row line takes the bottom pixel of the padding below the text.
    m_rowHeight =
        std::max(QFontMetrics(cellFont).height(), QFontMetrics(unitFont).height()) + 2 * TextMargin;

    QStringList titles;
    for (std::string_view name : LogTable::ColumnNames)
        titles << QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
    m_titleModel->setColumnCount(static_cast<int>(LogTable::ColumnCount));
    m_titleModel->setHorizontalHeaderLabels(titles);
    m_titles->setModel(m_titleModel);
    m_titles->setFont(titleFont);
    m_titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_titles->setSectionsClickable(false);
    m_titles->setSectionsMovable(false);
    m_titles->setHighlightSections(false);
    m_titles->setStretchLastSection(false);
    m_titles->setMinimumSectionSize(TextMargin * 2 + 1);
    m_titles->setSectionResizeMode(QHeaderView::Interactive);
    for (std::size_t c = 0; c < ColumnWidths.size(); ++c)
        m_titles->resizeSection(static_cast<int>(c), ColumnWidths[c]);
    m_titles->setFixedHeight(QFontMetrics(titleFont).height() + 2 * TextMargin);
    setViewportMargins(0, m_titles->height(), 0, 0);

    connect(m_titles, &QHeaderView::sectionResized, this, [this] {
        updateGeometries();
        viewport()->update();
    });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int offset) {
        m_titles->setOffset(offset);
        viewport()->update();
    });
    // A range that grows under the view says nothing: only a move of the view tells whether
    // the user looks at the end.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int value) { m_followsEnd = value >= verticalScrollBar()->maximum(); });
    connect(verticalScrollBar(), &QScrollBar::sliderReleased, this, [this] {
        if (m_followsEnd && m_current)
            scrollTo(*m_current);
    });
    updateGeometries();
}

void LogGrid::setTable(const LogTable *table)
{
    m_table = table;
    reset();
}

void LogGrid::reset()
{
    m_followsEnd = true;
    followLastRow();
    viewport()->update();
}

void LogGrid::suspendFollowing()
{
    ++m_pauseDepth;
}

void LogGrid::resumeFollowing()
{
    if (m_pauseDepth == 0)
        return;
    // The table may have been emptied and filled again behind the pause: show it afresh.
    if (--m_pauseDepth == 0)
        reset();
}

void LogGrid::followLastRow()
{
    if (!isFollowing())
        return;
    const std::size_t shownBefore = m_shownRows;
    const std::optional<std::size_t> currentBefore = m_current;
    m_shownRows = m_table ? m_table->rowCount() : 0;
    m_current.reset();
    if (m_shownRows > 0)
        m_current = m_shownRows - 1;
    {
        const RowScrollBar::Hold hold(verticalScrollBar());
        updateVerticalRange();
        // Moving the view under a thumb the user is dragging would make both fight over it:
        // the view catches up on release.
        if (m_followsEnd && m_current && !verticalScrollBar()->isSliderDown())
            scrollTo(*m_current);
    }
    if (m_shownRows < shownBefore) {
        viewport()->update();
        return;
    }
    // Appended rows change only their own lines and the mark leaving the row before.
    updateRow(currentBefore);
    const std::size_t first = firstVisibleRow();
    const std::size_t last = first + static_cast<std::size_t>(visibleRowCount());
    for (std::size_t row = std::max(shownBefore, first); row < std::min(m_shownRows, last + 1);
         ++row)
        updateRow(row);
}

void LogGrid::updateRow(std::optional<std::size_t> row)
{
    const std::size_t first = firstVisibleRow();
    if (!row || *row < first)
        return;
    const std::size_t line = *row - first;
    if (line > static_cast<std::size_t>(visibleRowCount()))
        return;
    viewport()->update(0, static_cast<int>(line) * m_rowHeight, viewport()->width(), m_rowHeight);
}

void LogGrid::scrollContentsBy(int dx, int dy)
{
    // The vertical bar counts rows. A short step moves what is drawn and paints only the lines
    // that come into view.
    if (dx == 0 && std::abs(dy) < visibleRowCount())
        viewport()->scroll(0, dy * m_rowHeight);
    else
        viewport()->update();
}

std::size_t LogGrid::drawableRows() const
{
    return m_table ? std::min(m_shownRows, m_table->rowCount()) : 0;
}

void LogGrid::setCurrentRow(std::size_t row)
{
    if (row >= drawableRows())
        return;
    const std::optional<std::size_t> before = m_current;
    m_current = row;
    scrollTo(row);
    updateRow(before);
    updateRow(row);
}

std::size_t LogGrid::firstVisibleRow() const
{
    return static_cast<std::size_t>(verticalScrollBar()->value());
}

int LogGrid::visibleRowCount() const
{
    return std::max(1, viewport()->height() / m_rowHeight);
}

std::optional<std::size_t> LogGrid::rowAtLine(int line) const
{
    if (line < 0)
        return std::nullopt;
    const std::size_t row = firstVisibleRow() + static_cast<std::size_t>(line);
    if (row >= drawableRows())
        return std::nullopt;
    return row;
}

bool LogGrid::onScreen(std::size_t row) const
{
    const std::size_t first = firstVisibleRow();
    return row >= first && row - first < static_cast<std::size_t>(visibleRowCount());
}

void LogGrid::scrollTo(std::size_t row)
{
    const std::size_t first = firstVisibleRow();
    const auto visible = static_cast<std::size_t>(visibleRowCount());
    if (row < first)
        verticalScrollBar()->setValue(static_cast<int>(row));
    else if (row >= first + visible)
        verticalScrollBar()->setValue(static_cast<int>(row + 1 - visible));
}

void LogGrid::updateVerticalRange()
{
    const int visible = visibleRowCount();
    const std::size_t lastFirst = m_shownRows > static_cast<std::size_t>(visible)
                                      ? m_shownRows - static_cast<std::size_t>(visible)
                                      : 0;
    QScrollBar *bar = verticalScrollBar();
    bar->setSingleStep(1);
    bar->setPageStep(visible);
    bar->setRange(0, static_cast<int>(std::min<std::size_t>(lastFirst, INT_MAX)));
}

void LogGrid::updateGeometries()
{
    const QRect view = viewport()->geometry();
    const int titleHeight = m_titles->height();
    const int cellsWidth = std::max(0, view.width() - IndicatorWidth);
    m_corner->setGeometry(view.left(), view.top() - titleHeight, IndicatorWidth, titleHeight);
    m_titles->setGeometry(view.left() + IndicatorWidth, view.top() - titleHeight, cellsWidth,
                          titleHeight);
    QScrollBar *bar = horizontalScrollBar();
    bar->setPageStep(std::max(1, cellsWidth));
    bar->setSingleStep(m_rowHeight);
    bar->setRange(0, std::max(0, m_titles->length() - cellsWidth));
    updateVerticalRange();
}

void LogGrid::resizeEvent(QResizeEvent *)
{
    updateGeometries();
    if (m_followsEnd && m_current && !verticalScrollBar()->isSliderDown())
        scrollTo(*m_current);
}

QString LogGrid::title(LogColumn column) const
{
    return m_titleModel->headerData(static_cast<int>(index(column)), Qt::Horizontal).toString();
}

int LogGrid::columnWidth(LogColumn column) const
{
    return m_titles->sectionSize(static_cast<int>(index(column)));
}

Qt::Alignment LogGrid::columnAlignment(LogColumn column) const
{
    return Qt::Alignment(ColumnAlignments[index(column)]);
}

QFont LogGrid::columnFont(LogColumn column) const
{
    return m_fonts[index(column)];
}

QString LogGrid::cellText(std::size_t row, LogColumn column) const
{
    if (!m_table || row >= m_table->rowCount())
        return {};
    if (column == LogColumn::No) {
        const std::optional<std::int32_t> no = m_table->no(row);
        return no ? QString::number(*no) : QString();
    }
    return displayString(m_table->text(row, column));
}

QString LogGrid::shownText(std::size_t row, LogColumn column) const
{
    QString text = cellText(row, column);
    // A cut-off number would read as another number: one that does not fit ends in "…".
    // Words stay cut at the column line, where a reader still knows them.
    if (column != LogColumn::No && column != LogColumn::Value)
        return text;
    const int room = columnWidth(column) - 1 - 2 * TextMargin;
    if (m_texts[index(column)].advance(viewport(), text) > room)
        text = QFontMetrics(m_fonts[index(column)]).elidedText(text, Qt::ElideRight, room);
    return text;
}

void LogGrid::paintEvent(QPaintEvent *event)
{
    const std::size_t first = firstVisibleRow();
    const std::size_t rows = drawableRows();
    if (first >= rows)
        return;
    const int lines = static_cast<int>(std::min<std::size_t>(
        static_cast<std::size_t>(viewport()->height() / m_rowHeight + 1), rows - first));
    const int bottom = lines * m_rowHeight;
    const int viewWidth = viewport()->width();
    const int cellsRight = std::min(
        viewWidth,
        IndicatorWidth +
            m_titles->sectionViewportPosition(static_cast<int>(LogTable::ColumnCount - 1)) +
            m_titles->sectionSize(static_cast<int>(LogTable::ColumnCount - 1)));
    const QColor lineColour = palette().color(QPalette::Mid);
    // The current row stays marked in the active colours even while the grid has no focus.
    const QColor markColour = palette().color(QPalette::Active, QPalette::Highlight);
    const QColor markTextColour = palette().color(QPalette::Active, QPalette::HighlightedText);
    const QColor textColour = palette().color(QPalette::Text);
    std::optional<int> markedLine;
    if (m_current && *m_current >= first && *m_current - first < static_cast<std::size_t>(lines))
        markedLine = static_cast<int>(*m_current - first);

    // Only the lines the paint reaches are drawn, and of the line beyond each side the texts
    // whose glyphs reach over its edge into the paint.
    const QRegion &dirty = event->region();
    const int firstDirtyLine = dirty.boundingRect().top() / m_rowHeight;
    const int lastDirtyLine = dirty.boundingRect().bottom() / m_rowHeight;
    const int fromLine = std::max(0, firstDirtyLine - 1);
    const int toLine = std::min(lines, lastDirtyLine + 2);

    QPainter painter(viewport());

    painter.fillRect(0, 0, IndicatorWidth, bottom, palette().button());
    // The grid lines are straight and one pixel wide: filled as rectangles, which the painter
    // fills a row at a time, where it strokes a line pixel by pixel.
    QVarLengthArray<QRect, 32> gridLines;
    auto drawGridLines = [&] {
        for (const QRect &gridLine : gridLines)
            painter.fillRect(gridLine, lineColour);
        gridLines.clear();
    };
    const int dirtyLinesEnd = std::min(lines, lastDirtyLine + 1);
    for (int line = firstDirtyLine; line < dirtyLinesEnd; ++line)
        gridLines.append(QRect(0, line * m_rowHeight + m_rowHeight - 1, cellsRight, 1));
    // The column lines too are drawn down the lines the paint reaches only.
    const int columnTop = firstDirtyLine * m_rowHeight;
    const int columnHeight = (dirtyLinesEnd - firstDirtyLine) * m_rowHeight;
    auto addColumnLine = [&](int x) {
        if (columnHeight > 0)
            gridLines.append(QRect(x, columnTop, 1, columnHeight));
    };
    addColumnLine(IndicatorWidth - 1);
    drawGridLines();
    if (markedLine) {
        const int top = *markedLine * m_rowHeight + (m_rowHeight - 1) / 2 - MarkSize.height() / 2;
        const QColor colour = palette().color(QPalette::WindowText);
        const qreal ratio = painter.device()->devicePixelRatio();
        // In whole pixels the kept picture lies exactly where the triangle would be filled.
        if (ratio == std::floor(ratio)) {
            painter.drawImage(QPoint(0, top), markPicture(colour, ratio));
        } else {
            painter.setPen(Qt::NoPen);
            painter.setBrush(colour);
            drawMark(painter, top);
            painter.setBrush(Qt::NoBrush);
        }
    }

    painter.setClipRect(IndicatorWidth, 0, viewWidth - IndicatorWidth, bottom);
    if (markedLine)
        painter.fillRect(IndicatorWidth, *markedLine * m_rowHeight, cellsRight - IndicatorWidth,
                         m_rowHeight - 1, markColour);
    for (std::size_t c = 0; c < LogTable::ColumnCount; ++c) {
        const int left = IndicatorWidth + m_titles->sectionViewportPosition(static_cast<int>(c));
        const int width = m_titles->sectionSize(static_cast<int>(c));
        if (left + width <= IndicatorWidth || left >= viewWidth)
            continue;
        const auto column = static_cast<LogColumn>(c);
        const int flags = ColumnAlignments[c] | Qt::AlignVCenter | Qt::TextSingleLine;
        // Text wider than its column is cut at the column line, as the grid has no wrapping.
        painter.save();
        painter.setClipRect(QRect(left, 0, width - 1, bottom), Qt::IntersectClip);
        // A centred text is not held off the column lines: "MANU" needs all of its cell.
        const int margin = (ColumnAlignments[c] & Qt::AlignHCenter) != 0 ? 0 : TextMargin;
        for (int line = fromLine; line < toLine; ++line) {
            const QRect cell(left + margin, line * m_rowHeight, width - 1 - 2 * margin,
                             m_rowHeight - 1);
            const QString text = shownText(first + static_cast<std::size_t>(line), column);
            if ((line < firstDirtyLine || line > lastDirtyLine) &&
                !dirty.intersects(m_texts[c].reach(painter, cell, flags, text)))
                continue;
            painter.setPen(line == markedLine ? markTextColour : textColour);
            m_texts[c].draw(painter, cell, flags, text);
        }
        painter.restore();
        // No text reaches a column line, and the mark is filled beneath them: they are drawn
        // once every column's texts are.
        addColumnLine(left + width - 1);
    }
    drawGridLines();
}

void LogGrid::drawMark(QPainter &painter, int top)
{
    const QPoint arrow[] = {{3, top}, {3, top + MarkSize.height() - 1}, {7, top + 4}};
    painter.drawPolygon(arrow, 3);
}

const QImage &LogGrid::markPicture(const QColor &colour, qreal ratio)
{
    if (m_mark.isNull() || m_markColour != colour || m_mark.devicePixelRatio() != ratio) {
        m_mark = QImage(MarkSize * ratio, QImage::Format_ARGB32_Premultiplied);
        m_mark.setDevicePixelRatio(ratio);
        m_mark.fill(Qt::transparent);
        QPainter painter(&m_mark);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        drawMark(painter, 0);
        m_markColour = colour;
    }
    return m_mark;
}

void LogGrid::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    if (const std::optional<std::size_t> row =
            rowAtLine(event->position().toPoint().y() / m_rowHeight))
        setCurrentRow(*row);
    event->accept();
}

void LogGrid::keyPressEvent(QKeyEvent *event)
{
    const std::size_t rows = drawableRows();
    if (rows == 0) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const std::size_t last = rows - 1;
    const auto page = static_cast<std::size_t>(visibleRowCount());
    // The newest row becomes current wherever the user looks: keys then walk on from the rows
    // on screen, so that each Page Up goes a page further back while readings arrive.
    std::size_t current = std::min(m_current.value_or(firstVisibleRow()), last);
    if (!onScreen(current)) {
        const bool back = event->key() == Qt::Key_Up || event->key() == Qt::Key_PageUp;
        current = std::min(back ? firstVisibleRow() : firstVisibleRow() + page - 1, last);
    }
    std::size_t target = current;
    switch (event->key()) {
    case Qt::Key_Up:
        target = current > 0 ? current - 1 : 0;
        break;
    case Qt::Key_Down:
        target = std::min(current + 1, last);
        break;
    case Qt::Key_PageUp:
        target = current - std::min(current, page);
        break;
    case Qt::Key_PageDown:
        target = std::min(current + page, last);
        break;
    case Qt::Key_Home:
        target = 0;
        break;
    case Qt::Key_End:
        target = last;
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    setCurrentRow(target);
    event->accept();
}

} // namespace vireo
