#include "app/scale/AnalogScale.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QImage>
#include <QString>

#include <cmath>

namespace vireo {
namespace {

const QSize kPanel(614, 376);
const ScaleClass kClass4{"4", 80, 4000};
const ScaleMarks kHighMarked{2000, -4002, true, false};

// Centre pixel of the fine dot at fine position `j`.
QPoint fineDotCentre(const QSize &panel, std::int32_t j)
{
    const ScaleGeometry geometry(panel.width(), panel.height());
    const ScalePoint at = geometry.pointAt(geometry.angleFor(j, 800), geometry.radius() + 3);
    return {at.x + 1, at.y + 1};
}

// Pixels in the 3 x 3 block around `p` that have colour `colour`.
int countAround(const QImage &image, QPoint p, QColor colour)
{
    int n = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            n += image.pixelColor(p.x() + dx, p.y() + dy) == colour ? 1 : 0;
    return n;
}

// The point of the pointer `distance` pixels from its tip.
QPoint alongNeedle(const NeedleLine &needle, double distance)
{
    const double dx = static_cast<double>(needle.base.x) - needle.tip.x;
    const double dy = static_cast<double>(needle.base.y) - needle.tip.y;
    const double length = std::hypot(dx, dy);
    return {static_cast<int>(std::lround(needle.tip.x + dx / length * distance)),
            static_cast<int>(std::lround(needle.tip.y + dy / length * distance))};
}

class AnalogScaleRender : public testing::Test {
protected:
    void SetUp() override
    {
        scale.resizeImage(kPanel);
        scale.KDsetup(kPanel, kClass4, kHighMarked);
    }

    AnalogScale scale;
};

TEST_F(AnalogScaleRender, DialAndNeedle)
{
    scale.KDrun(kPanel, 650, 80); // +2500 counts, past the marked limit
    const QImage &image = scale.image();
    ASSERT_TRUE(
        image.save(QDir(QStringLiteral(VIREO_TEST_OUTPUT_DIR)).filePath("analog-scale.png")));

    EXPECT_EQ(image.pixelColor(fineDotCentre(kPanel, 750)), QColor(255, 0, 0)) << "beyond 2000";
    EXPECT_EQ(image.pixelColor(fineDotCentre(kPanel, 300)), QColor(Qt::black)) << "inside";
    EXPECT_EQ(image.pixelColor(5, 200), QColor(Qt::white)) << "background";
    // The zero label sits at the top of the arc, above the arc's marks.
    int ink = 0;
    for (int y = 8; y < 22; ++y)
        for (int x = 304; x < 314; ++x)
            ink += image.pixelColor(x, y) != QColor(Qt::white) ? 1 : 0;
    EXPECT_GT(ink, 5);

    const NeedleLine needle = scale.LastNeedle();
    for (const double distance : {10.0, 60.0, 150.0, 250.0})
        EXPECT_GE(countAround(image, alongNeedle(needle, distance), Qt::black), 3) << distance;
}

TEST_F(AnalogScaleRender, MovingTheNeedleErasesTheOldOne)
{
    scale.KDrun(kPanel, 650, 80);
    const NeedleLine old = scale.LastNeedle();
    scale.KDrun(kPanel, 150, 80);
    const QImage &image = scale.image();
    for (const double distance : {40.0, 120.0, 200.0})
        EXPECT_EQ(countAround(image, alongNeedle(old, distance), Qt::black), 0) << distance;
    EXPECT_GE(countAround(image, alongNeedle(scale.LastNeedle(), 120), Qt::black), 3);
}

TEST_F(AnalogScaleRender, RedrawingWithTheLimitUnmarkedTurnsDotsBlack)
{
    scale.KDsetup(kPanel, kClass4, {2000, -4002, false, false});
    EXPECT_EQ(scale.image().pixelColor(fineDotCentre(kPanel, 750)), QColor(Qt::black));
}

TEST_F(AnalogScaleRender, PanelWithoutArcLeavesPictureAndNeedleAlone)
{
    scale.KDrun(kPanel, 400, 80);
    const QImage before = scale.image().copy();
    const NeedleLine needle = scale.LastNeedle();
    for (const QSize panel : {QSize(0, 0), QSize(614, 60), QSize(40, 376)}) {
        scale.KDsetup(panel, kClass4, kHighMarked);
        scale.KDrun(panel, 650, 80);
        EXPECT_EQ(scale.image(), before);
        EXPECT_EQ(scale.LastNeedle(), needle);
    }
}

TEST_F(AnalogScaleRender, FarOffPositionsStillDrawTheNeedle)
{
    for (const std::int32_t position : {-4000, 5000, 2'000'000'000}) {
        scale.KDrun(kPanel, position, 80);
        const NeedleLine needle = scale.LastNeedle();
        ASSERT_TRUE(scale.image().rect().adjusted(1, 1, -1, -1).contains(alongNeedle(needle, 20)))
            << position;
        EXPECT_GE(countAround(scale.image(), alongNeedle(needle, 20), Qt::black), 3) << position;
    }
}

} // namespace
} // namespace vireo
