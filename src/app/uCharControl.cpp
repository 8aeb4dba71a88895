#include "app/uCharControl.h"

#include <QAreaSeries>
#include <QChart>
#include <QLineSeries>
#include <QValueAxis>

namespace vireo {

TChartControl::TChartControl(const ChartParts &parts, std::int32_t pageSize)
    : m_parts(parts), m_pager(pageSize)
{
    showWindow();
}

std::int32_t TChartControl::AddValue(double value)
{
    const std::int64_t windowBefore = m_pager.windowMin();
    const std::int32_t page = m_pager.AddValue(value);
    const auto index = static_cast<std::int64_t>(m_pager.pointCount()) - 1;
    const bool windowMoved = m_pager.windowMin() != windowBefore;
    if (!windowMoved && index >= m_pager.windowMin() && index <= m_pager.windowMax() &&
        index == m_shownFirst + m_shown.size()) {
        // The common case while following: one more point inside the shown window.
        const QPointF p(static_cast<qreal>(index), value);
        m_shown.append(p);
        m_parts.upper->append(p);
        m_parts.line->append(p);
    } else if (windowMoved) {
        showWindow();
    }
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
    if (m_pager.SetValueMax(value))
        m_parts.axisY->setMax(value);
}

void TChartControl::SetValueMin(double value)
{
    if (m_pager.SetValueMin(value))
        m_parts.axisY->setMin(value);
}

void TChartControl::SetPageSize(std::int32_t pageSize)
{
    m_pager.SetPageSize(pageSize);
    showWindow();
}

std::int32_t TChartControl::ClearPoints()
{
    const std::int32_t page = m_pager.ClearPoints();
    showWindow();
    return page;
}

void TChartControl::SetFillVisible(bool visible)
{
    if (m_pager.SetFillVisible(visible))
        m_parts.fill->setVisible(visible);
}

void TChartControl::showWindow()
{
    const ChartPager::IndexRange range = m_pager.visibleRange();
    m_shown.clear();
    m_shownFirst = range.first;
    for (std::int64_t i = range.first; i <= range.last; ++i)
        m_shown.append(
            QPointF(static_cast<qreal>(i), m_pager.valueAt(static_cast<std::size_t>(i))));
    m_parts.axisX->setRange(static_cast<qreal>(m_pager.windowMin()),
                            static_cast<qreal>(m_pager.windowMax()));
    m_parts.upper->replace(m_shown);
    m_parts.line->replace(m_shown);
}

} // namespace vireo
