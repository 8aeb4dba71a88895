#include "links/JvHidControllerClass.h"
#include "support/FakeHidPlatform.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace vireo {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

const std::string kPath = "/fake/adapter";

struct Received {
    std::uint8_t reportId;
    Bytes data;
    bool onGuiThread;
};

class HidReaderTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        device.reset();
        controller.reset();
        // Readers stopped from inside their own handler are destroyed by the event loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(platform->openHandles(), 0);
    }

    void claimAdapter(HidInputCaps caps = {9, false}, bool readWrite = true)
    {
        FakeHidPlatform::Device adapter;
        adapter.path = kPath;
        adapter.instance = "adapter";
        adapter.product = u"USB to Serial";
        adapter.caps = caps;
        adapter.readWrite = readWrite;
        platform->plug(adapter);
        controller = std::make_unique<TJvHidDeviceController>(platform);
        controller->setOnDeviceDataError(
            [this](TJvHidDevice &, std::uint32_t error) { errors.push_back(error); });
        QCoreApplication::processEvents();
        ASSERT_TRUE(controller->ClaimByIndex(device, 0));
    }

    TJvHidDataEvent recorder()
    {
        return
            [this](TJvHidDevice &, std::uint8_t id, const std::uint8_t *data, std::uint16_t size) {
                received.push_back(
                    {id, Bytes(data, data + size),
                     QThread::currentThread() == QCoreApplication::instance()->thread()});
            };
    }

    bool waitForReports(std::size_t count)
    {
        return QTest::qWaitFor([this, count] { return received.size() >= count; }, 5000);
    }

    std::shared_ptr<FakeHidPlatform> platform = std::make_shared<FakeHidPlatform>();
    std::unique_ptr<TJvHidDeviceController> controller;
    std::unique_ptr<TJvHidDevice> device;
    std::vector<Received> received;
    std::vector<std::uint32_t> errors;
};

TEST_F(HidReaderTest, ReportsArriveWholeInOrderOnTheGuiThread)
{
    claimAdapter();
    ASSERT_EQ(device->InputReportLength(), 9);
    platform->queueReport(kPath, {0x00, 0xF3, 0x31, 0x32, 0x33, 0x00, 0x00, 0x00, 0x00});
    platform->queueReport(kPath, {0x00, 0xF0, 0, 0, 0, 0, 0, 0, 0});
    device->setOnReport(recorder());
    ASSERT_TRUE(waitForReports(2));
    EXPECT_EQ(received[0].reportId, 0x00);
    EXPECT_EQ(received[0].data, (Bytes{0xF3, 0x31, 0x32, 0x33, 0, 0, 0, 0}));
    EXPECT_TRUE(received[0].onGuiThread);
    EXPECT_EQ(received[1].data.front(), 0xF0);
}

TEST_F(HidReaderTest, NumberedReportKeepsItsId)
{
    claimAdapter({5, true});
    device->setOnReport(recorder());
    platform->queueReport(kPath, {0x05, 0x02, 0x0D, 0x0A, 0x00});
    ASSERT_TRUE(waitForReports(1));
    EXPECT_EQ(received[0].reportId, 0x05);
    EXPECT_EQ(received[0].data, (Bytes{0x02, 0x0D, 0x0A, 0x00}));
}

TEST_F(HidReaderTest, ReaderWaitsWhileTheHandlerRuns)
{
    claimAdapter();
    platform->streamReport(kPath, {0x00, 0x01, 0x30});
    std::size_t duringHandler = 0;
    std::size_t afterSleep = 0;
    device->setOnReport([&](TJvHidDevice &, std::uint8_t, const std::uint8_t *, std::uint16_t) {
        if (duringHandler != 0)
            return;
        duringHandler = platform->readAttempts(kPath);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        afterSleep = platform->readAttempts(kPath);
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return afterSleep != 0; }, 5000));
    EXPECT_EQ(duringHandler, afterSleep);
}

TEST_F(HidReaderTest, StopTakesEffectWithinOneSlice)
{
    claimAdapter();
    device->setThreadWaitTime(300);
    device->setOnReport(recorder());
    QTest::qWait(50);
    const auto begin = Clock::now();
    device->setOnReport(nullptr);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - begin);
    EXPECT_LT(took.count(), 300 + 200);
}

