#include "record/UsbSource.h"

#include "links/HidOpenFailure.h"
#include "links/JvHidControllerClass.h"

#include <QFileInfo>

namespace vireo {

namespace {

constexpr std::u16string_view kAdapterProduct = u"USB to Serial";

QString cannotOpen(TJvHidDevice &adapter)
{
    return hidOpenFailure(
        adapter, QString::fromStdString(
                     HidDeviceName(adapter.ProductString(), adapter.SerialString(),
                                   adapter.Attributes().VendorID, adapter.Attributes().ProductID)));
}

} // namespace

UsbSource::UsbSource(const QString &node, const ModelSetup &setup,
                     std::shared_ptr<HidPlatform> platform, QObject *parent)
    : MeterSource(parent), m_node(node), m_setup(setup),
      m_controller(new TJvHidDeviceController(std::move(platform), this))
{
}

UsbSource::~UsbSource()
{
    // The adapter goes back to the controller before the controller goes away.
    m_adapter.reset();
}

QString UsbSource::name() const
{
    if (m_identity)
        return QStringLiteral("the USB adapter %1")
            .arg(QString::fromStdString(m_identity->DevicePath));
    return m_node.isEmpty() ? QStringLiteral("the USB adapter")
                            : QStringLiteral("the USB adapter %1").arg(m_node);
}

bool UsbSource::claim(const std::function<bool(TJvHidDevice &)> &wanted)
{
    m_controller->setOnEnumerate([this, &wanted](TJvHidDevice &device, std::int32_t index) {
        if (!wanted(device))
            return true;
        m_controller->ClaimByIndex(m_adapter, index);
        return false;
    });
    m_controller->ListDevices();
    m_controller->setOnEnumerate(nullptr);
    return m_adapter != nullptr;
}

bool UsbSource::open(QString *error)
{
    // The controller's own first scan waits for the event loop; the run needs its answer now.
    m_controller->DeviceChange();
    const std::string node =
        m_node.isEmpty() ? std::string() : QFileInfo(m_node).canonicalFilePath().toStdString();
    const bool found = claim([this, &node](TJvHidDevice &device) {
        if (!m_node.isEmpty())
            return device.PnPInfo().DevicePath == node;
        return device.ProductString() == kAdapterProduct;
    });
    if (!found) {
        *error = m_node.isEmpty()
                     ? QStringLiteral("No \"USB to Serial\" adapter is plugged in. Plug in the "
                                      "meter's USB cable, or name its node with --usb "
                                      "/dev/hidrawN.")
                     : QStringLiteral("Cannot open the USB adapter %1: no HID device is "
                                      "plugged in there.")
                           .arg(m_node);
        return false;
    }
    if (!m_adapter->CanReadWrite()) {
        *error = cannotOpen(*m_adapter);
        m_adapter.reset();
        return false;
    }
    m_identity = m_adapter->PnPInfo();
    m_open = true;
    m_controller->setOnDeviceChange([this](TJvHidDeviceController &) { deviceChange(); });
    startReading();
    return true;
}

void UsbSource::close()
{
    m_open = false;
    m_controller->setOnDeviceChange(nullptr);
    m_adapter.reset();
}

void UsbSource::startReading()
{
    // Plugged in again, the adapter starts at its default speed: it is configured each time.
    m_adapter->SendFeature(adapterFeatureReport(m_setup.adapterSpeed));
    m_intake = HidIntake{};
    m_adapter->setOnReport([this](TJvHidDevice &, std::uint8_t reportId, const std::uint8_t *data,
                                  std::uint16_t size) { takeReport(reportId, data, size); });
}

void UsbSource::deviceChange()
{
    if (!m_open || (m_adapter && m_adapter->Attached()))
        return;
    if (m_adapter) {
        m_adapter.reset();
        emit notice(QStringLiteral("%1 was unplugged; waiting for it to come back.").arg(name()));
    }
    const TJvHidPnPInfo identity = *m_identity;
    if (!claim([&identity](TJvHidDevice &device) { return device.PnPInfo().SameDevice(identity); }))
        return;
    if (!m_adapter->CanReadWrite()) {
        emit notice(cannotOpen(*m_adapter));
        m_adapter.reset();
        return;
    }
    m_identity = m_adapter->PnPInfo();
    emit notice(QStringLiteral("%1 is back.").arg(name()));
    startReading();
}

void UsbSource::takeReport(std::uint8_t reportId, const std::uint8_t *data, std::uint16_t size)
{
    const HidReportOutcome outcome = m_intake.take(reportId, {data, size});
    if (!outcome.finishedBurst || m_setup.usbHandler != UsbReportHandler::Heron)
        return;
    const HeronBurstFrame burst = finishHeronBurst(*outcome.finishedBurst);
    if (burst.framed)
        emit frame(burst.FrameText);
}

} // namespace vireo
