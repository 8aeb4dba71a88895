// The serial driver on pseudo-terminals: the tests own the master side and play the meter.
#include "links/ComDrv32.h"
#include "support/SerialTestSupport.h"

#include "core/FrameCollector.h"
#include "core/MeterFrame.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <fcntl.h>
#include <grp.h>
#include <memory>
#include <pwd.h>
#include <span>
#include <string>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

using namespace vireo;
using testing::HasSubstr;

using namespace vireo::test;

// A driver open on COM1, bound to a fresh pseudo-terminal, recording what it delivers.
class TCommPortDriverOpen : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ok());
        driver.SetComPort(pnCOM1);
        received.bind(driver);
        ASSERT_TRUE(driver.OpenPort());
    }

    Pty pty;
    ScopedEnv com1{"VIREO_COM1", pty.path()};
    TCommPortDriver driver;
    Received received;
};

TEST(TCommPortDriver, OpensExclusivelyWithARawLine)
{
    Pty pty;
    ASSERT_TRUE(pty.ok());
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("meter"));
    ASSERT_TRUE(QFile::link(QString::fromStdString(pty.path()), link));
    ScopedEnv com1("VIREO_COM1", pty.path());
    ScopedEnv com2("VIREO_COM2", link);

    TCommPortDriver first;
    first.SetComPort(pnCOM1);
    first.SetComPortSpeed(br19200);
    ASSERT_TRUE(first.OpenPort()) << first.lastOpenError().toStdString();
    EXPECT_TRUE(first.IsPortOpen());

    termios tio{};
    ASSERT_EQ(::tcgetattr(pty.slave(), &tio), 0);
    EXPECT_EQ(::cfgetispeed(&tio), static_cast<speed_t>(B19200));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(tio.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | IXON | IXOFF | INPCK), 0u);

    // Another driver, by the same name or through a link to the same device, is refused.
    TCommPortDriver second;
    second.SetComPort(pnCOM1);
    EXPECT_FALSE(second.OpenPort());
    EXPECT_FALSE(second.IsPortOpen());
    EXPECT_THAT(second.lastOpenError().toStdString(), HasSubstr("in use"));
    TCommPortDriver viaLink;
    viaLink.SetComPort(pnCOM2);
    EXPECT_FALSE(viaLink.OpenPort());

    first.ClosePort();
    EXPECT_FALSE(first.IsPortOpen());
    EXPECT_TRUE(second.OpenPort()) << second.lastOpenError().toStdString();
    EXPECT_TRUE(second.lastOpenError().isEmpty());
}

TEST_F(TCommPortDriverOpen, DeliversEveryByteValueUntranslated)
{

    Bytes everyValue(256);
    for (std::size_t i = 0; i < everyValue.size(); ++i)
        everyValue[i] = static_cast<std::uint8_t>(i);
    pty.send(everyValue);
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.total() >= 256; }, 1500));
    EXPECT_EQ(received.all(), everyValue);
}

TEST_F(TCommPortDriverOpen, OpeningAnOpenPortKeepsWhatIsWaiting)
{

    pty.send("waiting");
    EXPECT_TRUE(driver.OpenPort());
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.total() >= 7; }, 1500));
    EXPECT_EQ(received.all(), text("waiting"));
}

TEST(TCommPortDriver, PortAndBufferSizesAreFixedWhileOpen)
{
    Pty one;
    Pty two;
    ASSERT_TRUE(one.ok() && two.ok());
    ScopedEnv com1("VIREO_COM1", one.path());
    ScopedEnv com2("VIREO_COM2", two.path());
    TCommPortDriver driver;
    driver.SetComPort(pnCOM1);
    Received received;
    received.bind(driver);
    ASSERT_TRUE(driver.OpenPort());

    driver.SetComPort(pnCOM2);
    driver.SetComPortInBufSize(16);
    driver.SetComPortOutBufSize(16);
    EXPECT_EQ(driver.ComPort(), pnCOM1);
    EXPECT_EQ(driver.ComPortInBufSize(), 2048);
    EXPECT_EQ(driver.ComPortOutBufSize(), 2048);

    driver.ClosePort();
    ASSERT_TRUE(driver.OpenPort());
    one.send("from COM1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.total() >= 9; }, 1500));
    EXPECT_EQ(received.all(), text("from COM1"));
}

TEST_F(TCommPortDriverOpen, ASettingChangedWhileOpenIsAppliedAndDiscardsUnreadInput)
{

    pty.send("stale");
    driver.SetComPortSpeed(br38400);
    termios tio{};
    ASSERT_EQ(::tcgetattr(pty.slave(), &tio), 0);
    EXPECT_EQ(::cfgetispeed(&tio), static_cast<speed_t>(B38400));

    pty.send("fresh");
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.total() >= 5; }, 1500));
    QTest::qWait(120); // two more polls: nothing else may come
    EXPECT_EQ(received.all(), text("fresh"));
}

