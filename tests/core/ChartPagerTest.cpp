#include "core/ChartPager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace vireo {
namespace {

struct Window {
    std::int64_t min;
    std::int64_t max;
    bool operator==(const Window &) const = default;
};

Window windowOf(const ChartPager &pager)
{
    return {pager.windowMin(), pager.windowMax()};
}

void addValues(ChartPager &pager, int count)
{
    for (int i = 0; i < count; ++i)
        pager.AddValue(i);
}

TEST(ChartPager, StartsOnPageOneWithTheZeroPoint)
{
    const ChartPager pager(100);
    EXPECT_EQ(pager.page(), 1);
    EXPECT_EQ(pager.pageCount(), 1);
    EXPECT_EQ(pager.pageSize(), 100);
    EXPECT_FALSE(pager.browsing());
    EXPECT_TRUE(pager.fillVisible());
    EXPECT_EQ(windowOf(pager), (Window{1, 100}));
    ASSERT_EQ(pager.pointCount(), 1u);
    EXPECT_EQ(pager.valueAt(0), 0.0);
}

TEST(ChartPager, CounterRunsOnePageAheadWhenTheLastPageIsExactlyFull)
{
    ChartPager pager(100);
    for (int i = 1; i <= 99; ++i)
        EXPECT_EQ(pager.AddValue(i), 1) << i;
    EXPECT_EQ(pager.AddValue(100), 2);
    EXPECT_EQ(windowOf(pager), (Window{1, 100}));
    EXPECT_EQ(pager.AddValue(101), 2);
    EXPECT_EQ(windowOf(pager), (Window{101, 200}));
    addValues(pager, 99);
    EXPECT_EQ(pager.page(), 3);
    EXPECT_EQ(windowOf(pager), (Window{101, 200}));
}

TEST(ChartPager, BrowsingKeepsTheWindowUntilLastPage)
{
    ChartPager pager(10);
    addValues(pager, 35);
    EXPECT_EQ(pager.page(), 4);
    EXPECT_EQ(windowOf(pager), (Window{31, 40}));
    EXPECT_EQ(pager.PriorPage(), 3);
    EXPECT_TRUE(pager.browsing());
    EXPECT_EQ(pager.AddValue(1), 3);
    addValues(pager, 20);
    EXPECT_EQ(pager.page(), 3);
    EXPECT_EQ(windowOf(pager), (Window{21, 30}));
    EXPECT_EQ(pager.LastPage(), 6);
    EXPECT_FALSE(pager.browsing());
    EXPECT_EQ(windowOf(pager), (Window{51, 60}));
    EXPECT_EQ(pager.AddValue(1), 6);
}

TEST(ChartPager, NavigationOnASinglePageChangesNothing)
{
    ChartPager pager(100);
    addValues(pager, 5);
    EXPECT_EQ(pager.FirstPage(), 1);
    EXPECT_EQ(pager.PriorPage(), 1);
    EXPECT_EQ(pager.NextPage(), 1);
    EXPECT_EQ(pager.LastPage(), 1);
    EXPECT_FALSE(pager.browsing());
    EXPECT_EQ(windowOf(pager), (Window{1, 100}));
}

TEST(ChartPager, PreviousWithExactlyOneFullPageShowsTheZeroPointOnly)
{
    ChartPager pager(100);
    addValues(pager, 100);
    ASSERT_EQ(pager.page(), 2);
    EXPECT_EQ(pager.PriorPage(), 1);
    EXPECT_EQ(windowOf(pager), (Window{-99, 0}));
    const auto shown = pager.visibleRange();
    EXPECT_EQ(shown.first, 0);
    EXPECT_EQ(shown.last, 0);
    pager.AddValue(7);
    EXPECT_EQ(windowOf(pager), (Window{-99, 0}));
    EXPECT_EQ(pager.page(), 1);
    EXPECT_EQ(pager.NextPage(), 2);
    EXPECT_EQ(windowOf(pager), (Window{1, 100}));
    EXPECT_FALSE(pager.browsing());
}

TEST(ChartPager, NextStoppingShortOfTheLastPageKeepsBrowsing)
{
    ChartPager pager(10);
    addValues(pager, 45);
    pager.FirstPage();
    EXPECT_EQ(pager.NextPage(), 2);
    EXPECT_TRUE(pager.browsing());
    EXPECT_EQ(pager.NextPage(), 3);
    EXPECT_EQ(pager.NextPage(), 4);
    EXPECT_EQ(pager.NextPage(), 5);
    EXPECT_FALSE(pager.browsing());
    EXPECT_EQ(windowOf(pager), (Window{41, 50}));
}

TEST(ChartPager, PageSizeChangeJumpsToTheLastPageAndFollows)
{
    ChartPager pager(100);
    addValues(pager, 250);
    pager.FirstPage();
    pager.SetPageSize(30);
    EXPECT_EQ(pager.pageSize(), 30);
    EXPECT_EQ(pager.pageCount(), 9);
    EXPECT_EQ(pager.page(), 9);
    EXPECT_FALSE(pager.browsing());
    EXPECT_EQ(windowOf(pager), (Window{241, 270}));
    pager.SetPageSize(0);
    pager.SetPageSize(-4);
    EXPECT_EQ(pager.pageSize(), 30);
}

TEST(ChartPager, ClearKeepsOnlyTheZeroPointAndFollows)
{
    // Browsing back, on the last page, and with the last page exactly full (where the zero
    // point makes the page count one more than the pages the window has shown): a clear
    // always brings the window back to page 1.
    for (const int values : {55, 50, 10, 100}) {
        ChartPager pager(10);
        addValues(pager, values);
        if (values == 55)
            pager.PriorPage();
        EXPECT_EQ(pager.ClearPoints(), 1) << values;
        EXPECT_EQ(pager.pointCount(), 1u);
        EXPECT_EQ(pager.pageCount(), 1);
        EXPECT_FALSE(pager.browsing());
        EXPECT_EQ(windowOf(pager), (Window{1, 10})) << values;
        EXPECT_EQ(pager.AddValue(3.5), 1);
        EXPECT_EQ(pager.valueAt(1), 3.5);
    }
}

TEST(ChartPager, AxisAndFillReportOnlyChanges)
{
    ChartPager pager(100);
    EXPECT_TRUE(pager.SetValueMax(4000));
    EXPECT_FALSE(pager.SetValueMax(4000));
    EXPECT_TRUE(pager.SetValueMin(-4000));
    EXPECT_FALSE(pager.SetValueMin(-4000));
    EXPECT_EQ(pager.valueMax(), 4000);
    EXPECT_EQ(pager.valueMin(), -4000);
    EXPECT_FALSE(pager.SetFillVisible(true));
    EXPECT_TRUE(pager.SetFillVisible(false));
    EXPECT_FALSE(pager.fillVisible());
    EXPECT_TRUE(pager.SetFillVisible(true));
}

TEST(ChartPager, VisibleRangeHoldsThePointsOfTheWindow)
{
    ChartPager pager(10);
    for (int i = 1; i <= 25; ++i)
        pager.AddValue(i * 1.5);
    const auto shown = pager.visibleRange();
    EXPECT_EQ(shown.first, 21);
    EXPECT_EQ(shown.last, 25);
    EXPECT_EQ(pager.valueAt(21), 31.5);
}

TEST(ChartPager, PageSizeEntry)
{
    struct Case {
        const char *text;
        std::int32_t size;
        bool replaced;
    };
    for (const Case &c :
         {Case{"100", 100, false}, Case{"7", 7, false}, Case{"", 100, true}, Case{"0", 100, true},
          Case{"abc", 100, true}, Case{"-5", 100, true}, Case{"99999999999", 100, true}}) {
        const auto entry = ChartPager::pageSizeFromText(c.text);
        EXPECT_EQ(entry.size, c.size) << c.text;
        EXPECT_EQ(entry.textReplaced, c.replaced) << c.text;
    }
}

// The pager takes several checked steps at once; this reference takes them one by one, with the
// largest and smallest X looked up among the points, and must always agree.
class ReferencePager {
public:
    explicit ReferencePager(std::int32_t size)
    {
        setPageSize(size);
        min = 1;
        max = pageSize;
        count = 1;
        page = 1;
        xs.push_back(0);
    }
    std::int32_t add()
    {
        xs.push_back(static_cast<std::int64_t>(xs.size()));
        recount();
        if (!browsing) {
            forward();
            page = count;
        }
        return page;
    }
    std::int32_t first()
    {
        if (count <= 1 || page == 1)
            return page;
        for (int i = 0; i < page - 1; ++i)
            backward();
        page = 1;
        browsing = true;
        return page;
    }
    std::int32_t last()
    {
        if (count <= 1 || page == count)
            return page;
        for (int i = 0; i < count - page; ++i)
            forward();
        page = count;
        browsing = false;
        return page;
    }
    std::int32_t next()
    {
        if (count > 1 && page != count) {
            forward();
            ++page;
            browsing = page != count;
        }
        return page;
    }
    std::int32_t prior()
    {
        if (page > 1) {
            backward();
            --page;
            browsing = true;
        }
        return page;
    }
    void setPageSize(std::int32_t size)
    {
        if (size == pageSize)
            return;
        pageSize = size;
        min = 1;
        max = size;
        recount();
        for (int i = 0; i < count - 1; ++i)
            forward();
        page = count;
        browsing = false;
    }
    std::int32_t clear()
    {
        first();
        xs.assign(1, 0);
        min = 1;
        max = pageSize;
        page = 1;
        count = 1;
        browsing = false;
        return page;
    }

