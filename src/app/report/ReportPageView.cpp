#include "app/report/ReportPageView.h"

#include "app/report/LogReport.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <limits>

namespace vireo {

namespace {

// Grey between and around the pages, and the shadow each page casts.
constexpr int PageGap = 10;
constexpr int ShadowOffset = 3;
// Page images kept: enough for the pages a screen shows at a small zoom, plus a few for
// scrolling back. An A4 image is about 3.6 MB at 100 %; larger ones are not kept.
constexpr std::size_t KeptImages = 8;
constexpr std::int64_t MaxKeptImageBytes = 8 * 1024 * 1024;
constexpr double MinZoom = 0.05;
constexpr double MaxZoom = 8.0;

} // namespace

ReportPageView::ReportPageView(const LogReport &report, const QPageLayout &layout, QWidget *parent)
    : QAbstractScrollArea(parent), m_report(report)
{
    setBackgroundRole(QPalette::Dark);
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(20);
    horizontalScrollBar()->setSingleStep(20);
    setPageLayout(layout);
}

void ReportPageView::setPageLayout(const QPageLayout &layout)
{
    m_layout = layout;
    m_pages = LogReport::pageCount(m_report.rowCount(), layout);
    m_images.clear();
    fitZoom();
    updateScrollBars();
    viewport()->update();
    noteCurrentPage();
}

int ReportPageView::pageDpi() const
{
    return std::max(1, static_cast<int>(std::lround(m_zoom * logicalDpiY())));
}

QSize ReportPageView::pageSize() const
{
    const QSizeF mm = m_layout.fullRect(QPageLayout::Millimeter).size();
    const double pxPerMm = pageDpi() / 25.4;
    return QSize(std::max(1, static_cast<int>(std::lround(mm.width() * pxPerMm))),
                 std::max(1, static_cast<int>(std::lround(mm.height() * pxPerMm))));
}

std::int64_t ReportPageView::pageStride() const
{
    return pageSize().height() + PageGap;
}

std::int64_t ReportPageView::scrollTop() const
{
    return static_cast<std::int64_t>(verticalScrollBar()->value()) * m_scrollUnit;
}

int ReportPageView::currentPage() const
{
    // The page that fills most of the top of the viewport: a page scrolled more than half out
    // at the top has handed over to the next.
    const std::int64_t page = (scrollTop() + pageStride() / 2) / pageStride() + 1;
    return static_cast<int>(std::min<std::int64_t>(page, m_pages));
}

void ReportPageView::setCurrentPage(int page)
{
    if (page < 1 || page > m_pages)
        return;
    const std::int64_t top = (page - 1) * pageStride();
    verticalScrollBar()->setValue(static_cast<int>(top / m_scrollUnit));
    noteCurrentPage();
}

void ReportPageView::setZoomMode(ZoomMode mode)
{
    m_mode = mode;
    const int page = currentPage();
    fitZoom();
    updateScrollBars();
    setCurrentPage(page);
    viewport()->update();
}

void ReportPageView::setZoomFactor(double factor)
{
    const int page = currentPage();
    m_mode = ZoomMode::Custom;
    m_zoom = std::clamp(factor, MinZoom, MaxZoom);
    m_images.clear();
    updateScrollBars();
    setCurrentPage(page);
    viewport()->update();
    emit zoomChanged();
}

void ReportPageView::fitZoom()
{
    if (m_mode == ZoomMode::Custom)
        return;
    const QSizeF mm = m_layout.fullRect(QPageLayout::Millimeter).size();
    const double pxPerMm = logicalDpiY() / 25.4;
    const double room = viewport()->width() - 2.0 * PageGap;
    double zoom = room / (mm.width() * pxPerMm);
    if (m_mode == ZoomMode::FitPage)
        zoom = std::min(zoom, (viewport()->height() - 2.0 * PageGap) / (mm.height() * pxPerMm));
    zoom = std::clamp(zoom, MinZoom, MaxZoom);
    if (zoom != m_zoom) {
        m_zoom = zoom;
        m_images.clear();
    }
    emit zoomChanged();
}

void ReportPageView::updateScrollBars()
{
    const QSize page = pageSize();
    const std::int64_t height = m_pages * pageStride() + PageGap;
    const std::int64_t hidden = std::max<std::int64_t>(0, height - viewport()->height());
    m_scrollUnit = hidden / std::numeric_limits<int>::max() + 1;
    verticalScrollBar()->setRange(0, static_cast<int>(hidden / m_scrollUnit));
    verticalScrollBar()->setPageStep(
        std::max(1, static_cast<int>(viewport()->height() / m_scrollUnit)));

    const int width = page.width() + 2 * PageGap;
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
}

std::int64_t ReportPageView::keptImageBytes() const
{
    std::int64_t bytes = 0;
    for (const auto &[page, image] : m_images)
        bytes += image.sizeInBytes();
    return bytes;
}

QImage ReportPageView::renderPage(int page, const QRect &part)
{
    QImage image(part.size(), QImage::Format_RGB32);
    // The image's resolution is the zoomed screen's, so the report's millimetres and points
    // come out at the size the page is shown.
    const double dotsPerMeter = pageDpi() / 0.0254;
    image.setDotsPerMeterX(static_cast<int>(std::lround(dotsPerMeter)));
    image.setDotsPerMeterY(static_cast<int>(std::lround(dotsPerMeter)));
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.translate(-part.topLeft());
        m_report.paintPage(painter, m_layout, page);
    }
    ++m_painted;
    return image;
}

