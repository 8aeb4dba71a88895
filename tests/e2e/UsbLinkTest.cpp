// The real window on an in-memory USB adapter: claimed at start, configured, read by its
// reader thread, and pulled out while reading.
#include "FormTestSupport.h"

#include "app/lcd/LcdPanel.h"
#include "app/window/ToggleButton.h"
#include "core/LogTable.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace vireo;
using vireo::test::FormFixture;
using vireo::test::named;
using vireo::test::waitFor;

namespace {

FakeHidPlatform::Device adapter(const std::string &path)
{
    return test::fakeAdapter(path, "usb-" + path);
}

const std::vector<std::uint8_t> kFrame = {0x30, 0x31, 0x32, 0x33, 0x34, 0x3B,
                                          0x30, 0x30, 0x3A, 0x0D, 0x0A};

TEST(UsbLink, ConnectReadsFramesIntoTheLcdAndTheLog)
{
    FormFixture fx;
    fx.hid->plug(adapter("/dev/hidraw7"));
    TFCOMM &f = *fx.form;
    ASSERT_TRUE(waitFor([&] { return named<QListWidget>(f, "DevListBox")->count() == 1; }));
    ASSERT_EQ(named<QListWidget>(f, "DevListBox")->currentRow(), 0);
    EXPECT_EQ(named<QListWidget>(f, "DevListBox")->item(0)->text(), "USB to Serial");
    EXPECT_EQ(named<QListWidget>(f, "HistoryListBox")->item(0)->text(), "Arrival of USB to Serial");

    QTest::mouseClick(named<ToggleButton>(f, "USBCon"), Qt::LeftButton);
    ASSERT_TRUE(named<ToggleButton>(f, "USBCon")->isDown());
    const auto sent = fx.hid->sentFeatures("/dev/hidraw7");
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), (std::vector<std::uint8_t>{0x00, 0x00, 0x4B, 0x00, 0x00, 0x03, 0x00,
                                                      0x00, 0x00, 0x00}));

    for (int i = 0; i < 3; ++i)
        for (auto &r : test::adapterReports(kFrame))
            fx.hid->queueReport("/dev/hidraw7", r);
    ASSERT_TRUE(waitFor([&] { return fx.rows() == 3; }));
    EXPECT_EQ(named<LcdPanel>(f, "Panel1")->caption(LcdMember::LcdDa) +
                  named<LcdPanel>(f, "Panel1")->caption(LcdMember::LcdDb) +
                  named<LcdPanel>(f, "Panel1")->caption(LcdMember::LcdDc) +
                  named<LcdPanel>(f, "Panel1")->caption(LcdMember::LcdDd),
              "1234");
    EXPECT_EQ(named<QLabel>(f, "USBtxt")->text(), "A01234B00AD");
    EXPECT_EQ(fx.cell(2, LogColumn::Value), "1.234");

    // Pulled out while reading: the history says so, the list is rebuilt without it.
    fx.hid->unplug("/dev/hidraw7");
    ASSERT_TRUE(waitFor([&] { return named<QListWidget>(f, "DevListBox")->count() == 0; }));
    bool removal = false;
    for (int i = 0; i < named<QListWidget>(f, "HistoryListBox")->count(); ++i)
        removal = removal || named<QListWidget>(f, "HistoryListBox")->item(i)->text() ==
                                 "Removal of USB to Serial";
    EXPECT_TRUE(removal);
    EXPECT_TRUE(named<ToggleButton>(f, "USBCon")->isDown());
    EXPECT_TRUE(waitFor([&] { return named<QLabel>(f, "CONokN")->isVisibleTo(&f); }, 1000));

    // Plugged in again, it is listed and selected once more.
    fx.hid->plug(adapter("/dev/hidraw8"));
    EXPECT_TRUE(waitFor([&] { return named<QListWidget>(f, "DevListBox")->count() == 1; }));
    EXPECT_EQ(named<QListWidget>(f, "DevListBox")->currentRow(), 0);
}

