// The USB adapter: finding and claiming it, configuring it, and turning its input reports
// into display frames.
#include "app/HeronF.h"

#include "app/FormDialogs.h"
#include "app/FormWidgets.h"
#include "core/HidIntake.h"
#include "links/JvHidControllerClass.h"
#include "links/LinuxHidPlatform.h"

#include <QEventLoop>
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

void TFCOMM::buildUsb(std::shared_ptr<HidPlatform> platform)
{
    if (!platform)
        platform = std::make_shared<LinuxHidPlatform>();
    HidCtl = new TJvHidDeviceController(std::move(platform), this);
    HidCtl->setObjectName(QStringLiteral("HidCtl"));
    HidCtl->setOnArrival([this](TJvHidDevice &dev) { HidCtlArrival(dev); });
    HidCtl->setOnEnumerate(
        [this](TJvHidDevice &dev, std::int32_t idx) { return HidCtlEnumerate(dev, idx); });
    HidCtl->setOnDeviceDataError(
        [this](TJvHidDevice &dev, std::uint32_t error) { HidCtlDeviceDataError(dev, error); });
    HidCtl->setOnRemoval([this](TJvHidDevice &dev) { HidCtlRemoval(dev); });
    HidCtl->setOnDeviceChange([this](TJvHidDeviceController &) { HidCtlDeviceChange(); });

    connect(SetFeature, &QPushButton::clicked, this, [this] { SetFeatureClick(); });
    connect(ClearBtn, &QToolButton::clicked, this, [this] { ClearBtnClick(); });
    connect(InfoBtn, &QToolButton::clicked, this, [this] { InfoBtnClick(); });
}

void TFCOMM::addHistoryLine(const QString &line)
{
    HistoryListBox->addItem(line);
    while (HistoryListBox->count() > kHistoryLines)
        delete HistoryListBox->takeItem(0);
    HistoryListBox->setCurrentRow(HistoryListBox->count() - 1);
}

TJvHidDevice *TFCOMM::selectedLineDevice() const
{
    const int row = DevListBox->currentRow();
    if (row < 0 || row >= DevListBox->count() || !DevListBox->currentItem()->isSelected())
        return nullptr;
    return m_devListDevices[static_cast<std::size_t>(row)].get();
}

bool TFCOMM::hasSelectedLine() const
{
    return DevListBox->count() > 0 && DevListBox->currentRow() >= 0 &&
           DevListBox->currentItem()->isSelected();
}

QString TFCOMM::HidDeviceName(TJvHidDevice &device)
{
    return QString::fromStdString(
        vireo::HidDeviceName(device.ProductString(), device.SerialString(),
                             device.Attributes().VendorID, device.Attributes().ProductID));
}

void TFCOMM::bindReportHandler(TJvHidDevice &device, UsbReportHandler handler)
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

TJvHidDevice *TFCOMM::lookUpSelectedAdapter()
{
    SelectedAdapter = hasSelectedLine() ? selectedLineDevice() : nullptr;
    return SelectedAdapter;
}

void TFCOMM::USBConClick()
{
    ReadBtnClick();
    SetFeatureClick();
    watchdog.usbReadingRestarted();
    if (lookUpSelectedAdapter() == nullptr)
        return;
    if (!SelectedAdapter->CanReadWrite()) {
        USBCon->setDown(false);
        return;
    }
    if (USBCon->isDown()) {
        const ModelSwitches sw = switches();
        if (sw.IFOsprey)
            bindReportHandler(*SelectedAdapter, UsbReportHandler::Heron);
        if (sw.IFWren)
            bindReportHandler(*SelectedAdapter, UsbReportHandler::Wren);
    } else {
        bindReportHandler(*SelectedAdapter, UsbReportHandler::None);
    }
}

