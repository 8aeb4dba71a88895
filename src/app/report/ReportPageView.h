#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <QPageLayout>

#include <cstdint>
#include <list>
#include <utility>

namespace vireo {

class LogReport;

// The pages of the report, one below the other, as a preview shows them. A day's log makes
// hundreds of thousands of pages, so nothing here walks them: the page count is arithmetic,
// the scroll range is computed, and only the pages that reach into the viewport are painted,
// each into an image of its own kept for a few pages' scrolling.
class ReportPageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum class ZoomMode { FitWidth, FitPage, Custom };

    ReportPageView(const LogReport &report, const QPageLayout &layout, QWidget *parent = nullptr);

    void setPageLayout(const QPageLayout &layout);
    int pageCount() const { return m_pages; }

    // The page at the top of the viewport, counted from 1.
    int currentPage() const;
    // Scrolls the page's top into view; pages out of range are ignored.
    void setCurrentPage(int page);

    ZoomMode zoomMode() const { return m_mode; }
    void setZoomMode(ZoomMode mode);
    // 1.0 shows the paper at its real size on the screen.
    double zoomFactor() const { return m_zoom; }
    void setZoomFactor(double factor);

    // Pages (or parts of pages) painted since the view was made: what the preview costs.
    int paintedPages() const { return m_painted; }
    // Bytes of the page images kept; bounded whatever the length of the report and the zoom.
    std::int64_t keptImageBytes() const;

signals:
    void currentPageChanged(int page);
    void zoomChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // Resolution the pages are painted at: the screen's, zoomed.
    int pageDpi() const;
    QSize pageSize() const;
    std::int64_t pageStride() const;
    std::int64_t scrollTop() const;
    void fitZoom();
    void updateScrollBars();
    // The part (in pixels of the shown page) of a page, painted afresh.
    QImage renderPage(int page, const QRect &part);
    // A whole page, painted once and kept while it is among the last few shown.
    const QImage &pageImage(int page);
    void noteCurrentPage();

    const LogReport &m_report;
    QPageLayout m_layout;
    int m_pages = 1;
    ZoomMode m_mode = ZoomMode::FitWidth;
    double m_zoom = 1.0;
    // Pixels of the page stack per step of the vertical scroll bar, so that a long report at a
    // high zoom stays within its range.
    std::int64_t m_scrollUnit = 1;
    int m_painted = 0;
    int m_lastCurrent = 0;
    // Page number and its image, the last painted first.
    std::list<std::pair<int, QImage>> m_images;
};

} // namespace vireo