TEST(UsbLink, NoAdapterGivesTheMessageAndReleasesTheButton)
{
    FormFixture fx;
    TFCOMM &f = *fx.form;
    waitFor([] { return false; }, 100);
    QTest::mouseClick(named<ToggleButton>(f, "USBCon"), Qt::LeftButton);
    EXPECT_FALSE(named<ToggleButton>(f, "USBCon")->isDown());
    ASSERT_FALSE(fx.dialogs.said.isEmpty());
    EXPECT_EQ(fx.dialogs.said.back(),
              "info:USB interface cable is not securely connected, please check and re-try.");
}

TEST(UsbLink, SilentMeterIsReportedByTheWatchdog)
{
    FormFixture fx;
    fx.hid->plug(adapter("/dev/hidraw3"));
    TFCOMM &f = *fx.form;
    ASSERT_TRUE(waitFor([&] { return named<QListWidget>(f, "DevListBox")->count() == 1; }));
    QTest::mouseClick(named<ToggleButton>(f, "USBCon"), Qt::LeftButton);
    fx.hid->streamReport("/dev/hidraw3", {0x00, 0xF0, 0, 0, 0, 0, 0, 0, 0});
    ASSERT_TRUE(waitFor(
        [&] {
            return !fx.dialogs.said.isEmpty() &&
                   fx.dialogs.said.back() == "info:USB interface cable is securely connected, "
                                             "please check if the meter is ready.";
        },
        8000));
    fx.hid->streamReport("/dev/hidraw3", {});
    EXPECT_FALSE(named<ToggleButton>(f, "USBCon")->isDown());
}

} // namespace

namespace {

TEST(UsbLink, DeviceListNamesAndSelection)
{
    FormFixture fx;
    FakeHidPlatform::Device first = adapter("/dev/hidraw1");
    FakeHidPlatform::Device second = adapter("/dev/hidraw2");
    FakeHidPlatform::Device withSerial = adapter("/dev/hidraw3");
    withSerial.serial = u"A1B2";
    FakeHidPlatform::Device nameless = adapter("/dev/hidraw4");
    nameless.product.clear();
    nameless.attributes = {0x1234, 0xABCD, 1};
    for (const auto &d : {first, second, withSerial, nameless})
        fx.hid->plug(d);
    TFCOMM &f = *fx.form;
    ASSERT_TRUE(waitFor([&] { return named<QListWidget>(f, "DevListBox")->count() == 4; }));
    QStringList names;
    for (int i = 0; i < named<QListWidget>(f, "DevListBox")->count(); ++i)
        names << named<QListWidget>(f, "DevListBox")->item(i)->text();
    EXPECT_TRUE(names.contains("USB to Serial (Serial=A1B2)"));
    EXPECT_TRUE(names.contains("Device VID=1234 PID=ABCD"));
    // The later of the two plain adapters is the selected line; the one with a serial
    // number is not chosen.
    ASSERT_GE(named<QListWidget>(f, "DevListBox")->currentRow(), 0);
    EXPECT_EQ(named<QListWidget>(f, "DevListBox")->currentItem()->text(), "USB to Serial");
    EXPECT_EQ(named<QListWidget>(f, "DevListBox")->currentRow(),
              names.lastIndexOf("USB to Serial"));
}

TEST(UsbLink, FeatureReportFollowsTheModel)
{
    ModelSwitches heron;
    heron.IFHeron = true;
    FormFixture fx(heron);
    fx.hid->plug(adapter("/dev/hidraw5"));
    TFCOMM &f = *fx.form;
    ASSERT_TRUE(waitFor([&] { return named<QListWidget>(f, "DevListBox")->count() == 1; }));
    QTest::mouseClick(named<QPushButton>(f, "SetFeature"), Qt::LeftButton);
    const auto sent = fx.hid->sentFeatures("/dev/hidraw5");
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), (std::vector<std::uint8_t>{0x00, 0x60, 0x09, 0x00, 0x00, 0x03, 0x00,
                                                      0x00, 0x00, 0x00}));
    EXPECT_EQ(named<QListWidget>(f, "HistoryListBox")->currentItem()->text().trimmed(),
              "60 09 00 00 03 00 00 00 00");
}

} // namespace
