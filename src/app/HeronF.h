#pragma once

#include "app/AnalogScale.h"
#include "app/LogReport.h"
#include "core/FrameCollector.h"
#include "core/LcdDecoder.h"
#include "core/LinkWatchdog.h"
#include "core/ModelTable.h"
#include "core/RecordGate.h"
#include "core/TraceLog.h"

#include <QList>
#include <QRect>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QAreaSeries;
class QChart;
class QChartView;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QLineSeries;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QTimer;
class QToolButton;
class QValueAxis;

namespace vireo {

class ClickPanel;
class HidPlatform;
class FormDialogs;
class LiveRows;
class LogGrid;
class LcdPanel;
class LogTable;
class SerialLink;
class ShapeWidget;
class TChartControl;
class UsbLink;

// The main window. Controls keep the names of the window design and handlers the names of
// their control and event, so that the code reads against the design; hidden and parked
// controls are real hidden widgets that hold state for the handlers.
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

    // --- start-up and exit
    void FormCreate();
    QString GetDecimalSeparator() const;
    void BtExit1Click();
    void BitBtn1Click();

    // --- display
    void LcdDisplayHeron();
    void HHeronBRData(const std::uint8_t *DataPtr, std::uint32_t DataSize);
    void HWrenBRData(const std::uint8_t *DataPtr, std::uint32_t DataSize);

    // --- log, chart and judgement
    void INDataToTable();
    void RecordNewClick();
    void TrecordTimer();
    void RecordSITimeChange();
    bool RecordSITimeKeyPress(QChar key);
    void N10001Click();
    void N50001Click();
    void N100001Click();
    void N500001Click();
    void N1000001Click();
    void limitessClick();
    void BtFillClick();
    void MaxrecordChange();
    void Timer2Timer();
    void BtFirstClick();
    void BTPreviousClick();
    void BtNextClick();
    void BTlastClick();
    void TbFdClick();
    void T1HIChange();
    void T1LOChange();
    void Timer4Timer();
    void Timer5Timer();
    bool T1HIKeyPress(QChar key);

    // --- files, report and chart picture
    void saveasClick();
    bool SaveTableToFile(const LogTable &table, const QString &name);
    void OpenDataFilesClick();
    bool LoadTableFromFile(const QString &name, LogTable &table, bool clearFirst);
    void BtPrintClick();
    void BtSaveClick();

    // --- analog scale and its limits
    void KDsetup(int Mode);
    void KDrun(std::int32_t Position);
    void KdFdClick();
    void KDResize();
    void SetmaxExit();
    void SetMinExit();
    bool SetmaxKeyPress(QChar key);

    // ---------------------------------------------------------------- window design
    // Model switches (hidden check boxes).
    QCheckBox *IFWren, *IFHeron, *IFPlover, *IFFinch, *IFOsprey, *IFKestrel, *IFSiskin, *IFLinnet,
        *IFCurlew, *IFPetrel, *IFMerlin, *Egret, *Ibis;

    QPushButton *BitBtn1;

    // LCD panel; its members are the panel's state.
    LcdPanel *Panel1;
    QProgressBar *PBar2;

    // Limits panel.
    QFrame *Panel4;
    QLineEdit *T1HI, *T1VALUE, *T1LO;
    ShapeWidget *Shape1;
    QLabel *judge;

    // Record bar.
    QCheckBox *RepeatSet, *RecordSI;
    QLineEdit *RecordSITime;
    QToolButton *RecordNew, *OpenDataFiles, *saveas, *BtPrint;

    // Log grid and the log table it shows.
    LogGrid *DBGrid1;
    std::unique_ptr<LogTable> cds1;
    // Where live readings join cds1 (they wait there while a file is loaded or saved).
    std::unique_ptr<LiveRows> liveRows;

    // Trend chart with its toolbar.
    QChartView *Chtshow;
    QChart *chart;
    QAreaSeries *Series2;
    QLineSeries *Series2Upper;
    QLineSeries *Series1;
    QValueAxis *axisX, *axisY;
    QCheckBox *BtFill;
    QLineEdit *Maxrecord;
    QToolButton *BtNew, *BtSave, *BtFirst, *BTPrevious, *BtNext, *BTlast;
    QPushButton *Bt10;
    ClickPanel *TbFd, *TbSx;

    // Hidden and parked controls.
    ClickPanel *BtExit;
    TraceLog Memo1;
    QFrame *Panel3;
    QLabel *MinText, *MaxText, *MinTextU, *MaxTextU;
    QCheckBox *SetMaxB, *SetMinB;
    QLineEdit *Setmax, *SetMin;
    QFrame *KD;
    QLabel *KD1;
    ClickPanel *KdFd, *KdSx;

    // Hidden main menu.
    QAction *New1, *N10001, *N50001, *N100001, *N500001, *N1000001, *limitess, *EXIT1;

    // Timers.
    QTimer *Trecord, *Timer2, *Timer4, *Timer5;

    // ---------------------------------------------------------------- program-wide state
    ModelSwitches switches() const;
    CountClass counts; // ScaleKind, FullScaleCount, ScaleCenter, BarMidPos, ScaleSpan, ...
    float LimitHigh = 0;
    float LimitLow = 0;
    MaxMinTracker tracker;
    QString DecimalSep;
    std::unique_ptr<TChartControl> ChartCtl;
    RecordGate recordGate;
    std::int32_t MaxRecords = 10000;

    // The reading of the last decoded frame.
    QString ValueText, UnitText, FuncText, RangeText;
    float ReadingCount = 0;
    AxisEdge OverloadEdge = AxisEdge::Top;

    // Frame texts (RxNibbles, FrameText).
    FrameCollector frames;

    FormDialogs &dialogs() { return *m_dialogs; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildLcdPanel();
    void takeDesignedControls();
    void setUpChart();
    void buildTimers();
    void wire();
    void takeUsbFrame(const std::string &text, bool framed);
    void showDeviceInfo();
    void applyDecodedFrame(const DecodedFrame &frame);
    void judgeReading();
    void setPageCaption(std::int32_t page);
    void checkRecordLimit(QAction *item, std::int32_t limit);
    void wireScale();
    bool readScaleLimit(const QLineEdit *edit, float &limit);
    void showScaleImage();

    std::unique_ptr<FormDialogs> m_ownDialogs;
    FormDialogs *m_dialogs;
    QRect m_savedChartBounds;
    bool m_intervalErrorShown = false;
    AnalogScale m_scale;
    LinkWatchdog m_watchdog;
    SerialLink *m_serial;
    UsbLink *m_usb;
    std::function<void()> m_closed;
    LogReportPreview m_preview;
    QString m_lastOpenName;
    QString m_lastPictureName;
    QRect m_savedScaleBounds;
};

} // namespace vireo
