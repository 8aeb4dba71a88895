#include "links/ComDrv32.h"

#include <QFileInfo>
#include <QMetaObject>
#include <QSerialPort>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <poll.h>
#include <sys/file.h>
#include <termios.h>
#include <tuple>
#include <unistd.h>
#include <utility>

namespace vireo {

namespace {

// The shortest poll period a timer is given; the stored property keeps what was set. A
// period of zero would turn the poll into a busy loop.
constexpr int kMinPollPeriodMs = 10;
constexpr int kResumeMs = 500;

QString comLabel(TComPortNumber port)
{
    return QStringLiteral("COM%1").arg(static_cast<int>(port) + 1);
}

// "Cannot open COM1 (/dev/ttyUSB0): ", or "Cannot open /dev/ttyUSB0: " for a port named by path.
QString cannotOpen(const QString &label, const QString &path)
{
    if (label == path)
        return QStringLiteral("Cannot open %1: ").arg(path);
    return QStringLiteral("Cannot open %1 (%2): ").arg(label, path);
}

QSerialPort::Parity toQt(TComPortParity parity)
{
    switch (parity) {
    case ptODD:
        return QSerialPort::OddParity;
    case ptEVEN:
        return QSerialPort::EvenParity;
    case ptMARK:
        return QSerialPort::MarkParity;
    case ptSPACE:
        return QSerialPort::SpaceParity;
    case ptNONE:
        break;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits toQt(TComPortStopBits stopBits)
{
    switch (stopBits) {
    case sb1HALFBITS:
        return QSerialPort::OneAndHalfStop;
    case sb2BITS:
        return QSerialPort::TwoStop;
    case sb1BITS:
        break;
    }
    return QSerialPort::OneStop;
}

// Qt offers one kind of flow control at a time; XON/XOFF on top of RTS/CTS is set directly.
void addSoftwareFlowControl(int descriptor)
{
    termios tio{};
    if (::tcgetattr(descriptor, &tio) != 0)
        return;
    tio.c_iflag |= IXON | IXOFF;
    ::tcsetattr(descriptor, TCSANOW, &tio);
}

bool hungUp(int descriptor)
{
    pollfd pfd{descriptor, POLLIN, 0};
    return ::poll(&pfd, 1, 0) > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

QString describeOpenFailure(const QString &label, const QString &path, const QSerialPort &serial)
{
    const QString prefix = cannotOpen(label, path);
    switch (serial.error()) {
    case QSerialPort::DeviceNotFoundError:
        return prefix + QStringLiteral("the device does not exist.");
    case QSerialPort::PermissionError: {
        const QFileInfo device(path);
        if (device.isReadable() && device.isWritable())
            return prefix + QStringLiteral("the port is in use by another program.");
        // The group the device itself belongs to, whatever the distribution or a udev rule
        // made it; the usual one when the device does not say.
        QString group = device.group();
        if (group.isEmpty())
            group = QStringLiteral("dialout");
        return prefix + QStringLiteral("permission denied. Serial ports are open to members of "
                                       "the \"%1\" group: add the user to it (\"sudo usermod "
                                       "-aG %1 $USER\") and log in again.")
                            .arg(group);
    }
    default:
        return prefix + serial.errorString() + QLatin1Char('.');
    }
}

// Splits "ttyUSB10" into ("ttyUSB", 10) so that ports sort in their numeric order.
std::pair<QString, qlonglong> splitTrailingNumber(const QString &name)
{
    qsizetype digitsAt = name.size();
    while (digitsAt > 0 && name.at(digitsAt - 1).isDigit())
        --digitsAt;
    if (digitsAt == name.size())
        return {name, -1};
    return {name.left(digitsAt), name.mid(digitsAt).toLongLong()};
}

} // namespace

std::optional<TComPortBaudRate> baudRateOf(std::uint32_t bitsPerSecond)
{
    const auto found = std::find(ComPortBaudRates.begin(), ComPortBaudRates.end(), bitsPerSecond);
    if (found == ComPortBaudRates.end())
        return std::nullopt;
    return static_cast<TComPortBaudRate>(found - ComPortBaudRates.begin());
}

TCommPortDriver::TCommPortDriver(QObject *parent)
    : QObject(parent), m_port(new QSerialPort(this)), m_pollTimer(new QTimer(this)),
      m_receiveBuffer(m_ComPortInBufSize)
{
    m_pollTimer->setSingleShot(true);
    connect(m_pollTimer, &QTimer::timeout, this, &TCommPortDriver::PollReceive);
    connect(m_port, &QSerialPort::readyRead, this, &TCommPortDriver::onReadyRead);
    connect(m_port, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError error) { onPortError(error); });
}

TCommPortDriver::~TCommPortDriver()
{
    ClosePort();
}

void TCommPortDriver::SetComPort(TComPortNumber value)
{
    if (m_open || value > pnCOM4)
        return;
    m_ComPort = value;
}

void TCommPortDriver::SetDevicePath(const QString &path)
{
    if (m_open)
        return;
    m_devicePath = path;
}

QString TCommPortDriver::portLabel() const
{
    return m_devicePath.isEmpty() ? comLabel(m_ComPort) : m_devicePath;
}

void TCommPortDriver::SetComPortInBufSize(std::uint16_t value)
{
    if (m_open)
        return;
    m_ComPortInBufSize = value;
    std::vector<std::uint8_t>(value).swap(m_receiveBuffer);
}

void TCommPortDriver::SetComPortOutBufSize(std::uint16_t value)
{
    // Kept for the window's design settings: this build never writes, and the system's
    // output queue of a tty cannot be sized.
    if (m_open)
        return;
    m_ComPortOutBufSize = value;
}

void TCommPortDriver::SetComPortSpeed(TComPortBaudRate value)
{
    if (value > br115200)
        return;
    m_ComPortSpeed = value;
    ApplyLineSettings();
}

void TCommPortDriver::SetComPortDataBits(TComPortDataBits value)
{
    if (value > db8BITS)
        return;
    m_ComPortDataBits = value;
    ApplyLineSettings();
}

void TCommPortDriver::SetComPortStopBits(TComPortStopBits value)
{
    if (value > sb2BITS)
        return;
    m_ComPortStopBits = value;
    ApplyLineSettings();
}

void TCommPortDriver::SetComPortParity(TComPortParity value)
{
    if (value > ptSPACE)
        return;
    m_ComPortParity = value;
    ApplyLineSettings();
}

void TCommPortDriver::SetComPortHwHandshaking(TComPortHwHandshaking value)
{
    if (value > hhRTSCTS)
        return;
    m_ComPortHwHandshaking = value;
    ApplyLineSettings();
}

void TCommPortDriver::SetComPortSwHandshaking(TComPortSwHandshaking value)
{
    if (value > shXONXOFF)
        return;
    m_ComPortSwHandshaking = value;
    ApplyLineSettings();
}

void TCommPortDriver::SetComPortPollingDelay(std::uint16_t value)
{
    if (value == m_ComPortPollingDelay)
        return;
    const bool due = m_open && m_pollTimer->isActive();
    m_pollTimer->stop();
    m_ComPortPollingDelay = value;
    if (due)
        schedulePoll(pollPeriod());
}

void TCommPortDriver::SetEnableDTROnOpen(bool value)
{
    m_EnableDTROnOpen = value;
}

bool TCommPortDriver::OpenPort()
{
    if (m_open)
        return true;
    std::optional<SerialPortIdentity> listed;
    const QString path = devicePathFor(m_ComPort, &m_lastOpenError, &listed);
    if (path.isEmpty() || !openDevice(path, &m_lastOpenError))
        return false;
    m_openedDevice = std::move(listed);
    m_open = true;
    m_lostTail.clear();
    m_lastOpenError.clear();
    ApplyLineSettings();
    schedulePoll(pollPeriod());
    return true;
}

bool TCommPortDriver::openDevice(const QString &path, QString *reason)
{
    m_port->setPortName(path);
    if (!m_port->open(QIODevice::ReadWrite)) {
        *reason = describeOpenFailure(portLabel(), path, *m_port);
        return false;
    }
    if (!lockDevice()) {
        m_port->close();
        *reason = cannotOpen(portLabel(), path) +
                  QStringLiteral("the port is in use by another program.");
        return false;
    }
    ++m_openGeneration;
    m_deviceLost = false;
    return true;
}

void TCommPortDriver::tryResume()
{
    // A cable pulled and plugged in again, or a meter's adapter that reset, should not need
    // the user to disconnect and connect: while the link is meant to be open, the device is
    // looked for again every half second. Only that device: the port list has closed up
    // behind it, and the port now at its position is another device (a port on the board, a
    // second adapter) that is not the meter's.
    QString path;
    QString reason;
    if (!m_openedDevice) {
        path = devicePathFor(m_ComPort, &reason, nullptr);
    } else {
        for (const SerialPortIdentity &port : m_portLister()) {
            if (port.sameDevice(*m_openedDevice)) {
                path = port.systemLocation;
                break;
            }
        }
    }
    if (!path.isEmpty() && openDevice(path, &reason)) {
        ApplyLineSettings();
        schedulePoll(pollPeriod());
    } else {
        schedulePoll(kResumeMs);
    }
}

bool TCommPortDriver::lockDevice()
{
    // Lock files only keep out programs that honour them; some take flock() instead.
    const int descriptor = static_cast<int>(m_port->handle());
    return ::flock(descriptor, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
}

void TCommPortDriver::ClosePort()
{
    if (!m_open)
        return;
    m_pollTimer->stop();
    if (m_port->isOpen())
        m_port->close();
    m_open = false;
    m_deviceLost = false;
    m_lostTail.clear();
}

void TCommPortDriver::ApplyLineSettings()
{
    // Also skips a device that went away: there is nothing left to configure.
    if (!m_open || !m_port->isOpen())
        return;
    // A pseudo-terminal or an adapter may refuse a setting or have no modem lines; the port
    // stays open with whatever the system accepted.
    m_port->setBaudRate(static_cast<qint32>(ComPortBaudRates[m_ComPortSpeed]));
    m_port->setDataBits(static_cast<QSerialPort::DataBits>(m_ComPortDataBits + 5));
    m_port->setParity(toQt(m_ComPortParity));
    m_port->setStopBits(toQt(m_ComPortStopBits));
    const bool rtsCts = m_ComPortHwHandshaking == hhRTSCTS;
    const bool xonXoff = m_ComPortSwHandshaking == shXONXOFF;
    if (rtsCts)
        m_port->setFlowControl(QSerialPort::HardwareControl);
    else if (xonXoff)
        m_port->setFlowControl(QSerialPort::SoftwareControl);
    else
        m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (rtsCts && xonXoff)
        addSoftwareFlowControl(static_cast<int>(m_port->handle()));
    m_port->setDataTerminalReady(m_EnableDTROnOpen);
    if (!rtsCts)
        m_port->setRequestToSend(false);
    PurgeBuffers(true, true);
    // Qt takes one byte from the system and then waits until it is read: the byte only tells
    // that the line has something. The rest stays in the system's input queue until the poll,
    // so bytes arriving between two polls do not each wake the program, and a flooding device
    // cannot grow memory while the window is busy.
    m_port->setReadBufferSize(1);
    m_port->clearError();
}

void TCommPortDriver::PurgeBuffers(bool InBuffer, bool OutBuffer)
{
    if (!m_open)
        return;
    if (InBuffer)
        m_lostTail.clear();
    if (!m_port->isOpen())
        return;
    QSerialPort::Directions directions;
    if (InBuffer)
        directions |= QSerialPort::Input;
    if (OutBuffer)
        directions |= QSerialPort::Output;
    if (directions)
        m_port->clear(directions);
    // Qt looks at the line again only once it has been read: a poll must follow a purge.
    if (InBuffer && !m_pollTimer->isActive())
        schedulePoll(pollPeriod());
}

int TCommPortDriver::pollPeriod() const
{
    return std::max<int>(kMinPollPeriodMs, m_ComPortPollingDelay);
}

void TCommPortDriver::schedulePoll(int delayMs)
{
    const int wait = std::max(0, delayMs);
    if (m_pollTimer->isActive() && m_pollTimer->remainingTime() <= wait)
        return;
    m_pollTimer->start(wait);
}

void TCommPortDriver::onReadyRead()
{
    // Never read inside Qt's own notification: a handler that waits in a message box could
    // close the port under it. A line quiet for a whole period is read at once.
    if (!m_open || m_deviceLost || m_pollTimer->isActive())
        return;
    const qint64 since = m_sinceDelivery.isValid() ? m_sinceDelivery.elapsed() : pollPeriod();
    schedulePoll(static_cast<int>(std::max<qint64>(0, pollPeriod() - since)));
}

qint64 TCommPortDriver::readArrived(std::uint8_t *buffer, qint64 capacity)
{
    qint64 count = std::max<qint64>(0, m_port->read(reinterpret_cast<char *>(buffer), capacity));
    if (count == capacity)
        return count;
    // A tty hands over everything it holds in one read. A line that hung up or failed is
    // reported by Qt's notification, which the read above has armed again.
    const int descriptor = static_cast<int>(m_port->handle());
    ssize_t got = 0;
    do {
        got = ::read(descriptor, buffer + count, static_cast<std::size_t>(capacity - count));
    } while (got < 0 && errno == EINTR);
    return got > 0 ? count + got : count;
}

void TCommPortDriver::PollReceive()
{
    m_pollTimer->stop();
    // A handler that waits in a message box runs the event loop while the bytes it was
    // handed still lie in the buffer a poll reads into: the poll waits until it returns.
    if (m_delivering) {
        m_pollDeferred = true;
        return;
    }
    if (!m_open || m_receiveBuffer.empty())
        return;
    auto *buffer = m_receiveBuffer.data();
    const auto capacity = static_cast<qint64>(m_receiveBuffer.size());
    qint64 count = 0;
    if (!m_lostTail.isEmpty()) {
        count = std::min<qint64>(capacity, m_lostTail.size());
        std::copy_n(m_lostTail.constData(), count, buffer);
        m_lostTail.remove(0, count);
        if (!m_lostTail.isEmpty())
            schedulePoll(pollPeriod());
        else if (m_deviceLost)
            schedulePoll(kResumeMs);
    } else if (m_port->isOpen()) {
        count = readArrived(buffer, capacity);
        // A full buffer leaves the rest for the next poll.
        if (count == capacity)
            schedulePoll(pollPeriod());
    } else if (m_deviceLost) {
        tryResume();
        return;
    }
    if (count <= 0)
        return;
    m_sinceDelivery.start();
    if (!OnReceiveData)
        return;
    m_delivering = true;
    OnReceiveData(this, buffer, static_cast<std::int32_t>(count));
    m_delivering = false;
    if (std::exchange(m_pollDeferred, false) && m_open)
        schedulePoll(pollPeriod());
}

void TCommPortDriver::onPortError(int error)
{
    if (!m_open || m_deviceLost)
        return;
    // Qt keeps retrying a hung-up descriptor and reports every failed read, which would
    // spin the event loop; a read can also fail once for nothing. Only a device that is
    // gone, or one Qt has given up on, is let go.
    const bool gaveUp = error == QSerialPort::ResourceError;
    if (!gaveUp && !(error == QSerialPort::ReadError && hungUp(static_cast<int>(m_port->handle()))))
        return;
    m_deviceLost = true;
    // Closing inside Qt's own read notification would delete the notifier under it.
    const std::uint64_t generation = m_openGeneration;
    QMetaObject::invokeMethod(
        this, [this, generation] { releaseLostDevice(generation); }, Qt::QueuedConnection);
}

void TCommPortDriver::releaseLostDevice(std::uint64_t generation)
{
    if (!m_open || !m_deviceLost || generation != m_openGeneration || !m_port->isOpen())
        return;
    // The bytes Qt took before the device went away are still delivered by the next polls.
    m_lostTail.append(m_port->readAll());
    // Holding a dead descriptor would keep the device node busy: an adapter plugged in
    // again would come back under another name.
    m_port->close();
    schedulePoll(m_lostTail.isEmpty() ? kResumeMs : pollPeriod());
}

QStringList TCommPortDriver::orderPortNames(QStringList systemLocations)
{
    // A meter cable is almost always a USB adapter; native ports come last.
    const auto rank = [](const QString &name) {
        if (name.startsWith(QLatin1String("ttyUSB")))
            return 0;
        if (name.startsWith(QLatin1String("ttyACM")))
            return 1;
        return 2;
    };
    const auto key = [&rank](const QString &location) {
        const QString name = QFileInfo(location).fileName();
        const auto [prefix, number] = splitTrailingNumber(name);
        return std::make_tuple(rank(name), prefix, number, location);
    };
    std::stable_sort(systemLocations.begin(), systemLocations.end(),
                     [&key](const QString &a, const QString &b) { return key(a) < key(b); });
    return systemLocations;
}

QString TCommPortDriver::devicePathFor(TComPortNumber port, QString *reason,
                                       std::optional<SerialPortIdentity> *listed) const
{
    const int number = static_cast<int>(port) + 1;
    const QByteArray variable = "VIREO_COM" + QByteArray::number(number);
    const QString configured =
        m_devicePath.isEmpty() ? qEnvironmentVariable(variable.constData()) : m_devicePath;
    if (!configured.isEmpty()) {
        // Ports are locked by device name: resolving links keeps two names of one device
        // from being opened at once.
        const QString canonical = QFileInfo(configured).canonicalFilePath();
        return canonical.isEmpty() ? configured : canonical;
    }
    QStringList found;
    const std::vector<SerialPortIdentity> ports = m_portLister();
    for (const SerialPortIdentity &info : ports)
        found << info.systemLocation;
    found = orderPortNames(found);
    if (number <= found.size()) {
        const QString path = found.at(number - 1);
        if (listed != nullptr) {
            for (const SerialPortIdentity &info : ports) {
                if (info.systemLocation == path)
                    *listed = info;
            }
        }
        return path;
    }
    if (reason) {
        const QString label = comLabel(port);
        if (found.isEmpty())
            *reason = QStringLiteral("Cannot open %1: no serial port was found. Plug in the "
                                     "meter cable, or set %2 to the device to use.")
                          .arg(label, QString::fromLatin1(variable));
        else
            *reason =
                QStringLiteral("Cannot open %1: only %2 serial port%3 found (%4). Set %5 "
                               "to the device to use.")
                    .arg(label, QString::number(found.size()),
                         found.size() == 1 ? QStringLiteral(" was") : QStringLiteral("s were"),
                         found.join(QStringLiteral(", ")), QString::fromLatin1(variable));
    }
    return {};
}

} // namespace vireo
