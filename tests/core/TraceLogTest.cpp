#include "core/TraceLog.h"

#include <gtest/gtest.h>

#include <string>

using vireo::TraceLog;

TEST(TraceLog, KeepsTheNewestLinesInOrder)
{
    TraceLog log(3);
    for (int i = 1; i <= 5; ++i)
        log.append("line " + std::to_string(i));
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log.line(0), "line 3");
    EXPECT_EQ(log.line(1), "line 4");
    EXPECT_EQ(log.line(2), "line 5");
}

TEST(TraceLog, StaysBoundedOverALongRun)
{
    TraceLog log(100);
    for (int i = 0; i < 100000; ++i)
        log.append("A01234B00AD");
    EXPECT_EQ(log.size(), 100u);
    log.clear();
    EXPECT_EQ(log.size(), 0u);
    log.append("x");
    EXPECT_EQ(log.line(0), "x");
}
