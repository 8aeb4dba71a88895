// When the serial driver reads: a silent line costs no wake-up, a quiet line is read as soon as
// bytes come, and a stream is read once per polling delay however often bytes arrive.
#include "links/ComDrv32.h"
#include "support/SerialTestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace vireo {
namespace {

using test::Bytes;
using test::DescriptorWakeups;
using test::Pty;
using test::runEventLoopFor;
using test::ScopedEnv;
using test::text;

// Timer events that reach the driver or one of its own objects.
class DriverTimerEvents : public QObject {
public:
    explicit DriverTimerEvents(const QObject &driver) : m_driver(driver)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~DriverTimerEvents() override { QCoreApplication::instance()->removeEventFilter(this); }

    bool eventFilter(QObject *receiver, QEvent *event) override
    {
        if (event->type() == QEvent::Timer &&
            (receiver == &m_driver || receiver->parent() == &m_driver))
            ++count;
        return false;
    }

    int count = 0;

private:
    const QObject &m_driver;
};

// Every delivery with the time it came, counted from the start of the test.
struct TimedDeliveries {
    std::vector<Bytes> chunks;
    std::vector<qint64> at;
    QElapsedTimer clock;

    void bind(TCommPortDriver &driver)
    {
        clock.start();
        driver.OnReceiveData = [this](TCommPortDriver *, const std::uint8_t *data,
                                      std::int32_t size) {
            chunks.emplace_back(data, data + size);
            at.push_back(clock.elapsed());
        };
    }
    Bytes all() const
    {
        Bytes bytes;
        for (const Bytes &chunk : chunks)
            bytes.insert(bytes.end(), chunk.begin(), chunk.end());
        return bytes;
    }
};

class TCommPortDriverPolling : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ok());
        driver.SetComPort(pnCOM1);
        deliveries.bind(driver);
    }

    void open(std::uint16_t pollingDelay)
    {
        driver.SetComPortPollingDelay(pollingDelay);
        ASSERT_TRUE(driver.OpenPort()) << driver.lastOpenError().toStdString();
        // The poll that follows the opening.
        runEventLoopFor(pollingDelay + 60);
    }

    Pty pty;
    ScopedEnv com1{"VIREO_COM1", pty.path()};
    TCommPortDriver driver;
    TimedDeliveries deliveries;
};

TEST_F(TCommPortDriverPolling, ASilentLineWakesNothing)
{
    open(50);
    DriverTimerEvents timers(driver);
    DescriptorWakeups descriptors;
    runEventLoopFor(500);
    EXPECT_EQ(timers.count, 0);
    EXPECT_EQ(descriptors.count, 0);
    EXPECT_FALSE(test::anyTimerActive(driver));
    EXPECT_TRUE(deliveries.chunks.empty());
}

TEST_F(TCommPortDriverPolling, BytesAfterAQuietPeriodComeAtOnceAndWhole)
{
    open(1000);
    pty.send("first");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !deliveries.chunks.empty(); }, 2000));
    runEventLoopFor(1100);
    deliveries.chunks.clear();
    deliveries.at.clear();
    const qint64 sent = deliveries.clock.elapsed();
    pty.send("A012345678\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !deliveries.chunks.empty(); }, 2000));
    EXPECT_LT(deliveries.at.front() - sent, 300) << "waited for a poll of a silent line";
    runEventLoopFor(50);
    ASSERT_EQ(deliveries.chunks.size(), 1u);
    EXPECT_EQ(deliveries.chunks.front(), text("A012345678\r\n"));
}

