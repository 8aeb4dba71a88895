#include "app/chart/TrendPlot.h"

#include "app/paint/DrawInEachRect.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QGraphicsLayout>
#include <QLineSeries>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace vireo {

namespace {

// Room around a repainted strip for the pen and the ends of the neighbouring segments.
constexpr int kStripMargin = 2;
// Segments drawn beyond a repainted rectangle, in pixels, so that the ends of the part of the
// path drawn (caps, the fill's closing edges) fall outside it.
constexpr qreal kPathOverhang = 4;

} // namespace

TrendPlot::TrendPlot(const Parts &parts)
    : QObject(parts.view->viewport()), m_parts(parts), m_chart(parts.view->chart()),
      m_viewport(parts.view->viewport())
{
    setObjectName(QStringLiteral("TrendPlot"));
    for (QAbstractSeries *s : {static_cast<QAbstractSeries *>(m_parts.fill),
                               static_cast<QAbstractSeries *>(m_parts.line)})
        s->setOpacity(0);
    m_viewport->installEventFilter(this);
    // Every paint covers its rectangle from the kept picture: the viewport's own fill with
    // its background colour beforehand would only be painted over.
    m_viewport->setAttribute(Qt::WA_OpaquePaintEvent);
    // What changes beneath the series is an axis, the plot area and the size: each is drawn
    // into the kept picture before the next paint.
    for (QValueAxis *axis : {m_parts.axisX, m_parts.axisY})
        connect(axis, &QValueAxis::rangeChanged, this, &TrendPlot::redrawAll);
    connect(m_chart, &QChart::plotAreaChanged, this, &TrendPlot::redrawAll);
}

void TrendPlot::show(const ChartPager &pager)
{
    const ChartPager::IndexRange range = pager.visibleRange();
    const bool grown = m_pager == &pager && m_windowMin == pager.windowMin() &&
                       m_shown.first <= m_shown.last && range.first == m_shown.first &&
                       range.last >= m_shown.last;
    const ChartPager::IndexRange before = m_shown;
    m_pager = &pager;
    m_windowMin = pager.windowMin();
    m_shown = range;
    if (grown) {
        if (range.last > before.last)
            m_viewport->update(strip(before.last, range.last));
        return;
    }
    m_viewport->update(plotRect());
}

void TrendPlot::clear()
{
    m_shown = ChartPager::IndexRange{};
}

void TrendPlot::setFillVisible(bool visible)
{
    if (m_fillVisible == visible)
        return;
    m_fillVisible = visible;
    m_viewport->update(plotRect());
}

QList<QPointF> TrendPlot::shownPoints() const
{
    QList<QPointF> points;
    if (m_pager == nullptr)
        return points;
    for (std::int64_t i = m_shown.first; i <= m_shown.last; ++i)
        points.append(
            QPointF(static_cast<qreal>(i), m_pager->valueAt(static_cast<std::size_t>(i))));
    return points;
}

bool TrendPlot::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_viewport)
        return false;
    if (event->type() == QEvent::Resize)
        m_underlayStale = true;
    if (event->type() != QEvent::Paint)
        return false;
    if (m_underlayStale)
        renderUnderlay();
    QPainter painter(m_viewport);
    const QRegion &region = static_cast<QPaintEvent *>(event)->region();
    const QRect dirty = region.boundingRect();
    const qreal ratio = m_underlay.devicePixelRatio();
    auto copy = [&](const QRect &area) {
        painter.drawPixmap(QRectF(area), m_underlay,
                           QRectF(QPointF(area.topLeft()) * ratio, QSizeF(area.size()) * ratio));
    };
    // At a fractional scale a piece's edges fall inside pixels, which the pieces one by one
    // need not cover as the whole does.
    const qreal scale = painter.device()->devicePixelRatio();
    if (scale == std::floor(scale) && ratio == scale)
        drawInEachRect(painter, region, copy);
    else
        copy(dirty);
    paintSeries(painter, dirty);
    return true;
}

void TrendPlot::redrawAll()
{
    m_underlayStale = true;
    if (m_restagePending)
        return;
    m_restagePending = true;
    QMetaObject::invokeMethod(this, &TrendPlot::restage, Qt::QueuedConnection);
}

