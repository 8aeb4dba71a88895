#include "core/HidIntake.h"
#include "links/JvHidControllerClass.h"
#include "support/FakeHidPlatform.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace vireo {
namespace {

using Events = std::vector<std::string>;

FakeHidPlatform::Device fakeDevice(const std::string &name,
                                   std::u16string product = u"USB to Serial")
{
    FakeHidPlatform::Device device;
    device.path = "/fake/" + name;
    device.instance = "inst-" + name;
    device.product = std::move(product);
    device.attributes = {0x1A86, 0xE008, 0x0100};
    return device;
}

class HidControllerTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        claimed.clear();
        controller.reset();
        EXPECT_EQ(platform->openHandles(), 0);
    }

    void start()
    {
        controller = std::make_unique<TJvHidDeviceController>(platform);
        controller->setOnArrival([this](TJvHidDevice &d) {
            EXPECT_TRUE(d.BeingListed());
            events.push_back("arrival " + d.PnPInfo().DevInst);
        });
        controller->setOnRemoval([this](TJvHidDevice &d) {
            EXPECT_TRUE(d.BeingListed());
            events.push_back("removal " + d.PnPInfo().DevInst);
        });
        controller->setOnDeviceChange(
            [this](TJvHidDeviceController &) { events.push_back("change"); });
        EXPECT_TRUE(events.empty()) << "the first scan waits for the event loop";
        settle();
    }

    // Runs the posted device-change notifications.
    static void settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    std::vector<std::string> listedInstances() const
    {
        std::vector<std::string> instances;
        for (TJvHidDevice *device : controller->DeviceList())
            instances.push_back(device->PnPInfo().DevInst);
        return instances;
    }

    // What the window does on a device change: claim every listed device.
    std::int32_t claimAll()
    {
        controller->setOnEnumerate([this](TJvHidDevice &d, std::int32_t idx) {
            EXPECT_TRUE(d.BeingListed());
            std::unique_ptr<TJvHidDevice> device;
            EXPECT_TRUE(controller->ClaimByIndex(device, idx));
            claimed.push_back(std::move(device));
            return true;
        });
        return controller->ListDevices();
    }

    std::shared_ptr<FakeHidPlatform> platform = std::make_shared<FakeHidPlatform>();
    std::unique_ptr<TJvHidDeviceController> controller;
    std::vector<std::unique_ptr<TJvHidDevice>> claimed;
    Events events;
};

TEST_F(HidControllerTest, StartWithoutDevicesReportsOneChangeAndNoArrival)
{
    start();
    EXPECT_EQ(events, Events{"change"});
    EXPECT_TRUE(platform->watching());
}

TEST_F(HidControllerTest, StartWithDevicesReportsArrivalsInScanOrderThenOneChange)
{
    platform->plug(fakeDevice("a"));
    platform->plug(fakeDevice("b"));
    start();
    EXPECT_EQ(events, (Events{"arrival inst-a", "arrival inst-b", "change"}));
    EXPECT_EQ(listedInstances(), (std::vector<std::string>{"inst-a", "inst-b"}));
}

TEST_F(HidControllerTest, RescanFiresOnlyForRealChanges)
{
    platform->plug(fakeDevice("a"));
    start();
    events.clear();
    platform->notifyChange();
    settle();
    EXPECT_TRUE(events.empty());

    platform->plug(fakeDevice("b"));
    settle();
    EXPECT_EQ(events, (Events{"arrival inst-b", "change"}));

    events.clear();
    platform->unplug("/fake/a");
    settle();
    EXPECT_EQ(events, (Events{"removal inst-a", "change"}));
    EXPECT_EQ(listedInstances(), std::vector<std::string>{"inst-b"});
}