void TFCOMM::SetFeatureClick()
{
    SelectedAdapter = nullptr;
    if (!hasSelectedLine()) {
        dialogs().information(
            QStringLiteral("USB interface cable is not securely connected, please check and "
                           "re-try."));
        USBCon->setDown(false);
        return;
    }
    SelectedAdapter = selectedLineDevice();
    const AdapterFeatureReport report = adapterFeatureReport(adapterSpeedFor(switches()));
    if (SelectedAdapter != nullptr)
        SelectedAdapter->SendFeature(report);
    addHistoryLine(QString::fromStdString(featureReportLine(report)));
}

void TFCOMM::ReadBtnClick()
{
    if (lookUpSelectedAdapter() == nullptr)
        return;
    if (!SelectedAdapter->CanReadWrite())
        ReadBtn->setDown(false);
    else
        bindReportHandler(*SelectedAdapter,
                          ReadBtn->isDown() ? UsbReportHandler::Wren : UsbReportHandler::None);
}

bool TFCOMM::HidCtlEnumerate(TJvHidDevice &HidDev, std::int32_t Idx)
{
    DevListBox->addItem(HidDeviceName(HidDev));
    std::unique_ptr<TJvHidDevice> claimed;
    HidCtl->ClaimByIndex(claimed, Idx);
    m_devListDevices.push_back(std::move(claimed));
    return true;
}

void TFCOMM::HidCtlDeviceChange()
{
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
}

void TFCOMM::HidCtlArrival(TJvHidDevice &HidDev)
{
    addHistoryLine(QStringLiteral("Arrival of ") + HidDeviceName(HidDev));
}

void TFCOMM::HidCtlRemoval(TJvHidDevice &HidDev)
{
    addHistoryLine(QStringLiteral("Removal of ") + HidDeviceName(HidDev));
}

void TFCOMM::HidCtlDeviceDataError(TJvHidDevice &, std::uint32_t Error)
{
    addHistoryLine(QStringLiteral("READ ERROR: %1 (%2)")
                       .arg(QString::fromStdString(HidCtl->errorMessage(Error)))
                       .arg(QString::number(Error, 16).toUpper()));
}

void TFCOMM::ClearBtnClick()
{
    HistoryListBox->clear();
}

void TFCOMM::InfoBtnClick()
{
    if (!hasSelectedLine())
        return;
    TFCOMM info(switches(), m_dialogs);
    info.setWindowModality(Qt::ApplicationModal);
    info.setAttribute(Qt::WA_DeleteOnClose, false);
    QEventLoop loop;
    info.m_closed = [&loop] { loop.quit(); };
    info.show();
    loop.exec();
}

void TFCOMM::takeReport(std::uint8_t ReportID, const std::uint8_t *Data, std::uint16_t Size,
                        bool decodes)
{
    const HidReportOutcome outcome = m_hidIntake.take(ReportID, {Data, Size});
    watchdog.reportTaken(outcome.kind);
    if (outcome.historyLine)
        addHistoryLine(QString::fromStdString(*outcome.historyLine));
    if (!outcome.finishedBurst)
        return;
    if (decodes) {
        const HeronBurstFrame frame = finishHeronBurst(*outcome.finishedBurst);
        frames.FrameText = frame.FrameText;
        USBtxt->setText(QString::fromStdString(frames.FrameText));
        if (frame.framed)
            LcdDisplayHeron();
    } else {
        frames.FrameText = finishWrenBurst(*outcome.finishedBurst);
        USBtxt->setText(QString::fromStdString(frames.FrameText));
    }
}

void TFCOMM::HidHeronData(TJvHidDevice &, std::uint8_t ReportID, const std::uint8_t *Data,
                          std::uint16_t Size)
{
    takeReport(ReportID, Data, Size, true);
}

void TFCOMM::HidWrenData(TJvHidDevice &, std::uint8_t ReportID, const std::uint8_t *Data,
                         std::uint16_t Size)
{
    takeReport(ReportID, Data, Size, false);
}

void TFCOMM::stopStalledUsbReading()
{
    USBCon->setDown(false);
    if (SelectedAdapter != nullptr)
        bindReportHandler(*SelectedAdapter, UsbReportHandler::None);
    dialogs().information(QStringLiteral(
        "USB interface cable is securely connected, please check if the meter is ready."));
}

} // namespace vireo