TEST(TCommPortDriver, APollWithoutBytesCallsNoHandler)
{
    Pty pty;
    ASSERT_TRUE(pty.ok());
    ScopedEnv com1("VIREO_COM1", pty.path());
    TCommPortDriver driver;
    driver.SetComPort(pnCOM1);
    driver.SetComPortPollingDelay(10);
    Received received;
    received.bind(driver);
    ASSERT_TRUE(driver.OpenPort());
    EXPECT_TRUE(anyTimerActive(driver));
    QTest::qWait(150);
    EXPECT_TRUE(received.chunks.empty());
}

TEST_F(TCommPortDriverOpen, APollDeliversAtMostTheBufferSize)
{

    Bytes burst(3000);
    for (std::size_t i = 0; i < burst.size(); ++i)
        burst[i] = static_cast<std::uint8_t>(i % 251);
    pty.send(burst);
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.total() >= burst.size(); }, 1500));
    ASSERT_EQ(received.chunks.size(), 2u);
    EXPECT_EQ(received.chunks[0].size(), 2048u);
    EXPECT_EQ(received.all(), burst);

    // A new size, taken while closed, bounds every poll from the next opening on.
    driver.ClosePort();
    driver.SetComPortInBufSize(100);
    received.chunks.clear();
    ASSERT_TRUE(driver.OpenPort());
    pty.send(Bytes(250, 0x5A));
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.total() >= 250; }, 1500));
    std::vector<std::size_t> sizes;
    for (const Bytes &chunk : received.chunks)
        sizes.push_back(chunk.size());
    EXPECT_EQ(sizes, (std::vector<std::size_t>{100, 100, 50}));
}

TEST(TCommPortDriver, AFailedOpenLeavesTheDriverClosedAndSaysWhy)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("ttyMissing"));
    const QString notATty = dir.filePath(QStringLiteral("plain-file"));
    QFile file(notATty);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ScopedEnv com3("VIREO_COM3", missing);
    ScopedEnv com4("VIREO_COM4", notATty);

    TCommPortDriver driver;
    Received received;
    received.bind(driver);
    driver.SetComPort(pnCOM3);
    EXPECT_FALSE(driver.OpenPort());
    EXPECT_FALSE(driver.IsPortOpen());
    EXPECT_FALSE(anyTimerActive(driver));
    const std::string reason = driver.lastOpenError().toStdString();
    EXPECT_THAT(reason, HasSubstr("COM3"));
    EXPECT_THAT(reason, HasSubstr(missing.toStdString()));
    EXPECT_THAT(reason, HasSubstr("does not exist"));
    driver.ClosePort();
    driver.SetComPortSpeed(br19200); // applies nothing to a closed port
    EXPECT_EQ(driver.ComPortSpeed(), br19200);

    driver.SetComPort(pnCOM4);
    EXPECT_FALSE(driver.OpenPort());
    EXPECT_FALSE(driver.IsPortOpen());
    EXPECT_FALSE(anyTimerActive(driver));
    EXPECT_THAT(driver.lastOpenError().toStdString(), HasSubstr("COM4"));
    EXPECT_TRUE(received.chunks.empty());
}

TEST(TCommPortDriver, APortWithoutPermissionNamesTheDevicesOwnGroup)
{
    // Root opens any device, so the open is tried by a child that gives up root first.
    const group *tty = ::getgrnam("tty");
    const passwd *nobody = ::getpwnam("nobody");
    if (tty == nullptr || nobody == nullptr)
        GTEST_SKIP() << "no tty group or nobody user";
    Pty pty;
    ASSERT_TRUE(pty.ok());
    ASSERT_EQ(::fchown(pty.slave(), 0, tty->gr_gid), 0);
    ASSERT_EQ(::fchmod(pty.slave(), 0660), 0);
    ScopedEnv com2("VIREO_COM2", pty.path());
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 ||
                                 ::setuid(nobody->pw_uid) != 0))
            ::_exit(3);
        TCommPortDriver driver;
        driver.SetComPort(pnCOM2);
        if (driver.OpenPort())
            ::_exit(4);
        const QString reason = driver.lastOpenError();
        ::_exit(reason.contains(QStringLiteral("permission denied")) &&
                        reason.contains(QStringLiteral("\"tty\" group"))
                    ? 0
                    : 5);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "3: could not drop root, 4: opened, 5: wrong reason";
}

