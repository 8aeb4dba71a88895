#include "app/report/LogReport.h"

#include "app/log/DisplayText.h"
#include "core/LogTable.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageRanges>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>
#include <vector>

namespace vireo {

namespace {

// Band layout in millimetres; lefts from the left margin, tops from the top of the band.
constexpr double MarginMm = 10.0;
constexpr double HeaderBandMm = 13.23;
constexpr double ColumnBandMm = 13.23;
constexpr double FooterBandMm = 13.23;
constexpr double DetailBandMm = 6.61;

constexpr double TitleTopMm = 2.12;
constexpr double ColumnTitleTopMm = 4.23;
constexpr double DetailTopMm = 2.12;
constexpr double FooterLeftMm = 8.47;
constexpr double FooterTopMm = 4.23;

constexpr double FontPoints = 10.0;

struct ColumnTitle {
    const char *text;
    double leftMm;
};

constexpr std::array<ColumnTitle, 6> ColumnTitles{{{"No", 8.47},
                                                   {"Time", 33.87},
                                                   {"DC/AC", 64.29},
                                                   {"Value", 99.48},
                                                   {"Unit", 132.29},
                                                   {"AUTO", 162.98}}};

// Value and Unit print in the LCD annunciator font, whose punctuation carries the unit
// symbols ("*" is the ohm sign), so a stored unit text prints as the meter showed it.
struct DetailField {
    LogColumn column;
    double leftMm;
    bool lcdFont;
};

constexpr std::array<DetailField, 6> DetailFields{{{LogColumn::No, 8.47, false},
                                                   {LogColumn::Time, 33.87, false},
                                                   {LogColumn::Func, 65.62, false},
                                                   {LogColumn::Value, 99.48, true},
                                                   {LogColumn::Unit, 131.23, true},
                                                   {LogColumn::Range, 162.98, false}}};

QString fieldText(const LogTable &table, std::size_t row, LogColumn column)
{
    if (column == LogColumn::No) {
        const auto no = table.no(row);
        return no ? QString::number(*no) : QString();
    }
    return displayString(table.text(row, column));
}

// Pages in the order they go to the device: the chosen page ranges, repeated for the copies
// a printer cannot make by itself (a PDF file, for one).
std::vector<int> printOrder(const QPagedPaintDevice &device, int pages)
{
    const auto *printer = dynamic_cast<const QPrinter *>(&device);
    const bool ranged = !printer || printer->printRange() == QPrinter::PageRange;
    const QPageRanges ranges = device.pageRanges();
    std::vector<int> selected;
    for (int page = 1; page <= pages; ++page) {
        if (!ranged || ranges.isEmpty() || ranges.contains(page))
            selected.push_back(page);
    }

    const bool ownCopies = printer && !printer->supportsMultipleCopies();
    const int copies = ownCopies ? std::max(1, printer->copyCount()) : 1;
    const bool collate = !ownCopies || printer->collateCopies();
    std::vector<int> order;
    order.reserve(selected.size() * static_cast<std::size_t>(copies));
    if (collate) {
        for (int copy = 0; copy < copies; ++copy)
            order.insert(order.end(), selected.begin(), selected.end());
    } else {
        for (int page : selected)
            order.insert(order.end(), static_cast<std::size_t>(copies), page);
    }
    return order;
}

// A report font with its ascent on the device, so texts can be placed by their top edge.
struct Face {
    Face(const char *family, const QPaintDevice &device)
        : font(QString::fromLatin1(family)), ascent(0)
    {
        font.setPointSizeF(FontPoints);
        ascent = QFontMetricsF(font, &device).ascent();
    }

    QFont font;
    double ascent;
};

// Paints one page's bands; positions in millimetres, converted to device units here.
class PagePainter {
public:
    PagePainter(QPainter &painter, const QPaintDevice &device, const QSizeF &bandAreaMm)
        : m_painter(painter), m_pxPerMmX(device.logicalDpiX() / 25.4),
          m_pxPerMmY(device.logicalDpiY() / 25.4), m_area(bandAreaMm), m_lcd("VORDA-A2", device),
          m_text("Arial", device),
          m_titleWidthMm(QFontMetricsF(m_lcd.font, &device).horizontalAdvance(Title) / m_pxPerMmX)
    {
        m_painter.setPen(Qt::black);
    }

