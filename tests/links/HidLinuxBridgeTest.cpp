// The real Linux backend over the stand-in for hidapi and libudev, playing the meter's cable
// and the other devices of a desktop.
#include "links/JvHidControllerClass.h"
#include "links/LinuxHidPlatform.h"
#include "support/HidDoubleDevices.h"
#include "support/HidDoubleLibrary.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>

namespace vireo {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::bridgeDevice;
using test::bridgeReport;
using test::mouseDevice;

// The configuration report of a 19200-baud meter, as the window builds it.
const Bytes kFeature = {0x00, 0x00, 0x4B, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00};

class LinuxHidBridge : public ::testing::Test {
protected:
    LinuxHidBridge() { control().reset(); }
    ~LinuxHidBridge() override
    {
        devices.clear();
        controller.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform.reset();
        EXPECT_EQ(control().openDevices(), 0);
        control().reset();
    }

    static test::HidDoubleControl &control()
    {
        return test::HidDoubleLibrary::instance().control();
    }

    void startController()
    {
        platform = std::make_shared<LinuxHidPlatform>(test::HidDoubleLibrary::instance().api());
        controller = std::make_unique<TJvHidDeviceController>(platform);
        controller->setOnArrival([this](TJvHidDevice &d) { events.push_back("+" + name(d)); });
        controller->setOnRemoval([this](TJvHidDevice &d) { events.push_back("-" + name(d)); });
        controller->setOnDeviceChange([this](TJvHidDeviceController &) { ++changes; });
        controller->setOnDeviceDataError(
            [this](TJvHidDevice &, std::uint32_t error) { readErrors.push_back(error); });
        ASSERT_TRUE(QTest::qWaitFor([this] { return changes > 0; }, 5000));
        ASSERT_GT(control().initCalls(), 0) << "the backend is not on the stand-in";
    }

    static std::string name(TJvHidDevice &device)
    {
        const std::string &path = device.PnPInfo().DevicePath;
        return path.substr(path.rfind('/') + 1);
    }

    TJvHidDevice &claim(const std::string &sysname)
    {
        const auto list = controller->DeviceList();
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (name(*list[i]) == sysname && !list[i]->Claimed()) {
                devices.emplace_back();
                EXPECT_TRUE(controller->ClaimByIndex(devices.back(), static_cast<int>(i)));
                return *devices.back();
            }
        }
        ADD_FAILURE() << sysname << " is not listed";
        std::abort();
    }

    void record(TJvHidDevice &device)
    {
        device.setOnReport(
            [this](TJvHidDevice &, std::uint8_t id, const std::uint8_t *data, std::uint16_t size) {
                reports.push_back(Bytes{id});
                reports.back().insert(reports.back().end(), data, data + size);
            });
    }

    bool waitForReports(std::size_t count)
    {
        return QTest::qWaitFor([this, count] { return reports.size() >= count; }, 5000);
    }

    std::shared_ptr<LinuxHidPlatform> platform;
    std::unique_ptr<TJvHidDeviceController> controller;
    std::vector<std::unique_ptr<TJvHidDevice>> devices;
    std::vector<std::string> events;
    std::vector<Bytes> reports;
    std::vector<std::uint32_t> readErrors;
    int changes = 0;
};

TEST_F(LinuxHidBridge, ScanTellsEachNodeByItsSysfsDeviceAndItsUsbPlace)
{
    const std::string first = control().add(bridgeDevice("hidraw0", "1-2:1.0"));
    control().add(mouseDevice("hidraw1"));
    control().add(bridgeDevice("hidraw2", "1-3:1.0", 2));
    startController();

    EXPECT_EQ(events, (std::vector<std::string>{"+hidraw0", "+hidraw1", "+hidraw2"}));
    ASSERT_EQ(controller->DeviceList().size(), 3u);
    TJvHidDevice &cable = claim("hidraw0");
    EXPECT_EQ(cable.PnPInfo().DevicePath, first);
    EXPECT_TRUE(cable.PnPInfo().DevInst.ends_with("/0003:1234:5678.1001"));
    EXPECT_EQ(cable.PnPInfo().Location, "1234:5678:@1-2:1.0");
    EXPECT_EQ(cable.Attributes().VendorID, 0x1234);
    EXPECT_EQ(cable.ProductString(), u"USB to Serial");
    EXPECT_EQ(cable.InputReportLength(), 9);
    EXPECT_TRUE(cable.CanReadWrite());
    EXPECT_EQ(cable.OpenError(), 0u);

    // Two cables of one kind are two devices, told apart by where they are plugged in.
    TJvHidDevice &second = claim("hidraw2");
    EXPECT_FALSE(second.PnPInfo().SameDevice(cable.PnPInfo()));
    EXPECT_EQ(claim("hidraw1").ProductString(), u"Wireless Receiver");
}

