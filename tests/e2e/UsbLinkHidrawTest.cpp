// The real window on the real Linux HID backend, over the stand-in for hidapi and libudev
// playing the meter's cable and the other devices of a desktop.
#include "FormTestSupport.h"

#include "app/log/LogGrid.h"
#include "app/window/ToggleButton.h"
#include "core/LogTable.h"
#include "links/LinuxHidPlatform.h"
#include "support/HidDoubleDevices.h"
#include "support/HidDoubleLibrary.h"

#include <QListWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <iostream>

namespace vireo {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::bridgeDevice;
using test::bridgeReport;
using test::mouseDevice;
using test::waitFor;

// One meter frame: range 0, digits 1 2 3 4, then function, status and options.
const Bytes kFrame = {0x30, 0x31, 0x32, 0x33, 0x34, 0x3B, 0x30, 0x30, 0x3A, 0x0D, 0x0A};

test::HidDoubleControl &control()
{
    return test::HidDoubleLibrary::instance().control();
}

class UsbLinkOverHidraw : public ::testing::Test {
protected:
    UsbLinkOverHidraw()
    {
        control().reset();
        QObject::connect(&meter, &QTimer::timeout, [this] {
            control().queueInput(meterNode,
                                 bridgeReport(Bytes(kFrame.begin(), kFrame.begin() + 7)));
            control().queueInput(meterNode, bridgeReport(Bytes(kFrame.begin() + 7, kFrame.end())));
            control().queueInput(meterNode, bridgeReport({}));
            ++framesSent;
        });
    }
    ~UsbLinkOverHidraw() override
    {
        meter.stop();
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(control().openDevices(), 0);
        control().reset();
    }

    void openWindow()
    {
        form = std::make_unique<TFCOMM>(
            ModelSwitches::shipped(), &dialogs,
            std::make_shared<LinuxHidPlatform>(test::HidDoubleLibrary::instance().api()));
    }

    QListWidget &devices() { return test::control<QListWidget>(*form, "DevListBox"); }
    ToggleButton &usbCon() { return test::control<ToggleButton>(*form, "USBCon"); }
    // The log as its grid shows it.
    std::size_t rows() const { return test::control<LogGrid>(*form, "DBGrid1").shownRowCount(); }
    void clickUsbConnect() { QTest::mouseClick(&usbCon(), Qt::LeftButton); }

    // The meter behind the cable at `node`: a frame every 40 ms, empty reports in between. The
    // cable ends each frame with an empty report of its own, however late the reader comes.
    void startMeter(const std::string &node)
    {
        meterNode = node;
        control().streamInput(node, bridgeReport({}));
        meter.start(40);
    }

    bool rowsGrowBy(std::size_t count, int ms = 3000)
    {
        const std::size_t target = rows() + count;
        return waitFor([&] { return rows() >= target; }, ms);
    }

