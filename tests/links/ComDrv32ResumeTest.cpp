// The serial driver waiting for its own device when the system's port list closes up behind
// it: ports listed through the driver's port-list seam, devices played by pseudo-terminals.
#include "links/ComDrv32.h"
#include "support/SerialTestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <unistd.h>

namespace vireo {
namespace {

using test::Pty;
using test::Received;
using test::runEventLoopFor;
using test::ScopedEnv;

// A USB adapter as the system lists it, at the pseudo-terminal `pty`.
SerialPortIdentity adapterAt(const Pty &pty, const QString &byId, const QString &serial,
                             const QString &usbPlace = QStringLiteral("1-2:1.0"))
{
    SerialPortIdentity port;
    port.systemLocation = QString::fromStdString(pty.path());
    port.byId = byId;
    port.hasUsbIds = true;
    port.vendorId = 0x0403;
    port.productId = 0x6001;
    port.serialNumber = serial;
    port.usbPlace = usbPlace;
    return port;
}

// Whether some program holds the port's lock, as the driver does while it has a port open.
bool locked(const Pty &pty)
{
    const int fd = ::open(pty.path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

// A port on the board.
SerialPortIdentity nativeAt(const Pty &pty)
{
    SerialPortIdentity port;
    port.systemLocation = QString::fromStdString(pty.path());
    return port;
}

class TCommPortDriverResume : public testing::Test {
protected:
    TCommPortDriverResume()
    {
        driver.SetComPort(pnCOM1);
        driver.setPortLister([this] { return listed; });
        received.bind(driver);
    }

    // Sends to `pty` until the driver has delivered `count` bytes in all, or a second passes.
    bool feedUntil(const Pty &pty, std::size_t count)
    {
        return QTest::qWaitFor(
            [&] {
                pty.send("x");
                return received.total() >= count;
            },
            1500);
    }

    ScopedEnv com1{"VIREO_COM1"};
    std::vector<SerialPortIdentity> listed;
    TCommPortDriver driver;
    Received received;
};

TEST_F(TCommPortDriverResume, WaitsForItsOwnAdapterAndTakesItBackUnderANewName)
{
    auto meter = std::make_unique<Pty>();
    Pty board;
    const QString byId = QStringLiteral("/dev/serial/by-id/usb-Meter_Cable_A1-if00-port0");
    listed = {adapterAt(*meter, byId, QStringLiteral("A1")), nativeAt(board)};
    ASSERT_TRUE(driver.OpenPort()) << driver.lastOpenError().toStdString();
    ASSERT_TRUE(feedUntil(*meter, 1));

    // Unplugged: the board's port is now the first listed, where the adapter was.
    meter.reset();
    listed = {nativeAt(board)};
    runEventLoopFor(800);
    EXPECT_FALSE(locked(board)) << "the board's port was taken";
    const std::size_t before = received.total();
    board.send("not the meter");
    runEventLoopFor(300);
    EXPECT_EQ(received.total(), before);
    EXPECT_TRUE(driver.IsPortOpen());

    // Back, as the next free node name, and for a moment without its by-id name.
    Pty again;
    listed = {nativeAt(board), adapterAt(again, QString(), QStringLiteral("A1"))};
    ASSERT_TRUE(feedUntil(again, before + 1));
    EXPECT_TRUE(locked(again));
}

TEST_F(TCommPortDriverResume, AnotherAdapterOfTheSameKindIsNotTheMeter)
{
    auto meter = std::make_unique<Pty>();
    ASSERT_TRUE(meter->ok());
    listed = {adapterAt(*meter, QString(), QStringLiteral("A1"))};
    ASSERT_TRUE(driver.OpenPort());
    meter.reset();

    // The same model with another serial number, and the meter's model and serial number in
    // another USB port (a second cable of a batch without serial numbers looks like this).
    Pty otherSerial;
    Pty otherPlace;
    listed = {adapterAt(otherSerial, QString(), QStringLiteral("B2")),
              adapterAt(otherPlace, QString(), QStringLiteral("A1"), QStringLiteral("1-3:1.0"))};
    runEventLoopFor(800);
    EXPECT_FALSE(locked(otherSerial));
    EXPECT_FALSE(locked(otherPlace));
    otherSerial.send("b");
    otherPlace.send("c");
    runEventLoopFor(200);
    EXPECT_EQ(received.total(), 0u);
}

TEST_F(TCommPortDriverResume, APortNamedByTheEnvironmentIsWaitedForUnderThatName)
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("meter"));
    ScopedEnv named("VIREO_COM1", link);
    auto meter = std::make_unique<Pty>();
    ASSERT_TRUE(QFile::link(QString::fromStdString(meter->path()), link));
    Pty listedFirst;
    listed = {nativeAt(listedFirst)};
    ASSERT_TRUE(driver.OpenPort());
    meter.reset();
    ASSERT_TRUE(QFile::remove(link));
    runEventLoopFor(700);

    Pty again;
    ASSERT_TRUE(QFile::link(QString::fromStdString(again.path()), link));
    ASSERT_TRUE(feedUntil(again, 1));
    EXPECT_FALSE(locked(listedFirst));
}

TEST(SerialPortIdentity, TellsDevicesApartByWhatSurvivesAReplug)
{
    SerialPortIdentity cable;
    cable.systemLocation = QStringLiteral("/dev/ttyUSB0");
    cable.byId = QStringLiteral("/dev/serial/by-id/usb-X_Y_123-if00-port0");
    cable.hasUsbIds = true;
    cable.vendorId = 0x0403;
    cable.productId = 0x6001;
    cable.serialNumber = QStringLiteral("123");
    cable.usbPlace = QStringLiteral("3-1.2:1.0");

    SerialPortIdentity renamed = cable;
    renamed.systemLocation = QStringLiteral("/dev/ttyUSB1");
    EXPECT_TRUE(cable.sameDevice(renamed));
    renamed.byId.clear();
    EXPECT_TRUE(cable.sameDevice(renamed));
    renamed.usbPlace = QStringLiteral("3-1.3:1.0");
    EXPECT_FALSE(cable.sameDevice(renamed));

    SerialPortIdentity otherById = cable;
    otherById.byId = QStringLiteral("/dev/serial/by-id/usb-X_Y_456-if00-port0");
    EXPECT_FALSE(cable.sameDevice(otherById));

    // A port on the board is itself only where it is, and never an adapter.
    SerialPortIdentity board;
    board.systemLocation = QStringLiteral("/dev/ttyUSB0");
    EXPECT_FALSE(cable.sameDevice(board));
    EXPECT_FALSE(board.sameDevice(cable));
    SerialPortIdentity sameBoard = board;
    EXPECT_TRUE(board.sameDevice(sameBoard));
}

} // namespace
} // namespace vireo
