// The max/min readout on the panel the window design keeps hidden.
#include "FormTestSupport.h"

#include <QFrame>
#include <QLabel>

#include <gtest/gtest.h>

using namespace vireo;
using vireo::test::FormFixture;

namespace {

TEST(MaxMinReadout, AHiddenPanelTakesTheLatestReadoutWhenShown)
{
    FormFixture fx;
    auto &panel = fx.get<QFrame>("Panel3");
    auto &max = fx.get<QLabel>("MaxText");
    auto &min = fx.get<QLabel>("MinText");
    auto &maxUnit = fx.get<QLabel>("MaxTextU");
    ASSERT_TRUE(panel.isHidden());
    const QString maxBefore = max.text();
    const QString minBefore = min.text();
    // The first reading of a unit starts a new max/min; the next ones move it.
    fx.show({"A01234B00AD", "A01300B00AD", "A01250B00AD"});
    // Nobody sees the hidden labels: they are not written with every reading.
    EXPECT_EQ(max.text(), maxBefore);
    EXPECT_EQ(min.text(), minBefore);

    panel.show();
    EXPECT_EQ(max.text(), "1.300");
    EXPECT_EQ(min.text(), "1.250");
    EXPECT_FALSE(maxUnit.text().isEmpty());
    // Shown, the labels follow each reading.
    fx.show("A01400B00AD");
    EXPECT_EQ(max.text(), "1.400");
    EXPECT_EQ(min.text(), "1.250");

    // Hidden again, they wait for the next showing once more.
    panel.hide();
    fx.show("A01100B00AD");
    EXPECT_EQ(min.text(), "1.250");
    panel.show();
    EXPECT_EQ(min.text(), "1.100");
    EXPECT_EQ(max.text(), "1.400");
}

} // namespace
