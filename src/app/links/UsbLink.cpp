#include "app/links/UsbLink.h"

#include "app/links/LinkStatus.h"
#include "app/window/FormDialogs.h"
#include "app/window/ToggleButton.h"
#include "app/window/WindowDesign.h"
#include "links/HidOpenFailure.h"
#include "links/JvHidControllerClass.h"
#include "links/LinuxHidPlatform.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

namespace vireo {

namespace {

// The history list gains a line per data report for as long as a link runs; it keeps only
// the newest lines so that a long session cannot exhaust memory.
constexpr int kHistoryLines = 1000;

} // namespace

UsbLink::UsbLink(QWidget *window, FormDialogs &dialogs, LinkStatus &status,
                 std::shared_ptr<HidPlatform> platform, std::function<ModelSwitches()> switches)
    : QObject(window), m_dialogs(dialogs), m_status(status), m_switches(std::move(switches)),
      USBCon(designed<ToggleButton>(window, "USBCon")),
      ReadBtn(designed<ToggleButton>(window, "ReadBtn")),
      ClearBtn(designed<QToolButton>(window, "ClearBtn")),
      InfoBtn(designed<QToolButton>(window, "InfoBtn")),
      SetFeature(designed<QPushButton>(window, "SetFeature")),
      DevListBox(designed<QListWidget>(window, "DevListBox")),
      HistoryListBox(designed<QListWidget>(window, "HistoryListBox")),
      USBtxt(designed<QLabel>(window, "USBtxt"))
{
    if (!platform)
        platform = std::make_shared<LinuxHidPlatform>();
    HidCtl = new TJvHidDeviceController(std::move(platform), this);
    HidCtl->setObjectName(QStringLiteral("HidCtl"));
    wire();
}

UsbLink::~UsbLink()
{
    // Claimed devices go back to the controller before it goes away.
    m_devListDevices.clear();
}

void UsbLink::wire()
{
    HidCtl->setOnArrival([this](TJvHidDevice &dev) { HidCtlArrival(dev); });
    HidCtl->setOnEnumerate(
        [this](TJvHidDevice &dev, std::int32_t idx) { return HidCtlEnumerate(dev, idx); });
    HidCtl->setOnDeviceDataError(
        [this](TJvHidDevice &dev, std::uint32_t error) { HidCtlDeviceDataError(dev, error); });
    HidCtl->setOnRemoval([this](TJvHidDevice &dev) { HidCtlRemoval(dev); });
    HidCtl->setOnDeviceChange([this](TJvHidDeviceController &) { HidCtlDeviceChange(); });

    connect(USBCon, &ToggleButton::clicked, this, &UsbLink::USBConClick);
    connect(ReadBtn, &ToggleButton::clicked, this, &UsbLink::ReadBtnClick);
    connect(SetFeature, &QPushButton::clicked, this, &UsbLink::SetFeatureClick);
    connect(ClearBtn, &QToolButton::clicked, this, &UsbLink::ClearBtnClick);
    connect(InfoBtn, &QToolButton::clicked, this, &UsbLink::InfoBtnClick);
}

void UsbLink::addHistoryLine(const QString &line)
{
    HistoryListBox->addItem(line);
    while (HistoryListBox->count() > kHistoryLines)
        delete HistoryListBox->takeItem(0);
    HistoryListBox->setCurrentRow(HistoryListBox->count() - 1);
}

TJvHidDevice *UsbLink::selectedLineDevice() const
{
    const int row = DevListBox->currentRow();
    if (row < 0 || row >= DevListBox->count() || !DevListBox->currentItem()->isSelected())
        return nullptr;
    return m_devListDevices[static_cast<std::size_t>(row)].get();
}

bool UsbLink::hasSelectedLine() const
{
    return DevListBox->count() > 0 && DevListBox->currentRow() >= 0 &&
           DevListBox->currentItem()->isSelected();
}

QString UsbLink::HidDeviceName(TJvHidDevice &device)
{
    return QString::fromStdString(
        vireo::HidDeviceName(device.ProductString(), device.SerialString(),
                             device.Attributes().VendorID, device.Attributes().ProductID));
}

void UsbLink::bindReportHandler(TJvHidDevice &device, UsbReportHandler handler)
{
    switch (handler) {
    case UsbReportHandler::Heron:
        device.setOnReport([this](TJvHidDevice &dev, std::uint8_t id, const std::uint8_t *data,
                                  std::uint16_t size) { HidHeronData(dev, id, data, size); });
        break;
    case UsbReportHandler::Wren:
        device.setOnReport([this](TJvHidDevice &dev, std::uint8_t id, const std::uint8_t *data,
                                  std::uint16_t size) { HidWrenData(dev, id, data, size); });
        break;
    case UsbReportHandler::None:
        device.setOnReport(nullptr);
        break;
    }
}

TJvHidDevice *UsbLink::lookUpSelectedAdapter()
{
    SelectedAdapter = hasSelectedLine() ? selectedLineDevice() : nullptr;
    return SelectedAdapter;
}
void UsbLink::USBConClick()
{
    m_readingAdapter.reset();
    ReadBtnClick();
    SetFeatureClick();
    m_status.usbReadingRestarted();
    if (lookUpSelectedAdapter() == nullptr)
        return;
    if (!SelectedAdapter->CanReadWrite()) {
        USBCon->setDown(false);
        reportNoAccess(*SelectedAdapter);
        return;
    }
    if (USBCon->isDown()) {
        startReading(applyModelSwitches(m_switches()).usbHandler);
    } else {
        bindReportHandler(*SelectedAdapter, UsbReportHandler::None);
    }
}

void UsbLink::startReading(UsbReportHandler handler)
{
    if (handler == UsbReportHandler::None)
        return;
    bindReportHandler(*SelectedAdapter, handler);
    m_readingAdapter = SelectedAdapter->PnPInfo();
    m_readingHandler = handler;
}

void UsbLink::resumeReading(const TJvHidPnPInfo &adapter, UsbReportHandler handler)
{
    // On a desktop the device tree changes all the time (a mouse reconnecting, a headset, a
    // resume from suspend): the adapter being read goes on being read, and one that went away
    // is read again once it is back, wherever it is listed now. Never another adapter.
    m_readingAdapter = adapter;
    m_readingHandler = handler;
    for (std::size_t i = 0; i < m_devListDevices.size(); ++i) {
        const TJvHidDevice *device = m_devListDevices[i].get();
        if (device == nullptr || !device->PnPInfo().SameDevice(adapter))
            continue;
        DevListBox->setCurrentRow(static_cast<int>(i));
        // Plugged in again, the adapter starts at its default speed.
        if (device->PnPInfo().DevInst != adapter.DevInst)
            SetFeatureClick();
        if (lookUpSelectedAdapter() != nullptr && SelectedAdapter->CanReadWrite())
            startReading(handler);
        return;
    }
}

void UsbLink::reportNoAccess(TJvHidDevice &device)
{
    if (device.OpenError() == 0)
        return;
    m_dialogs.information(
        QStringLiteral("USB interface cable could not be opened, please check and re-try.\n") +
        hidOpenFailure(device, HidDeviceName(device)));
}

void UsbLink::SetFeatureClick()
{
    SelectedAdapter = nullptr;
    if (!hasSelectedLine()) {
        m_dialogs.information(
            QStringLiteral("USB interface cable is not securely connected, please check and "
                           "re-try."));
        USBCon->setDown(false);
        return;
    }
    SelectedAdapter = selectedLineDevice();
    const AdapterFeatureReport report =
        adapterFeatureReport(applyModelSwitches(m_switches()).adapterSpeed);
    if (SelectedAdapter != nullptr)
        SelectedAdapter->SendFeature(report);
    addHistoryLine(QString::fromStdString(featureReportLine(report)));
}

void UsbLink::ReadBtnClick()
{
    if (lookUpSelectedAdapter() == nullptr)
        return;
    if (!SelectedAdapter->CanReadWrite()) {
        ReadBtn->setDown(false);
        return;
    }
    // Raw reading, or none: either way the adapter's reading for USB Connect ends here.
    m_readingAdapter.reset();
    bindReportHandler(*SelectedAdapter,
                      ReadBtn->isDown() ? UsbReportHandler::Wren : UsbReportHandler::None);
}

bool UsbLink::HidCtlEnumerate(TJvHidDevice &HidDev, std::int32_t Idx)
{
    DevListBox->addItem(HidDeviceName(HidDev));
    std::unique_ptr<TJvHidDevice> claimed;
    HidCtl->ClaimByIndex(claimed, Idx);
    m_devListDevices.push_back(std::move(claimed));
    return true;
}

void UsbLink::HidCtlDeviceChange()
{
    const std::optional<TJvHidPnPInfo> reading = m_readingAdapter;
    ReadBtn->setDown(false);
    ReadBtnClick();
    SelectedAdapter = nullptr;
    // Releasing returns every device that is still present to the controller, unclaimed.
    m_devListDevices.clear();
    DevListBox->clear();
    HidCtl->ListDevices();
    for (int i = 0; i < DevListBox->count(); ++i) {
        if (DevListBox->item(i)->text() == QLatin1String("USB to Serial"))
            DevListBox->setCurrentRow(i);
    }
    if (reading)
        resumeReading(*reading, m_readingHandler);
}

void UsbLink::HidCtlArrival(TJvHidDevice &HidDev)
{
    addHistoryLine(QStringLiteral("Arrival of ") + HidDeviceName(HidDev));
}

void UsbLink::HidCtlRemoval(TJvHidDevice &HidDev)
{
    addHistoryLine(QStringLiteral("Removal of ") + HidDeviceName(HidDev));
}

void UsbLink::HidCtlDeviceDataError(TJvHidDevice &, std::uint32_t Error)
{
    addHistoryLine(QStringLiteral("READ ERROR: %1 (%2)")
                       .arg(QString::fromStdString(HidCtl->errorMessage(Error)))
                       .arg(QString::number(Error, 16).toUpper()));
}

void UsbLink::ClearBtnClick()
{
    HistoryListBox->clear();
}

void UsbLink::InfoBtnClick()
{
    if (hasSelectedLine())
        emit infoRequested();
}

void UsbLink::takeReport(std::uint8_t ReportID, const std::uint8_t *Data, std::uint16_t Size,
                         bool decodes)
{
    const HidReportOutcome outcome = m_hidIntake.take(ReportID, {Data, Size});
    m_status.reportTaken(outcome.kind);
    if (outcome.historyLine)
        addHistoryLine(QString::fromStdString(*outcome.historyLine));
    if (!outcome.finishedBurst)
        return;
    if (decodes) {
        const HeronBurstFrame frame = finishHeronBurst(*outcome.finishedBurst);
        USBtxt->setText(QString::fromStdString(frame.FrameText));
        if (frame.framed)
            emit frameReceived(frame.FrameText);
    } else {
        // The 14-byte frames are shown here only.
        USBtxt->setText(QString::fromStdString(finishWrenBurst(*outcome.finishedBurst)));
    }
}

void UsbLink::HidHeronData(TJvHidDevice &, std::uint8_t ReportID, const std::uint8_t *Data,
                           std::uint16_t Size)
{
    takeReport(ReportID, Data, Size, true);
}

void UsbLink::HidWrenData(TJvHidDevice &, std::uint8_t ReportID, const std::uint8_t *Data,
                          std::uint16_t Size)
{
    takeReport(ReportID, Data, Size, false);
}

void UsbLink::stopStalledUsbReading()
{
    m_readingAdapter.reset();
    USBCon->setDown(false);
    if (SelectedAdapter != nullptr)
        bindReportHandler(*SelectedAdapter, UsbReportHandler::None);
    m_dialogs.information(QStringLiteral(
        "USB interface cable is securely connected, please check if the meter is ready."));
}

} // namespace vireo
