#include "links/JvHidControllerClass.h"
#include "links/LinuxHidPlatform.h"

#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>

namespace vireo {
namespace {

TEST(LinuxHidPlatform, StartupScanReportsOneChangeAndArrivalsOnlyForListedDevices)
{
    auto platform = std::make_shared<LinuxHidPlatform>();
    ASSERT_TRUE(platform->available());
    TJvHidDeviceController controller(platform);
    int changes = 0;
    int arrivals = 0;
    controller.setOnArrival([&arrivals](TJvHidDevice &) { ++arrivals; });
    controller.setOnDeviceChange([&changes](TJvHidDeviceController &) { ++changes; });
    ASSERT_TRUE(QTest::qWaitFor([&changes] { return changes > 0; }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(static_cast<std::size_t>(arrivals), controller.DeviceList().size());
    EXPECT_LE(controller.DeviceList().size(), platform->enumerate().size());
}

TEST(LinuxHidPlatform, OpeningAMissingNodeFailsWithItsError)
{
    LinuxHidPlatform platform;
    const HidOpenResult rw = platform.open("/dev/hidraw-vireo-missing", HidAccess::ReadWrite);
    EXPECT_FALSE(rw.handle);
    EXPECT_EQ(rw.error, static_cast<std::uint32_t>(ENOENT));
    EXPECT_FALSE(platform.open("/dev/hidraw-vireo-missing", HidAccess::QueryOnly).handle);
    EXPECT_FALSE(platform.errorMessage(ENODEV).empty());
}

} // namespace
} // namespace vireo