void TrendPlot::restage()
{
    m_restagePending = false;
    if (m_underlayStale)
        renderUnderlay();
    const QImage now = m_underlay.toImage();
    // The plot is drawn again, its series move with the axes, and so is every tile of the
    // picture that differs from the one on screen: the toolbar lying on the chart is painted
    // again only where the chart beneath it changed.
    QRegion dirty = changedTiles(m_onScreen, now);
    dirty += plotRect();
    m_onScreen = now;
    m_viewport->update(dirty);
}

QRegion TrendPlot::changedTiles(const QImage &before, const QImage &after) const
{
    if (before.size() != after.size() || before.format() != after.format() || after.depth() != 32)
        return QRegion(m_viewport->rect());
    constexpr int kTile = 8;
    const int width = after.width();
    const int tiles = (width + kTile - 1) / kTile;
    const auto rowBytes = static_cast<std::size_t>(width) * 4;
    auto tileSame = [&](int band, int rows, int tile) {
        const int x = tile * kTile;
        const int offset = x * 4;
        // A whole tile's row is compared at a fixed size, which the compiler does inline.
        const bool whole = x + kTile <= width;
        const auto bytes = static_cast<std::size_t>(width - x) * 4;
        for (int y = band; y < band + rows; ++y) {
            const uchar *a = before.constScanLine(y) + offset;
            const uchar *b = after.constScanLine(y) + offset;
            if (whole ? std::memcmp(a, b, kTile * 4) != 0 : std::memcmp(a, b, bytes) != 0)
                return false;
        }
        return true;
    };
    // Runs of changed tiles, band by band, in the order a region keeps its rectangles.
    std::vector<QRect> runs;
    for (int band = 0; band < after.height(); band += kTile) {
        const int rows = std::min(kTile, after.height() - band);
        bool bandSame = true;
        for (int y = band; bandSame && y < band + rows; ++y)
            bandSame = std::memcmp(before.constScanLine(y), after.constScanLine(y), rowBytes) == 0;
        if (bandSame)
            continue;
        int runStart = -1;
        for (int tile = 0; tile <= tiles; ++tile) {
            const bool same = tile == tiles || tileSame(band, rows, tile);
            if (!same && runStart < 0)
                runStart = tile * kTile;
            if (same && runStart >= 0) {
                runs.emplace_back(runStart, band, std::min(tile * kTile, width) - runStart, rows);
                runStart = -1;
            }
        }
    }
    QRegion changed;
    const qreal ratio = after.devicePixelRatio();
    if (ratio == 1) {
        changed.setRects(runs.data(), static_cast<int>(runs.size()));
        return changed;
    }
    for (const QRect &r : runs)
        changed += QRectF(QPointF(r.topLeft()) / ratio, QSizeF(r.size()) / ratio).toAlignedRect();
    return changed;
}

QRect TrendPlot::plotRect() const
{
    // The series never leave the plot area but for the line's half pixel beyond its edges.
    const QRect plot = seriesToViewport()
                           .mapRect(QRectF(QPointF(0, 0), m_chart->plotArea().size()))
                           .toAlignedRect();
    return plot.adjusted(-kStripMargin, -kStripMargin, kStripMargin, kStripMargin)
        .intersected(m_viewport->rect());
}

void TrendPlot::renderUnderlay()
{
    // An axis that changed lays the chart out on the next turn of the event loop; the picture
    // must show the new layout.
    if (QGraphicsLayout *layout = m_chart->layout())
        layout->activate();
    const qreal ratio = m_viewport->devicePixelRatio();
    m_underlay = QPixmap(m_viewport->size() * ratio);
    m_underlay.setDevicePixelRatio(ratio);
    m_underlay.fill(m_viewport->palette().color(m_viewport->backgroundRole()));
    // The scene as the view paints it, without a paint event of the viewport.
    QPainter painter(&m_underlay);
    const QRectF whole(m_viewport->rect());
    m_parts.view->render(&painter, whole, whole.toRect(), Qt::IgnoreAspectRatio);
    m_underlayStale = false;
}

TrendPlot::Mapping TrendPlot::mapping() const
{
    // The chart's own arithmetic, step for step, so that every point lands on the same pixel.
    const QSizeF size = m_chart->plotArea().size();
    const qreal minX = m_parts.axisX->min(), maxX = m_parts.axisX->max();
    const qreal minY = m_parts.axisY->min(), maxY = m_parts.axisY->max();
    return {minX, minY, size.width() / (maxX - minX), size.height() / (maxY - minY), size.height()};
}

QPointF TrendPlot::Mapping::at(std::int64_t index, double value) const
{
    return QPointF((static_cast<qreal>(index) - minX) * deltaX, (value - minY) * -deltaY + height);
}

