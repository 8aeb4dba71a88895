// The comparison behind the window's reference pictures: it must see every changed pixel and
// report changes as few, tight rectangles.
#include "PixelDiff.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>

using vireo::pixels::differingRegions;
using vireo::pixels::diffPicture;

namespace {

QImage blank()
{
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

TEST(PixelDiff, IdenticalPicturesHaveNoRegions)
{
    QImage indexed = blank().convertToFormat(QImage::Format_Indexed8);
    EXPECT_TRUE(differingRegions(blank(), blank()).empty());
    // The stored format does not matter, only the colours.
    EXPECT_TRUE(differingRegions(indexed, blank()).empty());
}

TEST(PixelDiff, OneChangedPixelIsOneTightRegion)
{
    QImage changed = blank();
    changed.setPixel(137, 42, qRgb(254, 255, 255));
    const auto regions = differingRegions(blank(), changed);
    ASSERT_EQ(regions.size(), 1u);
    EXPECT_EQ(regions[0].rect, QRect(137, 42, 1, 1));
    EXPECT_EQ(regions[0].pixels, 1);
    const QImage picture = diffPicture(blank(), changed, regions);
    EXPECT_EQ(picture.size(), changed.size());
    EXPECT_EQ(picture.pixel(137, 42), qRgb(255, 0, 255));
}

TEST(PixelDiff, NearChangesJoinAndDistantOnesStayApart)
{
    QImage changed = blank();
    // A caption's strokes a few pixels apart, and a second change far away.
    changed.setPixel(10, 10, qRgb(0, 0, 0));
    changed.setPixel(16, 12, qRgb(0, 0, 0));
    changed.setPixel(21, 10, qRgb(0, 0, 0));
    changed.setPixel(150, 80, qRgb(0, 0, 0));
    auto regions = differingRegions(blank(), changed);
    ASSERT_EQ(regions.size(), 2u);
    std::sort(regions.begin(), regions.end(),
              [](const auto &a, const auto &b) { return a.rect.x() < b.rect.x(); });
    EXPECT_EQ(regions[0].rect, QRect(10, 10, 12, 3));
    EXPECT_EQ(regions[0].pixels, 3);
    EXPECT_EQ(regions[1].rect, QRect(150, 80, 1, 1));
}

TEST(PixelDiff, PicturesOfDifferentSizesDifferEverywhere)
{
    const QImage larger(201, 100, QImage::Format_RGB32);
    const auto regions = differingRegions(blank(), larger);
    ASSERT_EQ(regions.size(), 1u);
    EXPECT_EQ(regions[0].rect, QRect(0, 0, 201, 100));
}

} // namespace
