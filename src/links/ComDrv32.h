#pragma once

#include "links/SerialPortIdentity.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QSerialPort;
class QTimer;

namespace vireo {

enum TComPortNumber : std::uint8_t { pnCOM1, pnCOM2, pnCOM3, pnCOM4 };
enum TComPortBaudRate : std::uint8_t {
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200
};
enum TComPortDataBits : std::uint8_t { db5BITS, db6BITS, db7BITS, db8BITS };
enum TComPortStopBits : std::uint8_t { sb1BITS, sb1HALFBITS, sb2BITS };
enum TComPortParity : std::uint8_t { ptNONE, ptODD, ptEVEN, ptMARK, ptSPACE };
enum TComPortHwHandshaking : std::uint8_t { hhNONE, hhRTSCTS };
enum TComPortSwHandshaking : std::uint8_t { shNONE, shXONXOFF };

// Bits per second of each TComPortBaudRate, indexed by its ordinal.
inline constexpr std::array<std::uint32_t, 13> ComPortBaudRates{
    110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200};

// The TComPortBaudRate of a speed in bits per second, if it has one.
std::optional<TComPortBaudRate> baudRateOf(std::uint32_t bitsPerSecond);

class TCommPortDriver;

// Receives every non-empty poll result. DataPtr points into the driver's own buffer and is
// valid only during the call.
using TComPortReceiveDataEvent = std::function<void(
    TCommPortDriver *Sender, const std::uint8_t *DataPtr, std::int32_t DataSize)>;

// The serial port below the window: opens one of COM1-COM4 exclusively, applies the line
// settings and hands whatever has arrived to OnReceiveData, at most once per polling delay, on
// the thread it lives on. It only receives. A silent line costs nothing: the poll runs only
// when the line has something, at once after a quiet period, otherwise once a polling delay
// has passed since the last delivery.
//
// COMn is the device named by the environment variable VIREO_COMn when that is set;
// otherwise the n-th serial port of the system, USB and ACM adapters first; or a device named by
// its path instead of a port number. A device that goes away while the port is open is waited
// for: the same name comes back for VIREO_COMn and a named path (a /dev/serial/by-id name
// follows its adapter), the same device (under whatever name) otherwise.
class TCommPortDriver : public QObject {
    Q_OBJECT

public:
    explicit TCommPortDriver(QObject *parent = nullptr);
    ~TCommPortDriver() override;

    TCommPortDriver(const TCommPortDriver &) = delete;
    TCommPortDriver &operator=(const TCommPortDriver &) = delete;

    TComPortNumber ComPort() const { return m_ComPort; }
    TComPortBaudRate ComPortSpeed() const { return m_ComPortSpeed; }
    TComPortDataBits ComPortDataBits() const { return m_ComPortDataBits; }
    TComPortStopBits ComPortStopBits() const { return m_ComPortStopBits; }
    TComPortParity ComPortParity() const { return m_ComPortParity; }
    TComPortHwHandshaking ComPortHwHandshaking() const { return m_ComPortHwHandshaking; }
    TComPortSwHandshaking ComPortSwHandshaking() const { return m_ComPortSwHandshaking; }
    std::uint16_t ComPortInBufSize() const { return m_ComPortInBufSize; }
    std::uint16_t ComPortOutBufSize() const { return m_ComPortOutBufSize; }
    std::uint16_t ComPortPollingDelay() const { return m_ComPortPollingDelay; }
    bool EnableDTROnOpen() const { return m_EnableDTROnOpen; }