const QImage &ReportPageView::pageImage(int page)
{
    const auto kept = std::find_if(m_images.begin(), m_images.end(),
                                   [page](const auto &image) { return image.first == page; });
    if (kept != m_images.end()) {
        m_images.splice(m_images.begin(), m_images, kept);
        return m_images.front().second;
    }
    m_images.emplace_front(page, renderPage(page, QRect(QPoint(), pageSize())));
    if (m_images.size() > KeptImages)
        m_images.pop_back();
    return m_images.front().second;
}

void ReportPageView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QSize size = pageSize();
    // Zoomed far in, a whole page would take hundreds of megabytes: only the part on screen
    // is painted then, afresh each time.
    const bool keepPages = std::int64_t{size.width()} * size.height() * 4 <= MaxKeptImageBytes;
    const std::int64_t stride = pageStride();
    const std::int64_t top = scrollTop();
    const int left = std::max(PageGap, (viewport()->width() - size.width()) / 2) -
                     horizontalScrollBar()->value();
    const QRect dirty = event->rect();
    const std::int64_t first = std::max<std::int64_t>(0, (top + dirty.top() - PageGap) / stride);
    for (std::int64_t index = first; index < m_pages; ++index) {
        const std::int64_t y = PageGap + index * stride - top;
        if (y > dirty.bottom())
            break;
        const QRect paper(left, static_cast<int>(y), size.width(), size.height());
        if (!paper.adjusted(0, 0, ShadowOffset, ShadowOffset).intersects(dirty))
            continue;
        painter.fillRect(paper.translated(ShadowOffset, ShadowOffset), Qt::black);
        const int page = static_cast<int>(index) + 1;
        if (keepPages) {
            painter.drawImage(paper.topLeft(), pageImage(page));
            continue;
        }
        const QRect shown = paper.intersected(dirty);
        if (!shown.isEmpty())
            painter.drawImage(shown.topLeft(),
                              renderPage(page, shown.translated(-paper.topLeft())));
    }
}

void ReportPageView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    const int page = currentPage();
    fitZoom();
    updateScrollBars();
    if (m_mode != ZoomMode::Custom)
        setCurrentPage(page);
}

void ReportPageView::scrollContentsBy(int, int)
{
    viewport()->update();
    noteCurrentPage();
}

void ReportPageView::noteCurrentPage()
{
    const int page = currentPage();
    if (page != m_lastCurrent) {
        m_lastCurrent = page;
        emit currentPageChanged(page);
    }
}

} // namespace vireo