TEST_F(HidControllerTest, UnpluggedClaimedDeviceStaysListedUntilReleased)
{
    platform->plug(fakeDevice("a"));
    platform->plug(fakeDevice("b"));
    start();
    std::unique_ptr<TJvHidDevice> a;
    ASSERT_TRUE(controller->ClaimByIndex(a, 0));
    a->setOnDetach([this](TJvHidDevice &) { events.push_back("detach"); });
    events.clear();

    platform->unplug("/fake/a");
    settle();
    EXPECT_EQ(events, (Events{"detach", "removal inst-a", "change"}));
    EXPECT_FALSE(a->Attached());
    EXPECT_EQ(controller->DeviceList().front(), a.get());

    // Still not released at the next rescan: gone again, but detached only once.
    events.clear();
    platform->notifyChange();
    settle();
    EXPECT_EQ(events, (Events{"removal inst-a", "change"}));

    a.reset();
    EXPECT_EQ(listedInstances(), std::vector<std::string>{"inst-b"});
    events.clear();
    platform->notifyChange();
    settle();
    EXPECT_TRUE(events.empty());
}

TEST_F(HidControllerTest, ClaimByIndexRefusesBadIndexAndSecondClaim)
{
    platform->plug(fakeDevice("a"));
    start();
    std::unique_ptr<TJvHidDevice> device;
    EXPECT_FALSE(controller->ClaimByIndex(device, -1));
    EXPECT_FALSE(controller->ClaimByIndex(device, 1));
    EXPECT_FALSE(device);
    ASSERT_TRUE(controller->ClaimByIndex(device, 0));
    EXPECT_TRUE(device->Claimed());
    std::unique_ptr<TJvHidDevice> again;
    EXPECT_FALSE(controller->ClaimByIndex(again, 0));
    EXPECT_FALSE(again);
}

TEST_F(HidControllerTest, ListDevicesWithoutHandlerOnlyTellsWhetherAnyIsAttached)
{
    start();
    EXPECT_EQ(controller->ListDevices(), 0);
    platform->plug(fakeDevice("a"));
    platform->plug(fakeDevice("b"));
    settle();
    EXPECT_EQ(controller->ListDevices(), 1);

    std::unique_ptr<TJvHidDevice> a;
    ASSERT_TRUE(controller->ClaimByIndex(a, 0));
    platform->unplug("/fake/a");
    platform->unplug("/fake/b");
    settle();
    ASSERT_EQ(controller->DeviceList().size(), 1u);
    EXPECT_EQ(controller->ListDevices(), 0);
}

TEST_F(HidControllerTest, ListDevicesLetsTheHandlerClaimEachAndStopEarly)
{
    platform->plug(fakeDevice("a"));
    platform->plug(fakeDevice("b"));
    platform->plug(fakeDevice("c"));
    start();
    EXPECT_EQ(claimAll(), 3);
    ASSERT_EQ(claimed.size(), 3u);
    for (const auto &device : claimed) {
        ASSERT_TRUE(device);
        EXPECT_TRUE(device->Claimed());
        EXPECT_FALSE(device->BeingListed());
    }
    claimed.clear();

    int visits = 0;
    controller->setOnEnumerate([&visits](TJvHidDevice &, std::int32_t) {
        ++visits;
        return false;
    });
    EXPECT_EQ(controller->ListDevices(), 1);
    EXPECT_EQ(visits, 1);
}

TEST_F(HidControllerTest, IdentityIsReadOnlyWhileClaimedOrBeingListed)
{
    platform->plug(fakeDevice("a"));
    start();
    TJvHidDevice &unclaimed = *controller->DeviceList().front();
    EXPECT_EQ(unclaimed.ProductString(), u"");
    EXPECT_FALSE(unclaimed.SendFeature(adapterFeatureReport(19200)));
    EXPECT_EQ(unclaimed.Attributes().ProductID, 0xE008);

    std::u16string listedName;
    controller->setOnEnumerate([&listedName](TJvHidDevice &d, std::int32_t) {
        listedName = d.ProductString();
        return true;
    });
    controller->ListDevices();
    EXPECT_EQ(listedName, u"USB to Serial");
    EXPECT_EQ(platform->openHandles(), 0) << "listing closes the handles of unclaimed devices";
}

