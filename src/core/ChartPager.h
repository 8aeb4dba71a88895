#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace vireo {

// Paging of the trend chart: which window of X positions the chart shows, which page number
// the toolbar shows, and every plotted value. The chart widget draws only what lies inside
// the window; this class holds the rest.
//
// X of a point is its index: the zero point at X = 0, the k-th value at X = k. Page k is the
// window 1 + (k - 1) * FPageSize ... k * FPageSize. Both chart series share these values.
class ChartPager {
public:
    static constexpr std::string_view DefaultPageSizeText = "100";

    // The page-size edit as the pager takes it: a text that is not a positive integer is
    // replaced by DefaultPageSizeText.
    struct PageSizeEntry {
        std::int32_t size = 100;
        bool textReplaced = false;
    };
    static PageSizeEntry pageSizeFromText(std::string_view text);

    // Indices of the points inside the window; empty when first > last.
    struct IndexRange {
        std::int64_t first = 0;
        std::int64_t last = -1;
    };

    // A page size below 1 counts as 1.
    explicit ChartPager(std::int32_t pageSize);

    std::int32_t AddValue(double value);
    std::int32_t FirstPage();
    std::int32_t PriorPage();
    std::int32_t NextPage();
    std::int32_t LastPage();
    // Each returns whether the vertical axis must change.
    bool SetValueMax(double value);
    bool SetValueMin(double value);
    // Sizes below 1 are ignored: a page must hold at least one position.
    void SetPageSize(std::int32_t pageSize);
    std::int32_t ClearPoints();
    // Returns whether the fill series must be shown or hidden.
    bool SetFillVisible(bool visible);

    std::int32_t page() const { return FPage; }
    std::int32_t pageSize() const { return FPageSize; }
    std::int32_t pageCount() const { return FPageCount; }
    bool browsing() const { return FBrowsing; }
    double valueMax() const { return FValueMax; }
    double valueMin() const { return FValueMin; }
    bool fillVisible() const { return FFillVisible; }
    std::int64_t windowMin() const { return m_windowMin; }
    std::int64_t windowMax() const { return m_windowMax; }

    // Number of points, the zero point included.
    std::size_t pointCount() const { return m_count; }
    double valueAt(std::size_t index) const
    {
        return m_chunks[index / ChunkValues][index % ChunkValues];
    }
    IndexRange visibleRange() const;

private:
    static constexpr std::size_t ChunkValues = 1 << 13;

    void pushValue(double value);
    void resetPoints();
    void recountPages();
    void stepForward(std::int64_t steps);
    void stepBackward(std::int64_t steps);

    std::int32_t FPage = 0;
    std::int32_t FPageSize = 0;
    std::int32_t FPageCount = 0;
    bool FBrowsing = false;
    double FValueMax = 0;
    double FValueMin = 0;
    bool FFillVisible = false;
    std::int64_t m_windowMin = 0;
    std::int64_t m_windowMax = 0;
    // Values in fixed-size chunks, so that adding a point never moves the earlier ones.
    std::vector<std::unique_ptr<double[]>> m_chunks;
    std::size_t m_count = 0;
};

} // namespace vireo
