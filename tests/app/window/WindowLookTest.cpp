// Details of the window's look that once were wrong.
#include "FormTestSupport.h"

#include <QCheckBox>
#include <QStyleOptionButton>

#include <gtest/gtest.h>

using namespace vireo;
using vireo::test::FormFixture;

namespace {

int captionLeft(const QCheckBox &box)
{
    QStyleOptionButton option;
    option.initFrom(&box);
    option.text = box.text();
    return box.style()->subElementRect(QStyle::SE_CheckBoxContents, &option, &box).left();
}

TEST(WindowLook, RecordBarCaptionsStartWhereTheyWereDesigned)
{
    FormFixture fx;
    QCheckBox plain;
    plain.setFont(fx.get<QCheckBox>("RepeatSet").font());
    for (const char *name : {"RepeatSet", "RecordSI"}) {
        const auto &box = fx.get<QCheckBox>(name);
        EXPECT_EQ(captionLeft(box), captionLeft(plain) - 3) << name;
        // The ink of the whole caption lies in the box, so no letter is cut.
        EXPECT_LE(captionLeft(box) + box.fontMetrics().boundingRect(box.text()).right(),
                  box.width())
            << name;
    }
    // "Sampling Interval" ends before the interval box that lies over its blanks.
    const auto &interval = fx.get<QCheckBox>("RecordSI");
    EXPECT_LE(interval.x() + captionLeft(interval) +
                  interval.fontMetrics().horizontalAdvance(QStringLiteral("Sampling Interval")),
              fx.get<QWidget>("RecordSITime").x());
}

TEST(WindowLook, WindowIconCarriesBothSizes)
{
    FormFixture fx;
    const QList<QSize> sizes = fx.form->windowIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(sizes.contains(QSize(32, 32)));
}

} // namespace