    std::vector<std::int64_t> xs;
    std::int32_t page = 0, pageSize = 0, count = 0;
    bool browsing = false;
    std::int64_t min = 0, max = 0;

private:
    void recount()
    {
        const auto n = static_cast<std::int32_t>(xs.size());
        count = n / pageSize + (n % pageSize > 0 ? 1 : 0);
    }
    void forward()
    {
        if (*std::max_element(xs.begin(), xs.end()) > max) {
            min += pageSize;
            max += pageSize;
        }
    }
    void backward()
    {
        if (*std::min_element(xs.begin(), xs.end()) < min) {
            min -= pageSize;
            max -= pageSize;
        }
    }
};

TEST(ChartPager, AgreesWithStepByStepPagingOverRandomUse)
{
    std::mt19937 random(20240611);
    for (int run = 0; run < 40; ++run) {
        const std::int32_t size = 1 + static_cast<std::int32_t>(random() % 12);
        ChartPager pager(size);
        ReferencePager reference(size);
        for (int op = 0; op < 600; ++op) {
            const unsigned pick = random() % 20;
            std::int32_t got = 0;
            std::int32_t want = 0;
            if (pick < 11) {
                got = pager.AddValue(op);
                want = reference.add();
            } else if (pick == 11) {
                got = pager.FirstPage();
                want = reference.first();
            } else if (pick < 14) {
                got = pager.PriorPage();
                want = reference.prior();
            } else if (pick < 16) {
                got = pager.NextPage();
                want = reference.next();
            } else if (pick == 16) {
                got = pager.LastPage();
                want = reference.last();
            } else if (pick == 17) {
                const std::int32_t newSize = 1 + static_cast<std::int32_t>(random() % 12);
                pager.SetPageSize(newSize);
                reference.setPageSize(newSize);
            } else if (pick == 18 && random() % 4 == 0) {
                got = pager.ClearPoints();
                want = reference.clear();
            }
            ASSERT_EQ(got, want) << "run " << run << " op " << op;
            ASSERT_EQ(pager.page(), reference.page);
            ASSERT_EQ(pager.pageCount(), reference.count);
            ASSERT_EQ(pager.browsing(), reference.browsing);
            ASSERT_EQ(windowOf(pager), (Window{reference.min, reference.max}))
                << "run " << run << " op " << op;
            ASSERT_EQ(pager.pointCount(), reference.xs.size());
        }
    }
}

} // namespace
} // namespace vireo
