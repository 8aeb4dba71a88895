#include "core/FileNames.h"

#include <gtest/gtest.h>

#include <tuple>

namespace vireo {
namespace {

TEST(FileNames, LogSaveNameKeepsOnlyExactKnownExtensions)
{
    const std::pair<const char *, const char *> cases[] = {
        {"run1", "run1.xls"},
        {"run1.csv", "run1.csv"},
        {"run1.CSV", "run1.xls"},
        {"run1.XML", "run1.xls"},
        {"run1.Xls", "run1.xls"},
        {"run1.xml", "run1.xml"},
        {"run1.txt", "run1.txt"},
        {"run1.xls", "run1.xls"},
        {"run1.", "run1.xls"},
        {"run.1.2", "run.1.xls"},
        {"/home/me/logs.d/run1", "/home/me/logs.d/run1.xls"},
        {"/home/me/logs.d/run1.dat", "/home/me/logs.d/run1.xls"},
        {"/home/me/logs.xml/run1", "/home/me/logs.xml/run1.xls"},
    };
    for (const auto &[chosen, saved] : cases)
        EXPECT_EQ(logSaveFileName(chosen), saved) << chosen;

    // The type chosen in the dialog names only a name typed without an extension.
    const std::tuple<const char *, const char *, const char *> typed[] = {
        {"run6", "xml", "run6.xml"},     {"run6", "txt", "run6.txt"},
        {"run6.", "xml", "run6.xml"},    {"run6.XML", "xml", "run6.xls"},
        {"run6.dat", "txt", "run6.xls"}, {"run6.xls", "xml", "run6.xls"},
        {"run6", "csv", "run6.csv"},     {"a.d/run6", "xml", "a.d/run6.xml"},
        {"run6", "bmp", "run6.xls"},
    };
    for (const auto &[chosen, type, saved] : typed)
        EXPECT_EQ(logSaveFileName(chosen, type), saved) << chosen << " as " << type;
}

TEST(FileNames, XmlAndCsvTestsIgnoreCase)
{
    EXPECT_TRUE(isCsvLogFileName("/p/a.Csv"));
    EXPECT_FALSE(isCsvLogFileName("/p.csv/a.xml"));
    EXPECT_TRUE(isXmlLogFileName("a.xml"));
    EXPECT_TRUE(isXmlLogFileName("a.XML"));
    EXPECT_TRUE(isXmlLogFileName("/p/a.Xml"));
    EXPECT_FALSE(isXmlLogFileName("a.xls"));
    EXPECT_FALSE(isXmlLogFileName("a.xmlx"));
    EXPECT_FALSE(isXmlLogFileName("xml"));
    EXPECT_FALSE(isXmlLogFileName("/p.xml/a"));
    EXPECT_FALSE(isXmlLogFileName("a.yml"));
}

TEST(FileNames, PictureNameKeepsOnlyExactBmp)
{
    EXPECT_EQ(pictureSaveFileName("chart.png"), "chart.bmp");
    EXPECT_EQ(pictureSaveFileName("chart.BMP"), "chart.bmp");
    EXPECT_EQ(pictureSaveFileName("chart.bmp"), "chart.bmp");
    EXPECT_EQ(pictureSaveFileName("chart"), "chart.bmp");
    EXPECT_EQ(pictureSaveFileName("/tmp/a.b/chart"), "/tmp/a.b/chart.bmp");
}

} // namespace
} // namespace vireo
