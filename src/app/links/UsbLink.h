#pragma once

#include "core/HidIntake.h"
#include "core/ModelTable.h"
#include "links/JvHidPnPInfo.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;
class QToolButton;
class QWidget;

namespace vireo {

class FormDialogs;
class HidPlatform;
class LinkStatus;
class TJvHidDevice;
class TJvHidDeviceController;
class ToggleButton;

// The USB link: the HID controller HidCtl with the device and history lists, the connect and
// read buttons, the adapter's configuration report and the intake of its input reports.
class UsbLink : public QObject {
    Q_OBJECT
public:
    // Takes its controls from the window design in `window`; `platform` is the USB HID layer
    // (the system's when null) and `switches` reads the window's model switches. Every input
    // report is counted by the link's `status`.
    UsbLink(QWidget *window, FormDialogs &dialogs, LinkStatus &status,
            std::shared_ptr<HidPlatform> platform, std::function<ModelSwitches()> switches);
    ~UsbLink() override;

    void USBConClick();
    void SetFeatureClick();
    void ReadBtnClick();
    bool HidCtlEnumerate(TJvHidDevice &HidDev, std::int32_t Idx);
    void HidCtlDeviceChange();
    void HidCtlArrival(TJvHidDevice &HidDev);
    void HidCtlRemoval(TJvHidDevice &HidDev);
    void HidCtlDeviceDataError(TJvHidDevice &HidDev, std::uint32_t Error);
    void ClearBtnClick();
    void InfoBtnClick();
    void HidHeronData(TJvHidDevice &HidDev, std::uint8_t ReportID, const std::uint8_t *Data,
                      std::uint16_t Size);
    void HidWrenData(TJvHidDevice &HidDev, std::uint8_t ReportID, const std::uint8_t *Data,
                     std::uint16_t Size);
    QString HidDeviceName(TJvHidDevice &device);
    // The adapter has sent only reports without meter bytes for long: the reading is let go,
    // with a word to the user.
    void stopStalledUsbReading();

signals:
    // A display frame ("A", nine digits, "D") for the decoder, as the serial link hands one on.
    void frameReceived(const std::string &FrameText);
    // The device information window was asked for.
    void infoRequested();

private:
    void wire();
    void addHistoryLine(const QString &line);
    bool hasSelectedLine() const;
    TJvHidDevice *selectedLineDevice() const;
    TJvHidDevice *lookUpSelectedAdapter();
    void bindReportHandler(TJvHidDevice &device, UsbReportHandler handler);
    void takeReport(std::uint8_t ReportID, const std::uint8_t *Data, std::uint16_t Size,
                    bool decodes);
    void startReading(UsbReportHandler handler);
    void resumeReading(const TJvHidPnPInfo &adapter, UsbReportHandler handler);
    void reportNoAccess(TJvHidDevice &device);

    FormDialogs &m_dialogs;
    LinkStatus &m_status;
    std::function<ModelSwitches()> m_switches;
    ToggleButton *USBCon, *ReadBtn;
    QToolButton *ClearBtn, *InfoBtn;
    QPushButton *SetFeature;
    QListWidget *DevListBox, *HistoryListBox;
    QLabel *USBtxt;
    TJvHidDeviceController *HidCtl;
    // The USB adapter of the selected device line, while one is looked up.
    TJvHidDevice *SelectedAdapter = nullptr;
    HidIntake m_hidIntake;
    // The adapter USB Connect reads, kept across device changes: read on while it is listed,
    // waited for while it is not.
    std::optional<TJvHidPnPInfo> m_readingAdapter;
    UsbReportHandler m_readingHandler = UsbReportHandler::None;
    // The device each DevListBox line carries (none when its claim failed).
    std::vector<std::unique_ptr<TJvHidDevice>> m_devListDevices;
};

} // namespace vireo