TEST(TCommPortDriver, NumbersUsbAdaptersBeforeNativePorts)
{
    const QStringList ordered = TCommPortDriver::orderPortNames(
        {QStringLiteral("/dev/ttyS1"), QStringLiteral("/dev/ttyUSB10"),
         QStringLiteral("/dev/ttyACM0"), QStringLiteral("/dev/ttyS0"),
         QStringLiteral("/dev/ttyUSB2"), QStringLiteral("/dev/ttyAMA0")});
    EXPECT_EQ(ordered, (QStringList{QStringLiteral("/dev/ttyUSB2"), QStringLiteral("/dev/ttyUSB10"),
                                    QStringLiteral("/dev/ttyACM0"), QStringLiteral("/dev/ttyAMA0"),
                                    QStringLiteral("/dev/ttyS0"), QStringLiteral("/dev/ttyS1")}));
}

TEST(TCommPortDriver, SurvivesTheDeviceVanishingAndOpensAgain)
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("meter"));
    ScopedEnv com1("VIREO_COM1", link);
    auto firstDevice = std::make_unique<Pty>();
    ASSERT_TRUE(firstDevice->ok());
    ASSERT_TRUE(QFile::link(QString::fromStdString(firstDevice->path()), link));

    TCommPortDriver driver;
    driver.SetComPort(pnCOM1);
    driver.SetComPortPollingDelay(250);
    Received received;
    received.bind(driver);
    ASSERT_TRUE(driver.OpenPort());

    // Bytes that reached the driver before the line goes.
    firstDevice->send("last words");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (firstDevice->pendingInput() == 0 && std::chrono::steady_clock::now() < deadline)
        ::usleep(1000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return firstDevice->pendingInput() == 0; }, 1000));
    firstDevice->hangUp();

    ASSERT_TRUE(QTest::qWaitFor([&] { return received.total() >= 10; }, 1000));
    DescriptorWakeups wakeups;
    runEventLoopFor(300);
    EXPECT_LT(wakeups.count, 20) << "the event loop spins on the dead descriptor";
    EXPECT_EQ(received.all(), text("last words"));
    EXPECT_TRUE(driver.IsPortOpen());
    EXPECT_TRUE(driver.OpenPort());
    driver.SetComPortSpeed(br19200);
    driver.SetComPortPollingDelay(20);

    driver.ClosePort();
    EXPECT_FALSE(driver.IsPortOpen());
    firstDevice.reset();

    // The device comes back under the same name.
    Pty secondDevice;
    ASSERT_TRUE(secondDevice.ok());
    ASSERT_TRUE(QFile::remove(link));
    ASSERT_TRUE(QFile::link(QString::fromStdString(secondDevice.path()), link));
    received.chunks.clear();
    ASSERT_TRUE(driver.OpenPort()) << driver.lastOpenError().toStdString();
    secondDevice.send("back");
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.total() >= 4; }, 1000));
    EXPECT_EQ(received.all(), text("back"));
}

namespace {

// The meter simulator on a pseudo-terminal, with the driver and the 11-byte collector behind
// it as the window binds them.
class MeterSimulator : public testing::Test {
protected:
    void SetUp() override
    {
#ifndef VIREO_METER_SIM
        GTEST_SKIP() << "the meter simulator is not built";
#endif
        m_sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_driver.SetComPort(pnCOM1);
        m_driver.SetComPortSpeed(br19200);
        m_driver.OnReceiveData = [this](TCommPortDriver *, const std::uint8_t *data,
                                        std::int32_t size) {
            collectHeron(m_frames, std::span<const std::uint8_t>(data, size),
                         [this] { m_texts.push_back(m_frames.FrameText); });
        };
    }

    void start(const QStringList &arguments)
    {
#ifdef VIREO_METER_SIM
        m_sim.start(QStringLiteral(VIREO_METER_SIM), arguments);
#endif
        ASSERT_TRUE(m_sim.waitForStarted(2000));
    }

    // The simulator prints the path of every pseudo-terminal it opens.
    QString nextPath()
    {
        if (!QTest::qWaitFor([&] { return m_sim.canReadLine(); }, 2000))
            return {};
        return QString::fromUtf8(m_sim.readLine()).trimmed();
    }

    void expectCleanExit()
    {
        ASSERT_TRUE(m_sim.state() == QProcess::NotRunning || m_sim.waitForFinished(2000));
        EXPECT_EQ(m_sim.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(m_sim.exitCode(), 0);
    }

    QProcess m_sim;
    TCommPortDriver m_driver;
    FrameCollector m_frames;
    std::vector<std::string> m_texts;
};

} // namespace

TEST_F(MeterSimulator, DemoFramesArriveThroughTheDriverAndTheCollector)
{
    start({QStringLiteral("--scenario"), QStringLiteral("demo"), QStringLiteral("--line-rate")});
    const QString path = nextPath();
    ASSERT_FALSE(path.isEmpty());
    ScopedEnv com1("VIREO_COM1", path);
    ASSERT_TRUE(m_driver.OpenPort()) << m_driver.lastOpenError().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_texts.size() >= 40; }, 1500));

    // The simulator waits for its reader: the demo is seen from its first frame on.
    EXPECT_EQ(m_texts[0], "A01234B00AD");
    EXPECT_EQ(m_texts[1], "A01445B00AD");
    for (const std::string &frameText : m_texts) {
        ASSERT_TRUE(isFramed(frameText));
        ASSERT_EQ(frameText.size(), 11u);
        EXPECT_TRUE(MeterFrame::fromNibbleText(frameText.substr(1, 9)).has_value());
    }
    m_driver.ClosePort();
    m_sim.terminate();
    expectCleanExit();
}

