#include "links/HidOpenFailure.h"

#include "links/JvHidControllerClass.h"
#include "links/JvHidDevice.h"

namespace vireo {

QString hidOpenFailure(const TJvHidDevice &device, const QString &name)
{
    const QString prefix = QStringLiteral("Cannot open %1 (%2): ")
                               .arg(name, QString::fromStdString(device.PnPInfo().DevicePath));
    if (device.AccessDenied())
        return prefix +
               QStringLiteral(
                   "permission denied. The udev rule shipped with the program (60-vireo.rules) "
                   "opens the cable to the user at the machine's own seat and to the members of "
                   "the \"plugdev\" group: install it in /etc/udev/rules.d unless the package "
                   "did, run \"sudo udevadm control --reload && sudo udevadm trigger\", then "
                   "unplug the cable and plug it in again. Away from the seat (a remote session, "
                   "a service), also join the group (\"sudo usermod -aG plugdev $USER\") and log "
                   "in again.");
    const QString reason =
        device.Owner() != nullptr
            ? QString::fromStdString(device.Owner()->errorMessage(device.OpenError()))
            : QStringLiteral("error %1").arg(device.OpenError());
    return prefix + reason + QLatin1Char('.');
}

} // namespace vireo