TEST_F(HidControllerTest, SerialNumberIsShownOnlyWhenItDiffersFromTheLanguageList)
{
    auto echoesLanguages = fakeDevice("a");
    echoesLanguages.serial = u"\u0409";
    auto realSerial = fakeDevice("b");
    realSerial.serial = u"A1B2";
    auto unreadableLanguages = fakeDevice("c");
    unreadableLanguages.serial = u"A1B2";
    unreadableLanguages.languageIds.reset();
    platform->plug(echoesLanguages);
    platform->plug(realSerial);
    platform->plug(unreadableLanguages);
    start();
    claimAll();
    ASSERT_EQ(claimed.size(), 3u);
    EXPECT_EQ(claimed[0]->SerialString(), u"");
    EXPECT_EQ(claimed[1]->SerialString(), u"A1B2");
    EXPECT_EQ(claimed[2]->SerialString(), u"");
    EXPECT_EQ(HidDeviceName(claimed[1]->ProductString(), claimed[1]->SerialString(),
                            claimed[1]->Attributes().VendorID, claimed[1]->Attributes().ProductID),
              "USB to Serial (Serial=A1B2)");
}

TEST_F(HidControllerTest, ReleaseReturnsAFreshUnclaimedDeviceToTheSamePosition)
{
    platform->plug(fakeDevice("a"));
    platform->plug(fakeDevice("b"));
    platform->plug(fakeDevice("c"));
    start();
    std::unique_ptr<TJvHidDevice> b;
    ASSERT_TRUE(controller->ClaimByIndex(b, 1));
    b->setThreadWaitTime(250);
    b->setOnReport([](TJvHidDevice &, std::uint8_t, const std::uint8_t *, std::uint16_t) {});
    const TJvHidDevice *released = b.get();
    b.reset();

    ASSERT_EQ(listedInstances(), (std::vector<std::string>{"inst-a", "inst-b", "inst-c"}));
    TJvHidDevice &fresh = *controller->DeviceList()[1];
    EXPECT_NE(&fresh, released);
    EXPECT_FALSE(fresh.Claimed());
    EXPECT_TRUE(fresh.Attached());
    EXPECT_EQ(fresh.ThreadWaitTime(), 250);
    EXPECT_TRUE(fresh.OnReport());
    EXPECT_TRUE(controller->ClaimByIndex(b, 1));
    EXPECT_EQ(events, (Events{"arrival inst-a", "arrival inst-b", "arrival inst-c", "change"}));
}

TEST_F(HidControllerTest, ReleasingADeviceThatVanishedUnnoticedDropsIt)
{
    platform->plug(fakeDevice("a"));
    start();
    std::unique_ptr<TJvHidDevice> a;
    ASSERT_TRUE(controller->ClaimByIndex(a, 0));
    platform->unplug("/fake/a"); // the notification is not processed yet
    a.reset();
    EXPECT_TRUE(controller->DeviceList().empty());
}

TEST_F(HidControllerTest, DevicesThatCannotBeOpenedOrIdentifiedAreLeftOut)
{
    auto closed = fakeDevice("x");
    closed.openable = false;
    auto anonymous = fakeDevice("y");
    anonymous.identifiable = false;
    auto queryOnly = fakeDevice("z");
    queryOnly.readWrite = false;
    platform->plug(closed);
    platform->plug(anonymous);
    platform->plug(queryOnly);
    start();
    EXPECT_EQ(events, (Events{"arrival inst-z", "change"}));

    std::unique_ptr<TJvHidDevice> z;
    ASSERT_TRUE(controller->ClaimByIndex(z, 0));
    EXPECT_EQ(z->ProductString(), u"USB to Serial");
    EXPECT_FALSE(z->CanReadWrite());
    EXPECT_FALSE(z->SendFeature(adapterFeatureReport(19200)));
}

TEST_F(HidControllerTest, SendFeatureReachesAClaimedDeviceReportIdFirst)
{
    platform->plug(fakeDevice("a"));
    start();
    std::unique_ptr<TJvHidDevice> a;
    ASSERT_TRUE(controller->ClaimByIndex(a, 0));
    EXPECT_TRUE(a->SendFeature(adapterFeatureReport(2400)));
    const auto sent = platform->sentFeatures("/fake/a");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], (std::vector<std::uint8_t>{0x00, 0x60, 0x09, 0, 0, 0x03, 0, 0, 0, 0}));
}