    void paint(const LogTable &table, std::size_t firstRow, std::size_t endRow)
    {
        // A page without rows carries no band at all: an empty log prints a blank page.
        if (firstRow == endRow)
            return;

        // The title's box is as wide as its text, centred across the band.
        drawText(m_lcd, (m_area.width() - m_titleWidthMm) / 2, TitleTopMm, Title);

        for (const ColumnTitle &heading : ColumnTitles)
            drawText(m_text, heading.leftMm, HeaderBandMm + ColumnTitleTopMm,
                     QString::fromLatin1(heading.text));

        double bandTop = HeaderBandMm + ColumnBandMm;
        for (std::size_t row = firstRow; row < endRow; ++row, bandTop += DetailBandMm) {
            for (const DetailField &field : DetailFields)
                drawText(field.lcdFont ? m_lcd : m_text, field.leftMm, bandTop + DetailTopMm,
                         fieldText(table, row, field.column));
        }

        drawText(m_lcd, FooterLeftMm, m_area.height() - FooterBandMm + FooterTopMm,
                 QStringLiteral("The Data Print Foot"));
    }

private:
    static inline const QString Title = QStringLiteral("Test Data");

    // Draws a text whose box has its top left corner at the given point.
    void drawText(const Face &face, double leftMm, double topMm, const QString &text)
    {
        m_painter.setFont(face.font);
        m_painter.drawText(QPointF(leftMm * m_pxPerMmX, topMm * m_pxPerMmY + face.ascent), text);
    }

    QPainter &m_painter;
    double m_pxPerMmX;
    double m_pxPerMmY;
    QSizeF m_area;
    Face m_lcd;
    Face m_text;
    double m_titleWidthMm;
};

} // namespace

LogReport::LogReport(const LogTable &table) : m_table(table), m_rows(table.rowCount()) {}

QPageLayout LogReport::defaultPageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm), QPageLayout::Millimeter);
}

void LogReport::setUpPrinter(QPrinter &printer)
{
    printer.setPageLayout(defaultPageLayout());
    printer.setCopyCount(1);
    printer.setPrintRange(QPrinter::AllPages);
    printer.setPageRanges(QPageRanges());
    printer.setDuplex(QPrinter::DuplexNone);
}

int LogReport::rowsPerPage(const QPageLayout &layout)
{
    const double bandsMm = layout.paintRect(QPageLayout::Millimeter).height() - HeaderBandMm -
                           ColumnBandMm - FooterBandMm;
    return std::max(1, static_cast<int>(std::floor(bandsMm / DetailBandMm)));
}

int LogReport::pageCount(std::size_t rows, const QPageLayout &layout)
{
    const auto perPage = static_cast<std::size_t>(rowsPerPage(layout));
    return static_cast<int>(std::max<std::size_t>(1, (rows + perPage - 1) / perPage));
}

bool LogReport::paint(QPagedPaintDevice *device, const PageProgress &progress) const
{
    // Rows can only be appended, but a log cleared meanwhile must not be read past its end.
    const std::size_t rows = std::min(m_rows, m_table.rowCount());
    const QPageLayout layout = device->pageLayout();
    const auto perPage = static_cast<std::size_t>(rowsPerPage(layout));
    const std::vector<int> order = printOrder(*device, pageCount(rows, layout));

    QPainter painter;
    if (!painter.begin(device))
        return false;
    PagePainter pages(painter, *device, layout.paintRect(QPageLayout::Millimeter).size());
    const int total = static_cast<int>(order.size());
    for (int sent = 0; sent < total; ++sent) {
        if (sent > 0 && !device->newPage())
            return false;
        const std::size_t firstRow = static_cast<std::size_t>(order[sent] - 1) * perPage;
        pages.paint(m_table, firstRow, std::min(rows, firstRow + perPage));
        if (progress && !progress(sent + 1, total)) {
            // A printer drops the job; a file keeps the pages sent so far.
            if (auto *printer = dynamic_cast<QPrinter *>(device))
                printer->abort();
            if (painter.isActive())
                painter.end();
            return false;
        }
    }
    return painter.end();
}

void LogReport::paintPage(QPainter &painter, const QPageLayout &layout, int page) const
{
    const std::size_t rows = std::min(m_rows, m_table.rowCount());
    const auto perPage = static_cast<std::size_t>(rowsPerPage(layout));
    const std::size_t firstRow = static_cast<std::size_t>(std::max(page, 1) - 1) * perPage;
    if (firstRow >= rows)
        return;
    const QPaintDevice &device = *painter.device();
    const QRectF bandArea = layout.paintRect(QPageLayout::Millimeter);
    painter.save();
    painter.translate(bandArea.left() * device.logicalDpiX() / 25.4,
                      bandArea.top() * device.logicalDpiY() / 25.4);
    PagePainter(painter, device, bandArea.size())
        .paint(m_table, firstRow, std::min(rows, firstRow + perPage));
    painter.restore();
}

} // namespace vireo
