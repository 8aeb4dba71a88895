#include "app/uCharControl.h"

#include "app/chart/TrendPlot.h"

#include <QAreaSeries>
#include <QValueAxis>

namespace vireo {

namespace {

// Ten redraws a second follow a meter closely; more only cost the chart's layout work.
constexpr int kRefreshMs = 100;
// A meter's frames come on its own clock, a little early or late against ours.
constexpr int kRefreshSlackMs = 20;

// Whether a redraw whose last run was at `since` may run at once; if not, `timer` is started
// for the rest of the period.
bool dueNow(const QElapsedTimer &since, QTimer &timer)
{
    const qint64 age = since.isValid() ? since.elapsed() : kRefreshMs;
    if (age >= kRefreshMs - kRefreshSlackMs)
        return true;
    timer.start(static_cast<int>(kRefreshMs - age));
    return false;
}

} // namespace

TChartControl::TChartControl(const ChartParts &parts, std::int32_t pageSize, QObject *parent)
    : QObject(parent), m_parts(parts), m_pager(pageSize)
{
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &TChartControl::flush);
    m_valueRangeTimer.setSingleShot(true);
    connect(&m_valueRangeTimer, &QTimer::timeout, this, &TChartControl::applyValueRangeSoon);
    showWindow();
}

std::int32_t TChartControl::AddValue(double value)
{
    const std::int32_t page = m_pager.AddValue(value);
    const bool spaced =
        !m_sincePoint.isValid() || m_sincePoint.elapsed() >= kRefreshMs - kRefreshSlackMs;
    m_sincePoint.start();
    showWindow(spaced);
    return page;
}

std::int32_t TChartControl::FirstPage()
{
    const std::int32_t page = m_pager.FirstPage();
    showWindow();
    return page;
}

std::int32_t TChartControl::PriorPage()
{
    const std::int32_t page = m_pager.PriorPage();
    showWindow();
    return page;
}

std::int32_t TChartControl::NextPage()
{
    const std::int32_t page = m_pager.NextPage();
    showWindow();
    return page;
}

std::int32_t TChartControl::LastPage()
{
    const std::int32_t page = m_pager.LastPage();
    showWindow();
    return page;
}

void TChartControl::SetValueMax(double value)
{
    settleValueRange(m_pager.SetValueMax(value));
}

void TChartControl::SetValueMin(double value)
{
    settleValueRange(m_pager.SetValueMin(value));
}

void TChartControl::settleValueRange(bool changed)
{
    // The limits come in pairs, the two ends of a new range, and every change of the axis
    // lays the chart out again, about a millisecond in the window: the axis takes both ends
    // at once, at the second call of the pair or once control returns to the event loop, and
    // no more often than the plot is redrawn.
    if (m_valueRangePending) {
        applyValueRangeSoon();
        return;
    }
    if (!changed)
        return;
    m_valueRangePending = true;
    m_valueRangeTimer.start(0);
}

void TChartControl::applyValueRangeSoon()
{
    if (dueNow(m_sinceValueRange, m_valueRangeTimer))
        applyValueRange();
}

void TChartControl::applyValueRange()
{
    m_valueRangeTimer.stop();
    m_valueRangePending = false;
    m_sinceValueRange.start();
    m_parts.axisY->setRange(m_pager.valueMin(), m_pager.valueMax());
}

void TChartControl::SetPageSize(std::int32_t pageSize)
{
    m_pager.SetPageSize(pageSize);
    showWindow();
}

std::int32_t TChartControl::ClearPoints()
{
    const std::int32_t page = m_pager.ClearPoints();
    m_parts.plot->clear();
    showWindow();
    return page;
}

void TChartControl::SetFillVisible(bool visible)
{
    if (m_pager.SetFillVisible(visible)) {
        m_parts.fill->setVisible(visible);
        m_parts.plot->setFillVisible(visible);
    }
}

void TChartControl::showWindow(bool spacedPoint)
{
    // Setting even the same range lays the axis out again, and the window moves only by pages.
    const auto windowMin = static_cast<qreal>(m_pager.windowMin());
    const auto windowMax = static_cast<qreal>(m_pager.windowMax());
    if (m_parts.axisX->min() != windowMin || m_parts.axisX->max() != windowMax)
        m_parts.axisX->setRange(windowMin, windowMax);
    if (m_refresh.isActive() && !spacedPoint)
        return;
    // A point that comes once the last redraw is old enough is drawn at once, in the repaint
    // of the poll that brought it, rather than in a wake-up and a repaint of its own. So is a
    // point that comes a period after the one before: else one late redraw would hold every
    // later point of a steady meter back by the same lag, each in a wake-up of its own.
    if (spacedPoint || dueNow(m_sinceFlush, m_refresh))
        flush();
}

void TChartControl::flush()
{
    m_refresh.stop();
    m_sinceFlush.start();
    if (m_valueRangePending)
        applyValueRange();
    m_parts.plot->show(m_pager);
}

} // namespace vireo