TEST_F(LinuxHidBridge, ReportsOfTheCableReachTheReaderWithTheZeroIdFirst)
{
    const std::string node = control().add(bridgeDevice("hidraw0", "1-2:1.0"));
    control().queueInput(node, bridgeReport({0x31, 0x32, 0x33}));
    control().queueInput(node, bridgeReport({0x0D, 0x0A}));
    startController();
    TJvHidDevice &cable = claim("hidraw0");
    record(cable);

    ASSERT_TRUE(waitForReports(2));
    EXPECT_EQ(reports[0], (Bytes{0x00, 0xF3, 0x31, 0x32, 0x33, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(reports[1], (Bytes{0x00, 0xF2, 0x0D, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00}));

    // Between frames the cable sends empty reports as fast as it can; every one is delivered.
    control().streamInput(node, bridgeReport({}));
    ASSERT_TRUE(waitForReports(20));
    EXPECT_EQ(reports.back(), (Bytes{0x00, 0xF0, 0, 0, 0, 0, 0, 0, 0}));
    cable.setOnReport(nullptr);
    const std::size_t delivered = control().reportsRead(node);
    QTest::qWait(50);
    EXPECT_EQ(control().reportsRead(node), delivered) << "the reader goes on after unbinding";
}

TEST_F(LinuxHidBridge, FeatureReportGoesOutAtTheLengthTheDeviceDeclares)
{
    const std::string cableNode = control().add(bridgeDevice("hidraw0", "1-2:1.0"));
    test::HidDoubleDevice roomy = bridgeDevice("hidraw1", "1-3:1.0", 2);
    roomy.reportDescriptor = test::bridgeDescriptor(16);
    const std::string roomyNode = control().add(roomy);
    test::HidDoubleDevice silent = bridgeDevice("hidraw2", "1-4:1.0", 3);
    silent.reportDescriptor = {};
    const std::string silentNode = control().add(silent);
    startController();

    EXPECT_TRUE(claim("hidraw0").SendFeature(kFeature));
    EXPECT_TRUE(claim("hidraw1").SendFeature(kFeature));
    EXPECT_TRUE(claim("hidraw2").SendFeature(kFeature));
    // Report ID and the five declared bytes: speed 19200 and the fixed 0x03.
    EXPECT_EQ(control().sentFeatures(cableNode),
              (std::vector<Bytes>{{0x00, 0x00, 0x4B, 0x00, 0x00, 0x03}}));
    // A longer declared report, or none declared, gets the whole report.
    EXPECT_EQ(control().sentFeatures(roomyNode), (std::vector<Bytes>{kFeature}));
    EXPECT_EQ(control().sentFeatures(silentNode), (std::vector<Bytes>{kFeature}));
}

TEST_F(LinuxHidBridge, AnotherDevicePluggedInLeavesTheReadingCableAlone)
{
    const std::string node = control().add(bridgeDevice("hidraw0", "1-2:1.0"));
    control().streamInput(node, bridgeReport({}));
    startController();
    record(claim("hidraw0"));
    ASSERT_TRUE(waitForReports(10));
    events.clear();

    const std::string mouse = control().plug(mouseDevice("hidraw1"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return changes == 2; }, 5000));
    EXPECT_EQ(events, (std::vector<std::string>{"+hidraw1"}));
    control().unplug(mouse);
    ASSERT_TRUE(QTest::qWaitFor([this] { return changes == 3; }, 5000));
    EXPECT_EQ(events, (std::vector<std::string>{"+hidraw1", "-hidraw1"}));

    const std::size_t before = reports.size();
    EXPECT_TRUE(waitForReports(before + 10));
    EXPECT_TRUE(devices.front()->Attached());
    EXPECT_TRUE(readErrors.empty());
}

TEST_F(LinuxHidBridge, CablePluggedInAgainIsTheSameDeviceUnderANewSysfsName)
{
    const std::string node = control().add(bridgeDevice("hidraw0", "1-2:1.0"));
    control().streamInput(node, bridgeReport({}));
    startController();
    TJvHidDevice &cable = claim("hidraw0");
    record(cable);
    ASSERT_TRUE(waitForReports(1));
    const TJvHidPnPInfo before = cable.PnPInfo();

    control().unplug(node);
    ASSERT_TRUE(QTest::qWaitFor([this] { return changes == 2; }, 5000));
    EXPECT_EQ(events.back(), "-hidraw0");
    EXPECT_FALSE(cable.Attached());
    // The reader finds the node gone and says so until it is stopped.
    ASSERT_TRUE(QTest::qWaitFor([this] { return !readErrors.empty(); }, 5000));
    EXPECT_EQ(readErrors.front(), static_cast<std::uint32_t>(ENODEV));
    devices.clear();

    // Back in the same port, under another node name.
    control().plug(bridgeDevice("hidraw3", "1-2:1.0", 2));
    ASSERT_TRUE(QTest::qWaitFor([this] { return changes == 3; }, 5000));
    EXPECT_EQ(events.back(), "+hidraw3");
    TJvHidDevice &again = claim("hidraw3");
    EXPECT_NE(again.PnPInfo().DevInst, before.DevInst);
    EXPECT_TRUE(again.PnPInfo().SameDevice(before));
    // In another port it is taken for another cable.
    control().plug(bridgeDevice("hidraw4", "1-5:1.0", 3));
    ASSERT_TRUE(QTest::qWaitFor([this] { return changes == 4; }, 5000));
    EXPECT_FALSE(claim("hidraw4").PnPInfo().SameDevice(before));
}

TEST_F(LinuxHidBridge, NodeWithoutAccessIsListedAndTellsWhy)
{
    test::HidDoubleDevice locked = bridgeDevice("hidraw0", "1-2:1.0");
    locked.accessDenied = true;
    const std::string node = control().add(locked);
    startController();

    TJvHidDevice &cable = claim("hidraw0");
    EXPECT_EQ(cable.ProductString(), u"USB to Serial");
    EXPECT_FALSE(cable.CanReadWrite());
    EXPECT_TRUE(cable.AccessDenied());
    EXPECT_EQ(cable.OpenError(), static_cast<std::uint32_t>(EACCES));
    EXPECT_NE(controller->errorMessage(cable.OpenError()).find("ermission"), std::string::npos);
    EXPECT_FALSE(cable.SendFeature(kFeature));
    EXPECT_TRUE(control().sentFeatures(node).empty());
}

} // namespace
} // namespace vireo
