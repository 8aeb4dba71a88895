#pragma once

#include "core/ChartPager.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QPointF>
#include <QRect>
#include <QRegion>
#include <QTransform>

class QAreaSeries;
class QChart;
class QChartView;
class QLineSeries;
class QPainter;
class QValueAxis;

namespace vireo {

// Draws the trend chart's two series over the chart's own picture of everything beneath them
// (background, plot area, grid, axes and labels), the very pixels the chart would draw itself.
// The chart lays its series out and strokes their whole path again on every change, and the
// view then repaints the whole plot; here that picture is kept and redrawn only when an axis
// or the size changes, and a new point repaints only the strip of its own segment.
//
// The chart's series stay in the chart, empty and transparent, as the holders of the pens,
// the fill brush and the fill's visibility.
class TrendPlot : public QObject {
    Q_OBJECT
public:
    struct Parts {
        QChartView *view = nullptr;
        QAreaSeries *fill = nullptr; // Series2
        QLineSeries *line = nullptr; // Series1
        QValueAxis *axisX = nullptr;
        QValueAxis *axisY = nullptr;
    };

    explicit TrendPlot(const Parts &parts);

    // Shows the points of the pager's window; repaints what differs from the last call.
    void show(const ChartPager &pager);
    // The pager was emptied: the next show() draws the plot anew.
    void clear();
    // Hides or shows the fill under the line.
    void setFillVisible(bool visible);

    // The points drawn, in chart values (X the index, Y the value).
    QList<QPointF> shownPoints() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Where a chart value lies in the series' own frame, whose origin is the plot area's
    // top left corner.
    struct Mapping {
        qreal minX, minY, deltaX, deltaY, height;
        QPointF at(std::int64_t index, double value) const;
    };

    void paintSeries(QPainter &painter, const QRect &dirty);
    void renderUnderlay();
    // The picture beneath the series is out of date: drawn anew once the chart is laid out,
    // and what changed is repainted.
    void redrawAll();
    void restage();
    QRegion changedTiles(const QImage &before, const QImage &after) const;
    QRect plotRect() const;
    Mapping mapping() const;
    QTransform seriesToViewport() const;
    QRect strip(std::int64_t from, std::int64_t to) const;

    Parts m_parts;
    QChart *m_chart;
    QWidget *m_viewport;
    const ChartPager *m_pager = nullptr;
    ChartPager::IndexRange m_shown;
    std::int64_t m_windowMin = 0;
    bool m_fillVisible = true;
    QPixmap m_underlay;
    // The picture as the screen shows it outside the repaints asked for since.
    QImage m_onScreen;
    bool m_restagePending = false;
    bool m_underlayStale = true;
};

} // namespace vireo