TEST_F(TCommPortDriverPolling, AStreamIsReadOncePerPeriodNotAtEveryArrival)
{
    open(50);
    Bytes sent;
    QTimer meter;
    std::uint8_t next = 0;
    QObject::connect(&meter, &QTimer::timeout, [&] {
        Bytes frame(11);
        for (std::uint8_t &b : frame)
            b = next++;
        pty.send(frame);
        sent.insert(sent.end(), frame.begin(), frame.end());
    });
    meter.start(4);
    DescriptorWakeups descriptors;
    const qint64 from = deliveries.clock.elapsed();
    runEventLoopFor(600);
    meter.stop();
    const int arrivals = static_cast<int>(sent.size() / 11);
    ASSERT_TRUE(QTest::qWaitFor([&] { return deliveries.all().size() >= sent.size(); }, 1000));

    EXPECT_EQ(deliveries.all(), sent);
    const auto polls = static_cast<int>(deliveries.chunks.size());
    EXPECT_LE(polls, 600 / 50 + 3);
    EXPECT_LT(descriptors.count, arrivals / 2) << arrivals << " arrivals, " << polls << " polls";
    for (std::size_t i = 1; i < deliveries.at.size(); ++i) {
        if (deliveries.at[i - 1] < from)
            continue;
        EXPECT_GE(deliveries.at[i] - deliveries.at[i - 1], 45) << "delivery " << i;
    }
}

TEST_F(TCommPortDriverPolling, APurgeWhileBytesWaitForThePollKeepsTheLineAlive)
{
    open(1000);
    pty.send("x");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !deliveries.chunks.empty(); }, 2000));
    // Within the period after that poll: the bytes wait on the line.
    pty.send("stale");
    runEventLoopFor(50);
    driver.SetComPortSpeed(br38400);
    pty.send("fresh");
    ASSERT_TRUE(QTest::qWaitFor([&] { return deliveries.all().size() >= 6; }, 3000));
    runEventLoopFor(100);
    EXPECT_EQ(deliveries.all(), text("xfresh"));
}

TEST_F(TCommPortDriverPolling, ALineThatGoesWhileBytesWaitForThePollIsLetGo)
{
    open(1000);
    pty.send("x");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !deliveries.chunks.empty(); }, 2000));
    pty.send("last words");
    runEventLoopFor(50);
    pty.hangUp();

    // What the driver took from the line is delivered; the system may drop the rest with
    // the line.
    ASSERT_TRUE(QTest::qWaitFor([&] { return deliveries.all().size() >= 2; }, 3000));
    DescriptorWakeups descriptors;
    runEventLoopFor(300);
    EXPECT_LT(descriptors.count, 20) << "the event loop spins on the dead descriptor";
    const Bytes all = deliveries.all();
    const Bytes whole = text("xlast words");
    ASSERT_LE(all.size(), whole.size());
    EXPECT_TRUE(std::equal(all.begin(), all.end(), whole.begin()));
    EXPECT_TRUE(driver.IsPortOpen());
}

TEST_F(TCommPortDriverPolling, AHandlerWaitingInAMessageBoxIsNotCalledAgainMeanwhile)
{
    open(50);
    // The first delivery runs the event loop, as a message box would, while more bytes come.
    int depth = 0;
    int deepest = 0;
    std::vector<Bytes> handed;
    bool waited = false;
    driver.OnReceiveData = [&](TCommPortDriver *, const std::uint8_t *data, std::int32_t size) {
        ++depth;
        deepest = std::max(deepest, depth);
        const Bytes chunk(data, data + size);
        if (!waited) {
            waited = true;
            pty.send("more");
            runEventLoopFor(200);
            pty.send(" still");
            runEventLoopFor(200);
        }
        // The bytes are those handed at the call, not what a later read put in their place.
        EXPECT_EQ(Bytes(data, data + size), chunk);
        handed.push_back(chunk);
        --depth;
    };
    pty.send("first");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            Bytes all;
            for (const Bytes &c : handed)
                all.insert(all.end(), c.begin(), c.end());
            return all.size() >= 15;
        },
        3000));
    EXPECT_EQ(deepest, 1);
    Bytes all;
    for (const Bytes &c : handed)
        all.insert(all.end(), c.begin(), c.end());
    EXPECT_EQ(all, text("firstmore still"));
}

} // namespace
} // namespace vireo