    test::ScriptedDialogs dialogs;
    std::unique_ptr<TFCOMM> form;
    QTimer meter;
    std::string meterNode;
    std::size_t framesSent = 0;
};

TEST_F(UsbLinkOverHidraw, ReadingGoesOnWhileAnotherDeviceComesAndGoes)
{
    const std::string cable = control().add(bridgeDevice("hidraw0", "1-2:1.0"));
    openWindow();
    ASSERT_TRUE(waitFor([&] { return devices().count() == 1; }));
    startMeter(cable);
    clickUsbConnect();
    ASSERT_TRUE(usbCon().isDown());
    // The configuration report goes out at the 5 bytes the cable declares.
    EXPECT_EQ(control().sentFeatures(cable), (std::vector<Bytes>{{0x00, 0x00, 0x4B, 0, 0, 0x03}}));
    ASSERT_TRUE(rowsGrowBy(5));
    EXPECT_EQ(test::control<LogGrid>(*form, "DBGrid1").cellText(0, LogColumn::Value), "1.234");

    // A wireless mouse reconnecting, then going to sleep again.
    const std::size_t before = rows();
    const std::string mouse = control().plug(mouseDevice("hidraw1"));
    ASSERT_TRUE(waitFor([&] { return devices().count() == 2; }));
    EXPECT_TRUE(rowsGrowBy(10));
    const std::size_t whilePlugged = rows();
    control().unplug(mouse);
    ASSERT_TRUE(waitFor([&] { return devices().count() == 1; }));
    EXPECT_TRUE(rowsGrowBy(10));
    const std::size_t after = rows();
    std::cout << "log rows: " << before << " before the mouse was plugged in, " << whilePlugged
              << " while it was, " << after << " after it was unplugged\n";
    EXPECT_TRUE(usbCon().isDown());
    EXPECT_EQ(devices().currentItem()->text(), "USB to Serial");
    EXPECT_TRUE(dialogs.said.isEmpty()) << dialogs.said.join('\n').toStdString();

    // No frame is lost but for one in flight at each of the two restarts of the reader.
    meter.stop();
    const std::size_t sent = framesSent;
    EXPECT_TRUE(waitFor([&] { return rows() >= sent - 2; }));
    waitFor([&] { return rows() >= sent; }, 1000);
    std::cout << "frames sent " << sent << ", log rows " << rows() << '\n';
    // The cable was configured once: nothing about it changed.
    EXPECT_EQ(control().sentFeatures(cable).size(), 1u);
}

TEST_F(UsbLinkOverHidraw, CablePluggedInAgainIsReadAgainByItself)
{
    const std::string cable = control().add(bridgeDevice("hidraw0", "1-2:1.0"));
    openWindow();
    ASSERT_TRUE(waitFor([&] { return devices().count() == 1; }));
    startMeter(cable);
    clickUsbConnect();
    ASSERT_TRUE(rowsGrowBy(3));

    meter.stop();
    control().unplug(cable);
    ASSERT_TRUE(waitFor([&] { return devices().count() == 0; }));
    EXPECT_TRUE(usbCon().isDown());
    const std::size_t whileAway = rows();
    QTest::qWait(200);
    EXPECT_EQ(rows(), whileAway);

    // Back in the same port under another node name: configured again, and read.
    const std::string again = control().plug(bridgeDevice("hidraw3", "1-2:1.0", 2));
    ASSERT_TRUE(waitFor([&] { return devices().count() == 1; }));
    EXPECT_EQ(control().sentFeatures(again), (std::vector<Bytes>{{0x00, 0x00, 0x4B, 0, 0, 0x03}}));
    startMeter(again);
    EXPECT_TRUE(rowsGrowBy(5));
    EXPECT_TRUE(usbCon().isDown());
    EXPECT_TRUE(dialogs.said.isEmpty()) << dialogs.said.join('\n').toStdString();
}

TEST_F(UsbLinkOverHidraw, ACableWithoutAccessSaysWhyAndHowToFixIt)
{
    test::HidDoubleDevice locked = bridgeDevice("hidraw0", "1-2:1.0");
    locked.accessDenied = true;
    const std::string cable = control().add(locked);
    openWindow();
    ASSERT_TRUE(waitFor([&] { return devices().count() == 1; }));
    clickUsbConnect();

    EXPECT_FALSE(usbCon().isDown());
    ASSERT_EQ(dialogs.said.size(), 1);
    const QString said = dialogs.said.front();
    EXPECT_TRUE(said.startsWith("info:USB interface cable could not be opened"))
        << said.toStdString();
    EXPECT_TRUE(said.contains(QString::fromStdString("USB to Serial (" + cable + ")")));
    EXPECT_TRUE(said.contains("permission denied"));
    EXPECT_TRUE(said.contains("60-vireo.rules"));
    EXPECT_TRUE(said.contains("udevadm control --reload && sudo udevadm trigger"));
    EXPECT_TRUE(said.contains("plug it in again"));
    EXPECT_TRUE(control().sentFeatures(cable).empty());
}

TEST_F(UsbLinkOverHidraw, OfTwoCablesOnlyTheSelectedOneIsReadAndKeptAcrossChanges)
{
    const std::string first = control().add(bridgeDevice("hidraw0", "1-2:1.0"));
    const std::string second = control().add(bridgeDevice("hidraw1", "1-3:1.0", 2));
    openWindow();
    ASSERT_TRUE(waitFor([&] { return devices().count() == 2; }));
    ASSERT_EQ(devices().currentRow(), 1);
    control().streamInput(first, bridgeReport({}));
    startMeter(second);
    clickUsbConnect();
    ASSERT_TRUE(rowsGrowBy(3));
    EXPECT_TRUE(control().sentFeatures(first).empty());
    EXPECT_EQ(control().reportsRead(first), 0u);

    // The other cable pulled out and plugged back: the reading stays on the selected one.
    control().unplug(first);
    ASSERT_TRUE(waitFor([&] { return devices().count() == 1; }));
    EXPECT_TRUE(rowsGrowBy(5));
    const std::string back = control().plug(bridgeDevice("hidraw2", "1-2:1.0", 3));
    ASSERT_TRUE(waitFor([&] { return devices().count() == 2; }));
    EXPECT_TRUE(rowsGrowBy(5));
    EXPECT_TRUE(control().sentFeatures(back).empty());
    EXPECT_EQ(control().reportsRead(back), 0u);
    EXPECT_EQ(control().sentFeatures(second).size(), 1u);
}

} // namespace
} // namespace vireo