TEST_F(MeterSimulator, ReplayedFramesSurviveParityBitsAndChunking)
{
    QTemporaryDir dir;
    QFile replay(dir.filePath(QStringLiteral("frames.txt")));
    ASSERT_TRUE(replay.open(QIODevice::WriteOnly | QIODevice::Text));
    replay.write("# range, four digits, function, status, option 1, option 2\n"
                 "01234B00A\n"
                 "0D 0A  # raw bytes: an empty frame\n"
                 "13999305A\n"
                 "00000b18a\n");
    replay.close();
    start({QStringLiteral("--replay"), replay.fileName(), QStringLiteral("--count"),
           QStringLiteral("4"), QStringLiteral("--line-rate"), QStringLiteral("--parity-noise"),
           QStringLiteral("--chunking")});
    const QString path = nextPath();
    ASSERT_FALSE(path.isEmpty());
    ScopedEnv com1("VIREO_COM1", path);
    ASSERT_TRUE(m_driver.OpenPort()) << m_driver.lastOpenError().toStdString();

    // The simulator leaves once its frames are read; the driver stays quietly open.
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_sim.state() == QProcess::NotRunning; }, 2000));
    expectCleanExit();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_texts.size() >= 3; }, 1000));
    QTest::qWait(100);
    EXPECT_EQ(m_texts, (std::vector<std::string>{"A01234B00AD", "A13999305AD", "A00000B18AD"}));
    EXPECT_TRUE(m_driver.IsPortOpen());
    m_driver.ClosePort();
}

TEST_F(MeterSimulator, AVanishCycleKeepsItsLinkAndTheDriverReconnects)
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("meter"));
    start({QStringLiteral("--steady"), QStringLiteral("--line-rate"),
           QStringLiteral("--vanish-after"), QStringLiteral("10"), QStringLiteral("--vanish-cycle"),
           QStringLiteral("--down-ms"), QStringLiteral("100"), QStringLiteral("--link"), link});
    ASSERT_FALSE(nextPath().isEmpty());
    ScopedEnv com1("VIREO_COM1", link);
    ASSERT_TRUE(m_driver.OpenPort()) << m_driver.lastOpenError().toStdString();

    // Ten frames, then the start of an eleventh as the line goes away.
    ASSERT_FALSE(nextPath().isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_frames.RxNibbles == "A01234"; }, 1000));
    EXPECT_EQ(m_texts.size(), 10u);

    m_driver.ClosePort();
    ASSERT_TRUE(m_driver.OpenPort()) << m_driver.lastOpenError().toStdString();
    // The characters left from before spoil the first frame after reconnecting; the other
    // nine decode.
    ASSERT_FALSE(nextPath().isEmpty());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return m_texts.size() >= 19 && m_frames.RxNibbles == "A01234"; }, 1000));
    QTest::qWait(100);
    EXPECT_EQ(m_texts.size(), 19u);
    m_driver.ClosePort();
    m_sim.terminate();
    expectCleanExit();
    EXPECT_FALSE(QFileInfo::exists(link));
}

TEST(TCommPortDriver, ResumesByItselfWhenTheDeviceComesBack)
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("meter"));
    ScopedEnv com1("VIREO_COM1", link);
    auto firstDevice = std::make_unique<Pty>();
    ASSERT_TRUE(firstDevice->ok());
    ASSERT_TRUE(QFile::link(QString::fromStdString(firstDevice->path()), link));

    TCommPortDriver driver;
    driver.SetComPort(pnCOM1);
    Received received;
    received.bind(driver);
    ASSERT_TRUE(driver.OpenPort());
    firstDevice->send("one");
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.total() >= 3; }, 1000));

    // Unplugged: the device and its name go away; the link stays open for the window.
    firstDevice.reset();
    ASSERT_TRUE(QFile::remove(link));
    runEventLoopFor(700);
    EXPECT_TRUE(driver.IsPortOpen());

    // Plugged in again under the same name: bytes flow with no one reconnecting.
    Pty secondDevice;
    ASSERT_TRUE(secondDevice.ok());
    ASSERT_TRUE(QFile::link(QString::fromStdString(secondDevice.path()), link));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            secondDevice.send("x");
            return received.total() >= 4;
        },
        3000));
    EXPECT_EQ(received.all().front(), 'o');
}
