#pragma once

#include <QPageLayout>

#include <cstddef>
#include <functional>

class QPagedPaintDevice;
class QPainter;
class QPrinter;
class QWidget;

namespace vireo {

class LogTable;

// The printed report of the reading log: on every page a header, the column titles, one
// detail band per row and a footer at the foot of the page. Positions are kept in
// millimetres and converted for whatever device is painted on, so the same code serves the
// preview, a printer and a PDF file.
class LogReport {
public:
    // The report covers the rows the table holds now. The log keeps growing while a preview
    // is open, and a report whose pages change under the reader would be useless, so rows
    // appended later never enter it. The table must outlive the report.
    explicit LogReport(const LogTable &table);

    std::size_t rowCount() const { return m_rows; }

    // A4 portrait with 10 mm margins.
    static QPageLayout defaultPageLayout();
    // A4 portrait, 10 mm margins, one copy, all pages, one-sided.
    static void setUpPrinter(QPrinter &printer);

    // Detail bands that fit between the three fixed bands of a page: 35 on the default
    // layout; fewer on a smaller paper chosen in the page set-up.
    static int rowsPerPage(const QPageLayout &layout);
    // Pages the report fills. An empty report produces no band at all, yet a device always
    // holds at least one page, so it is a single blank page.
    static int pageCount(std::size_t rows, const QPageLayout &layout = defaultPageLayout());

    // Told after each page sent to the device, with the pages sent and the pages to send;
    // answering false stops the printing.
    using PageProgress = std::function<bool(int sent, int total)>;

    // Paints the report onto the device's own page layout, printing only the pages of the
    // device's page ranges and as many copies as a printer cannot make by itself. Returns
    // false when painting on the device could not start (the device reports why) or when
    // the progress answered false.
    bool paint(QPagedPaintDevice *device, const PageProgress &progress = {}) const;

    // Paints one page (counted from 1) of the report laid out on the layout, on whatever the
    // painter is active on, the painter's origin at the top left corner of the paper. Pages
    // are independent of each other, so a preview paints only those it shows.
    void paintPage(QPainter &painter, const QPageLayout &layout, int page) const;

private:
    const LogTable &m_table;
    std::size_t m_rows;
};

} // namespace vireo