QTransform TrendPlot::seriesToViewport() const
{
    const QPointF origin = m_chart->mapToScene(m_chart->plotArea().topLeft());
    QTransform transform = QTransform::fromTranslate(origin.x(), origin.y());
    const QTransform view = m_parts.view->viewportTransform();
    if (!view.isIdentity())
        transform *= view;
    return transform;
}

QRect TrendPlot::strip(std::int64_t from, std::int64_t to) const
{
    const Mapping map = mapping();
    const QPointF start = map.at(from, m_pager->valueAt(static_cast<std::size_t>(from)));
    qreal top = start.y(), bottom = start.y();
    QPointF end = start;
    for (std::int64_t i = from + 1; i <= to; ++i) {
        end = map.at(i, m_pager->valueAt(static_cast<std::size_t>(i)));
        top = std::min(top, end.y());
        bottom = std::max(bottom, end.y());
    }
    // With the fill, the strip runs down to the plot's bottom edge. Nothing is drawn outside
    // the plot, where a point from an earlier, wider range may lie far away.
    if (m_fillVisible)
        bottom = map.height;
    top = std::clamp(top, qreal(-1), map.height + 1);
    bottom = std::clamp(bottom, qreal(-1), map.height + 1);
    const QRectF bounds = QRectF(QPointF(start.x(), top), QPointF(end.x(), bottom)).normalized();
    const QRect area = seriesToViewport().mapRect(bounds).toAlignedRect();
    return area.adjusted(-kStripMargin, -kStripMargin, kStripMargin, kStripMargin)
        .intersected(m_viewport->rect());
}

void TrendPlot::paintSeries(QPainter &painter, const QRect &dirty)
{
    if (m_pager == nullptr || m_shown.first > m_shown.last)
        return;
    const Mapping map = mapping();
    const QTransform toViewport = seriesToViewport();
    // Only the points whose segments can reach the rectangle, and some beyond.
    const QRectF reach = toViewport.inverted().mapRect(QRectF(dirty));
    auto indexAt = [&](qreal x) { return map.minX + x / map.deltaX; };
    const auto first =
        std::max(m_shown.first,
                 static_cast<std::int64_t>(std::floor(indexAt(reach.left() - kPathOverhang))) - 1);
    const auto last =
        std::min(m_shown.last,
                 static_cast<std::int64_t>(std::ceil(indexAt(reach.right() + kPathOverhang))) + 1);
    if (first > last)
        return;
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(last - first + 1));
    for (std::int64_t i = first; i <= last; ++i)
        points.append(map.at(i, m_pager->valueAt(static_cast<std::size_t>(i))));

    painter.setRenderHint(QPainter::Antialiasing,
                          m_parts.view->renderHints().testFlag(QPainter::Antialiasing));
    painter.setWorldTransform(toViewport);
    const QRectF plot(QPointF(0, 0), m_chart->plotArea().size());

    if (m_fillVisible) {
        QPainterPath path(points.first());
        for (qsizetype i = 1; i < points.size(); ++i)
            path.lineTo(points.at(i));
        path.lineTo(points.last().x(), plot.bottom());
        path.lineTo(points.first().x(), plot.bottom());
        path.closeSubpath();
        painter.save();
        painter.setPen(m_parts.fill->pen());
        painter.setBrush(m_parts.fill->brush());
        painter.setClipRect(plot);
        painter.drawPath(path);
        painter.restore();
    }

    // The line's clip reaches half a pixel further where the plot area's edges fall between
    // pixels, so that a line along an edge is drawn.
    const QPointF origin = m_chart->plotArea().topLeft();
    QRectF clip = plot;
    const qreal x1 = origin.x() - int(origin.x());
    const qreal y1 = origin.y() - int(origin.y());
    const qreal x2 = (clip.width() + 0.5) - int(clip.width() + 0.5);
    const qreal y2 = (clip.height() + 0.5) - int(clip.height() + 0.5);
    clip.adjust(-x1, -y1, std::max(x1, x2), std::max(y1, y2));
    painter.save();
    painter.setPen(m_parts.line->pen());
    painter.setBrush(Qt::NoBrush);
    painter.setClipRect(clip);
    for (qsizetype i = 1; i < points.size(); ++i)
        painter.drawLine(points.at(i - 1), points.at(i));
    painter.restore();
}

} // namespace vireo