TEST_F(HidControllerTest, ControllerDefaultsRebindOnlyDevicesStillUsingThem)
{
    std::vector<int> calls;
    const auto handler = [&calls](int id) {
        return [&calls, id](TJvHidDevice &, std::uint8_t, const std::uint8_t *, std::uint16_t) {
            calls.push_back(id);
        };
    };
    platform->plug(fakeDevice("a"));
    platform->plug(fakeDevice("b"));
    controller = std::make_unique<TJvHidDeviceController>(platform);
    controller->setOnDeviceData(handler(1));
    settle();
    std::unique_ptr<TJvHidDevice> a;
    ASSERT_TRUE(controller->ClaimByIndex(a, 0));
    a->setOnReport(handler(7));

    controller->setOnDeviceData(handler(2));
    TJvHidDevice &b = *controller->DeviceList()[1];
    b.OnReport()(b, 0, nullptr, 0);
    a->OnReport()(*a, 0, nullptr, 0);
    EXPECT_EQ(calls, (std::vector<int>{2, 7}));
}

TEST_F(HidControllerTest, SleepTimeReachesDevicesStillOnThePreviousValue)
{
    platform->plug(fakeDevice("a"));
    platform->plug(fakeDevice("b"));
    start();
    TJvHidDevice &a = *controller->DeviceList()[0];
    TJvHidDevice &b = *controller->DeviceList()[1];
    a.setThreadWaitTime(300);
    a.setThreadWaitTime(5);
    a.setThreadWaitTime(10001);
    EXPECT_EQ(a.ThreadWaitTime(), 300);

    controller->setDevThreadSleepTime(50);
    EXPECT_EQ(a.ThreadWaitTime(), 300);
    EXPECT_EQ(b.ThreadWaitTime(), 50);
    platform->plug(fakeDevice("c"));
    settle();
    EXPECT_EQ(controller->DeviceList()[2]->ThreadWaitTime(), 100);
}

TEST_F(HidControllerTest, BindingOnDeviceChangeAfterTheFirstScanRescansAtOnce)
{
    start();
    events.clear();
    platform->plug(fakeDevice("a")); // notification posted, not yet run
    controller->setOnDeviceChange(
        [this](TJvHidDeviceController &) { events.push_back("rebound change"); });
    EXPECT_EQ(events, (Events{"arrival inst-a", "rebound change"}));
    settle();
    EXPECT_EQ(events.size(), 2u);
}

TEST_F(HidControllerTest, NotificationsDuringARescanAreIgnored)
{
    platform->plug(fakeDevice("a"));
    controller = std::make_unique<TJvHidDeviceController>(platform);
    int arrivals = 0;
    controller->setOnArrival([this, &arrivals](TJvHidDevice &) {
        ++arrivals;
        EXPECT_TRUE(controller->InDeviceChange());
        controller->DeviceChange();
    });
    settle();
    EXPECT_EQ(arrivals, 1);
    EXPECT_FALSE(controller->InDeviceChange());
}

TEST_F(HidControllerTest, WithoutHidServicesNothingHappens)
{
    platform->setAvailable(false);
    platform->plug(fakeDevice("a"));
    start();
    EXPECT_TRUE(events.empty());
    EXPECT_FALSE(platform->watching());
    EXPECT_EQ(controller->ListDevices(), 0);
}

TEST_F(HidControllerTest, DestroyingTheControllerDetachesClaimedDevices)
{
    platform->plug(fakeDevice("a"));
    platform->plug(fakeDevice("b"));
    start();
    std::unique_ptr<TJvHidDevice> a;
    ASSERT_TRUE(controller->ClaimByIndex(a, 0));
    a->setOnDetach([this](TJvHidDevice &) { events.push_back("detach"); });
    controller.reset();
    EXPECT_EQ(events.back(), "detach");
    EXPECT_FALSE(a->Attached());
    EXPECT_EQ(a->Owner(), nullptr);
    EXPECT_FALSE(platform->watching());
    a.reset();
}

} // namespace
} // namespace vireo
