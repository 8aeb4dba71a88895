// Details of the window's look that once were wrong.
#include "FormTestSupport.h"

#include <QCheckBox>
#include <QPushButton>
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
        EXPECT_LE(captionLeft(box), captionLeft(plain) - 3) << name;
        // The whole caption lies in the box with a pixel to spare, so no letter is cut or
        // touches the button beside it.
        EXPECT_LT(captionLeft(box) + box.fontMetrics().horizontalAdvance(box.text()), box.width())
            << name;
    }
    EXPECT_EQ(captionLeft(fx.get<QCheckBox>("RepeatSet")), captionLeft(plain) - 3);
    // "Sampling Interval" ends before the interval box that lies over its blanks.
    const auto &interval = fx.get<QCheckBox>("RecordSI");
    EXPECT_LE(interval.x() + captionLeft(interval) +
                  interval.fontMetrics().horizontalAdvance(QStringLiteral("Sampling Interval")),
              fx.get<QWidget>("RecordSITime").x());
}

// A page number of four digits fits its button.
TEST(WindowLook, APageNumberOfFourDigitsFitsItsButton)
{
    FormFixture fx;
    fx.get<TChartControl>("ChartCtl").SetPageSize(1);
    fx.show(std::vector<std::string>(1000, "A01234B00AD"));
    auto &page = fx.get<QPushButton>("Bt10");
    ASSERT_EQ(page.text(), "1001");
    QStyleOptionButton option;
    option.initFrom(&page);
    option.text = page.text();
    EXPECT_LE(page.fontMetrics().horizontalAdvance(page.text()),
              page.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &page).width());
}

TEST(WindowLook, WindowIconCarriesBothSizes)
{
    FormFixture fx;
    const QList<QSize> sizes = fx.form->windowIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(sizes.contains(QSize(32, 32)));
}

} // namespace
