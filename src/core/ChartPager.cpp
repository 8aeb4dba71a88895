#include "core/ChartPager.h"

#include "core/NumberText.h"

#include <algorithm>

namespace vireo {

namespace {

std::int64_t ceilDiv(std::int64_t numerator, std::int64_t denominator)
{
    return (numerator + denominator - 1) / denominator;
}

} // namespace

ChartPager::PageSizeEntry ChartPager::pageSizeFromText(std::string_view text)
{
    // A negative size would turn the window inside out; it is refused like zero.
    const auto size = textToInt32(text);
    if (!size || *size < 1)
        return {100, true};
    return {*size, false};
}

ChartPager::ChartPager(std::int32_t pageSize)
{
    SetPageSize(std::max<std::int32_t>(pageSize, 1));
    m_windowMin = 1;
    m_windowMax = FPageSize;
    FPageCount = 1;
    FPage = 1;
    pushValue(0);
    FFillVisible = true;
}

void ChartPager::pushValue(double value)
{
    if (m_count % ChunkValues == 0 && m_count / ChunkValues == m_chunks.size())
        m_chunks.push_back(std::make_unique_for_overwrite<double[]>(ChunkValues));
    m_chunks[m_count / ChunkValues][m_count % ChunkValues] = value;
    ++m_count;
}

void ChartPager::resetPoints()
{
    m_chunks.clear();
    m_count = 0;
    pushValue(0);
}

void ChartPager::recountPages()
{
    FPageCount = static_cast<std::int32_t>(ceilDiv(static_cast<std::int64_t>(m_count), FPageSize));
}

// A checked forward step moves the window one page on while the largest X (the newest point)
// lies beyond it. Taking several at once is the same as taking each in turn.
void ChartPager::stepForward(std::int64_t steps)
{
    const std::int64_t largestX = static_cast<std::int64_t>(m_count) - 1;
    if (steps <= 0 || largestX <= m_windowMax)
        return;
    const std::int64_t taken = std::min(steps, ceilDiv(largestX - m_windowMax, FPageSize));
    m_windowMin += taken * FPageSize;
    m_windowMax += taken * FPageSize;
}

// A checked backward step moves the window one page back while the smallest X (the zero
// point) lies before it.
void ChartPager::stepBackward(std::int64_t steps)
{
    if (steps <= 0 || m_windowMin <= 0)
        return;
    const std::int64_t taken = std::min(steps, ceilDiv(m_windowMin, FPageSize));
    m_windowMin -= taken * FPageSize;
    m_windowMax -= taken * FPageSize;
}

std::int32_t ChartPager::AddValue(double value)
{
    pushValue(value);
    recountPages();
    if (!FBrowsing) {
        stepForward(1);
        FPage = FPageCount;
    }
    return FPage;
}

std::int32_t ChartPager::FirstPage()
{
    if (FPageCount <= 1 || FPage == 1)
        return FPage;
    stepBackward(std::int64_t{FPage} - 1);
    FPage = 1;
    FBrowsing = true;
    return FPage;
}

std::int32_t ChartPager::LastPage()
{
    if (FPageCount <= 1 || FPage == FPageCount)
        return FPage;
    stepForward(std::int64_t{FPageCount} - FPage);
    FPage = FPageCount;
    FBrowsing = false;
    return FPage;
}

std::int32_t ChartPager::NextPage()
{
    if (FPageCount > 1 && FPage != FPageCount) {
        stepForward(1);
        ++FPage;
        FBrowsing = FPage != FPageCount;
    }
    return FPage;
}

std::int32_t ChartPager::PriorPage()
{
    if (FPage > 1) {
        stepBackward(1);
        --FPage;
        FBrowsing = true;
    }
    return FPage;
}

bool ChartPager::SetValueMax(double value)
{
    if (FValueMax == value)
        return false;
    FValueMax = value;
    return true;
}

bool ChartPager::SetValueMin(double value)
{
    if (FValueMin == value)
        return false;
    FValueMin = value;
    return true;
}

void ChartPager::SetPageSize(std::int32_t pageSize)
{
    if (pageSize < 1 || pageSize == FPageSize)
        return;
    FPageSize = pageSize;
    m_windowMin = 1;
    m_windowMax = pageSize;
    recountPages();
    stepForward(std::int64_t{FPageCount} - 1);
    FPage = FPageCount;
    FBrowsing = false;
}

std::int32_t ChartPager::ClearPoints()
{
    // Stepping back to page 1 would go a page too far when the last page is exactly full: the
    // zero point counts towards the pages but lies on none. An empty chart shows page 1.
    FirstPage();
    resetPoints();
    m_windowMin = 1;
    m_windowMax = FPageSize;
    FPage = 1;
    FPageCount = 1;
    FBrowsing = false;
    return FPage;
}

bool ChartPager::SetFillVisible(bool visible)
{
    if (visible == FFillVisible)
        return false;
    FFillVisible = visible;
    return true;
}

ChartPager::IndexRange ChartPager::visibleRange() const
{
    const std::int64_t last = static_cast<std::int64_t>(m_count) - 1;
    return {std::max<std::int64_t>(m_windowMin, 0), std::min(m_windowMax, last)};
}

} // namespace vireo
