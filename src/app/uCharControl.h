#pragma once

#include "core/ChartPager.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QAreaSeries;
class QValueAxis;

namespace vireo {

class TrendPlot;

// Pages the trend chart. The pager holds every value; the chart is fed the points of the
// visible window only, so adding a point costs the same after days of logging as at start.
// The plot is refreshed about ten times a second rather than per point: a meter at line rate
// delivers 174 frames a second, and each refresh is a repaint of the window.
class TChartControl : public QObject {
    Q_OBJECT
public:
    // The chart's fill series, axes and the plot that draws the series; none is owned.
    struct ChartParts {
        QAreaSeries *fill = nullptr; // Series2
        QValueAxis *axisX = nullptr;
        QValueAxis *axisY = nullptr;
        TrendPlot *plot = nullptr;
    };

    TChartControl(const ChartParts &parts, std::int32_t pageSize, QObject *parent = nullptr);

    std::int32_t AddValue(double value);
    std::int32_t FirstPage();
    std::int32_t PriorPage();
    std::int32_t NextPage();
    std::int32_t LastPage();
    void SetValueMax(double value);
    void SetValueMin(double value);
    void SetPageSize(std::int32_t pageSize);
    std::int32_t ClearPoints();
    void SetFillVisible(bool visible);

    // Brings the plot up to date at once (before the chart is drawn off screen).
    void flush();

    double FValueMax() const { return m_pager.valueMax(); }
    double FValueMin() const { return m_pager.valueMin(); }
    const ChartPager &pager() const { return m_pager; }

private:
    // spacedPoint: a new point came a whole redraw period after the one before it.
    void showWindow(bool spacedPoint = false);
    void settleValueRange(bool changed);
    void applyValueRangeSoon();
    void applyValueRange();

    ChartParts m_parts;
    ChartPager m_pager;
    QTimer m_refresh;
    QElapsedTimer m_sinceFlush;
    QElapsedTimer m_sincePoint;
    QTimer m_valueRangeTimer;
    QElapsedTimer m_sinceValueRange;
    bool m_valueRangePending = false;
};

} // namespace vireo
