#pragma once

#include "core/LcdDecoder.h"
#include "core/MeterReading.h"
#include "core/ModelTable.h"
#include "core/TraceLog.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <string>

class QCheckBox;
class QProgressBar;

namespace vireo {

class FormDialogs;
class HidPlatform;
class LcdPanel;
class LimitsPanel;
class LinkStatus;
class ReadingLog;
class ScalePanel;
class SerialLink;
class TrendChart;
class UsbLink;

// The main window: builds the window design, the components that own its concerns (link
// status, serial link, USB link, limits panel, analog scale, trend chart, reading log), wires
// them, and carries each reading from a link through the LCD panel to the log, the chart and
// the judgement.
// Components and controls are found by their design names (objectName).
class TFCOMM : public QWidget {
    Q_OBJECT
public:
    // `switches` stands for the check marks of the hidden model boxes in the window design;
    // `dialogs` answers the window's boxes (the real ones when null).
    // `hidPlatform` is the USB HID layer (the system's when null).
    explicit TFCOMM(const ModelSwitches &switches = ModelSwitches::shipped(),
                    FormDialogs *dialogs = nullptr,
                    std::shared_ptr<HidPlatform> hidPlatform = nullptr, QWidget *parent = nullptr);
    ~TFCOMM() override;

    void FormCreate();
    std::string GetDecimalSeparator() const;
    void BtExit1Click();
    void BitBtn1Click();

    // The road of a reading. A display frame ("A", nine digits, "D") from either link comes in
    // here, the one way in; the decoded reading goes on to the log entry.
    void LcdDisplayHeron(const std::string &FrameText);
    void INDataToTable();

    // The last step of start-up, taken once the window is on screen: the rows that earlier runs
    // logged and never saved are offered back.
    void offerEarlierRuns();

    ModelSwitches switches() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void buildComponents(std::shared_ptr<HidPlatform> hidPlatform);
    void wire();
    void readDecimalSeparator();
    void applyDecodedFrame(DecodedFrame &frame);
    void showDeviceInfo();

    // LCD panel (its members are the panel's state) and the bar graph below it.
    LcdPanel *Panel1 = nullptr;
    QProgressBar *PBar2 = nullptr;
    std::unique_ptr<FormDialogs> m_ownDialogs;
    FormDialogs *m_dialogs;
    // The hidden model switches, in the order of ModelSwitches.
    std::array<QCheckBox *, 13> m_modelBoxes{};
    LinkStatus *m_linkStatus = nullptr;
    SerialLink *m_serial = nullptr;
    UsbLink *m_usb = nullptr;
    LimitsPanel *m_limits = nullptr;
    ScalePanel *m_scale = nullptr;
    TrendChart *m_chart = nullptr;
    ReadingLog *m_log = nullptr;
    std::function<void()> m_closed;
    bool m_offerAfterPaint = false;

    // Program-wide state of the road.
    DecoderQuirks quirks;
    CountClass counts; // ScaleKind, FullScaleCount, ScaleCenter, BarMidPos, ScaleSpan, ...
    MaxMinTracker tracker;
    std::string DecimalSep;
    TraceLog Memo1;
    // The reading of the last decoded frame: ValueText, UnitText, FuncText, RangeText,
    // ReadingCount and where an overload is plotted.
    MeterReading reading;
};

} // namespace vireo
