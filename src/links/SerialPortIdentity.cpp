#include "links/SerialPortIdentity.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>

namespace vireo {

namespace {

// The last USB interface ("bus-port.port:config.interface") on the port's sysfs path.
QString usbPlaceOf(const QString &portName)
{
    const QString device =
        QFileInfo(QStringLiteral("/sys/class/tty/%1/device").arg(portName)).canonicalFilePath();
    static const QRegularExpression usbInterface(QStringLiteral("^\\d+-[\\d.]+:\\d+\\.\\d+$"));
    QString place;
    for (const QString &part : device.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (usbInterface.match(part).hasMatch())
            place = part;
    }
    return place;
}

} // namespace

bool SerialPortIdentity::sameDevice(const SerialPortIdentity &other) const
{
    // udev names a port under by-id a moment after the node appears, so one side may lack it.
    if (!byId.isEmpty() && !other.byId.isEmpty())
        return byId == other.byId;
    if (hasUsbIds || other.hasUsbIds)
        return hasUsbIds == other.hasUsbIds && vendorId == other.vendorId &&
               productId == other.productId && serialNumber == other.serialNumber &&
               usbPlace == other.usbPlace;
    // A port on the board, or one nothing more is known of, stays where it is.
    return systemLocation == other.systemLocation;
}

std::vector<SerialPortIdentity> SerialPortIdentity::systemPorts()
{
    const QDir byIdDir(QStringLiteral("/dev/serial/by-id"));
    const QFileInfoList byIdLinks = byIdDir.entryInfoList(QDir::System | QDir::Files);
    std::vector<SerialPortIdentity> ports;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos) {
        SerialPortIdentity port;
        port.systemLocation = info.systemLocation();
        for (const QFileInfo &link : byIdLinks) {
            if (link.canonicalFilePath() == port.systemLocation)
                port.byId = link.absoluteFilePath();
        }
        port.hasUsbIds = info.hasVendorIdentifier() && info.hasProductIdentifier();
        port.vendorId = info.vendorIdentifier();
        port.productId = info.productIdentifier();
        port.serialNumber = info.serialNumber();
        port.usbPlace = usbPlaceOf(info.portName());
        ports.push_back(std::move(port));
    }
    return ports;
}

} // namespace vireo