TEST_F(HidReaderTest, FailingReadsAreRetriedOncePerSlice)
{
    claimAdapter();
    device->setThreadWaitTime(50);
    platform->failReads(kPath, 5);
    device->setOnReport(recorder());
    QTest::qWait(500);
    device->setOnReport(nullptr);
    // About ten in half a second; a reader that retried at once would count thousands.
    EXPECT_GE(errors.size(), 3u);
    EXPECT_LE(errors.size(), 15u);
    EXPECT_LE(platform->readAttempts(kPath), 16u);
    for (std::uint32_t error : errors)
        EXPECT_EQ(error, 5u);
    EXPECT_TRUE(received.empty());
}

TEST_F(HidReaderTest, UnpluggedDeviceReportsItsAbsenceOncePerSlice)
{
    claimAdapter();
    device->setThreadWaitTime(50);
    device->setOnReport(recorder());
    platform->unplug(kPath);
    QTest::qWait(500);
    EXPECT_FALSE(device->Attached());
    device->setOnReport(nullptr);
    EXPECT_GE(errors.size(), 3u);
    EXPECT_LE(errors.size(), 15u);
    for (std::uint32_t error : errors)
        EXPECT_EQ(error, FakeHidPlatform::GoneError);
}

TEST_F(HidReaderTest, StoppingWhileAHandOverWaitsDoesNotDeadlock)
{
    claimAdapter();
    platform->streamReport(kPath, {0x00, 0x01, 0x30});
    device->setOnReport(recorder());
    // The reader is now blocked handing a report to a GUI thread that does not answer.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto begin = Clock::now();
    device->setOnReport(nullptr);
    EXPECT_LT(Clock::now() - begin, std::chrono::milliseconds(300));
    QTest::qWait(50);
    EXPECT_TRUE(received.empty()) << "a cancelled hand-over must not run later";
}

TEST_F(HidReaderTest, HandlerMayUnbindItself)
{
    claimAdapter();
    platform->streamReport(kPath, {0x00, 0x01, 0x30});
    int calls = 0;
    device->setOnReport(
        [&calls](TJvHidDevice &d, std::uint8_t, const std::uint8_t *data, std::uint16_t size) {
            ++calls;
            d.setOnReport(nullptr);
            EXPECT_EQ(Bytes(data, data + size), (Bytes{0x01, 0x30}));
        });
    ASSERT_TRUE(QTest::qWaitFor([&calls] { return calls > 0; }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(calls, 1);
}

TEST_F(HidReaderTest, HandlerMayReleaseItsDevice)
{
    claimAdapter();
    platform->streamReport(kPath, {0x00, 0x02, 0x41, 0x42});
    bool released = false;
    device->setOnReport([this, &released](TJvHidDevice &, std::uint8_t, const std::uint8_t *data,
                                          std::uint16_t size) {
        if (released)
            return;
        released = true;
        device.reset();
        // The report stays readable until the handler returns.
        EXPECT_EQ(Bytes(data, data + size), (Bytes{0x02, 0x41, 0x42}));
    });
    ASSERT_TRUE(QTest::qWaitFor([&released] { return released; }, 5000));
    QTest::qWait(50);
    ASSERT_EQ(controller->DeviceList().size(), 1u);
    EXPECT_FALSE(controller->DeviceList().front()->Claimed());
}

TEST_F(HidReaderTest, QueryOnlyDeviceGetsNoReader)
{
    claimAdapter({9, false}, false);
    device->setOnReport(recorder());
    QTest::qWait(50);
    EXPECT_EQ(platform->readAttempts(kPath), 0u);
}

TEST_F(HidReaderTest, StartingAndStoppingAThousandTimesWhileReportsFlow)
{
    claimAdapter();
    device->setThreadWaitTime(10);
    platform->streamReport(kPath, {0x00, 0x01, 0x30});
    for (int i = 0; i < 1000; ++i) {
        const std::size_t before = received.size();
        device->setOnReport(recorder());
        // Half the readers deliver a report first; the others are stopped at once, often
        // with a hand-over still waiting.
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (i % 2 == 0 && received.size() == before && Clock::now() < deadline)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        device->setOnReport(nullptr);
    }
    EXPECT_GE(received.size(), 500u);
    // Every reader closed its read handle; the claimed device holds none.
    EXPECT_EQ(platform->openHandles(), 0);
}

} // namespace
} // namespace vireo