    // Taken only while the port is closed.
    void SetComPort(TComPortNumber value);
    // A device named by its path in place of the port number; an empty path goes back to the
    // port number.
    void SetDevicePath(const QString &path);
    void SetComPortInBufSize(std::uint16_t value);
    void SetComPortOutBufSize(std::uint16_t value);
    // Stored; applied to the port at once when it is open.
    void SetComPortSpeed(TComPortBaudRate value);
    void SetComPortDataBits(TComPortDataBits value);
    void SetComPortStopBits(TComPortStopBits value);
    void SetComPortParity(TComPortParity value);
    void SetComPortHwHandshaking(TComPortHwHandshaking value);
    void SetComPortSwHandshaking(TComPortSwHandshaking value);
    // Restarts the poll timer with the new period when the port is open.
    void SetComPortPollingDelay(std::uint16_t value);
    void SetEnableDTROnOpen(bool value);

    TComPortReceiveDataEvent OnReceiveData;

    // True when the port is open afterwards; an open port is left exactly as it is.
    bool OpenPort();
    void ClosePort();
    bool IsPortOpen() const { return m_open; }
    void ApplyLineSettings();
    void PurgeBuffers(bool InBuffer, bool OutBuffer);

    // Why the last OpenPort failed, in words for the user; empty after a successful open.
    QString lastOpenError() const { return m_lastOpenError; }

    // System serial ports in the order COM1, COM2, ... are assigned to them.
    static QStringList orderPortNames(QStringList systemLocations);
    // Where the system's serial ports are listed; SerialPortIdentity::systemPorts unless set.
    void setPortLister(SerialPortLister lister) { m_portLister = std::move(lister); }

private:
    void PollReceive();
    // The device that stands for a port number, or an empty text with the reason. `listed`
    // takes the identity of a listed port, and stays empty for a port named by VIREO_COMn.
    QString devicePathFor(TComPortNumber port, QString *reason,
                          std::optional<SerialPortIdentity> *listed) const;
    // The port as messages name it: "COM1", or the path it was named by.
    QString portLabel() const;
    bool openDevice(const QString &path, QString *reason);
    void tryResume();
    // The next poll, `delayMs` from now; an earlier one already due is kept.
    void schedulePoll(int delayMs);
    int pollPeriod() const;
    void onReadyRead();
    // Everything that has arrived, up to `capacity` bytes.
    qint64 readArrived(std::uint8_t *buffer, qint64 capacity);
    void onPortError(int error);
    void releaseLostDevice(std::uint64_t generation);
    bool lockDevice();

    TComPortNumber m_ComPort = pnCOM2;
    QString m_devicePath;
    TComPortBaudRate m_ComPortSpeed = br9600;
    TComPortDataBits m_ComPortDataBits = db8BITS;
    TComPortStopBits m_ComPortStopBits = sb1BITS;
    TComPortParity m_ComPortParity = ptNONE;
    TComPortHwHandshaking m_ComPortHwHandshaking = hhNONE;
    TComPortSwHandshaking m_ComPortSwHandshaking = shNONE;
    std::uint16_t m_ComPortInBufSize = 2048;
    std::uint16_t m_ComPortOutBufSize = 2048;
    std::uint16_t m_ComPortPollingDelay = 50;
    bool m_EnableDTROnOpen = true;

    QSerialPort *m_port;
    QTimer *m_pollTimer;
    std::vector<std::uint8_t> m_receiveBuffer;
    bool m_open = false;
    // The device went away while open: its handle is released, the port stays open for the
    // window until ClosePort, and reads find nothing.
    bool m_deviceLost = false;
    // Since the last poll that found bytes: those are at least a polling delay apart.
    QElapsedTimer m_sinceDelivery;
    // OnReceiveData is running; a poll due meanwhile is made once it has returned.
    bool m_delivering = false;
    bool m_pollDeferred = false;
    // Bytes Qt had taken before the device went away, still to be delivered.
    QByteArray m_lostTail;
    // Tells a queued release apart from one meant for an earlier opening.
    std::uint64_t m_openGeneration = 0;
    QString m_lastOpenError;
    SerialPortLister m_portLister = SerialPortIdentity::systemPorts;
    // The listed device the port was opened on: the only one a resume may open.
    std::optional<SerialPortIdentity> m_openedDevice;
};

} // namespace vireo
