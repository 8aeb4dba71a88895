#pragma once

#include <QObject>
#include <QRect>
#include <QString>

#include <cstdint>
#include <memory>

class QAreaSeries;
class QChart;
class QChartView;
class QCheckBox;
class QLineEdit;
class QLineSeries;
class QPushButton;
class QTimer;
class QToolButton;
class QValueAxis;
class QWidget;

namespace vireo {

class ClickPanel;
class FormDialogs;
class TChartControl;
class TrendPlot;

// The trend chart Chtshow with its toolbar: the pager ChartCtl, the page size box with its
// timer Timer2, the page buttons, enlarge/restore and the chart picture.
class TrendChart : public QObject {
    Q_OBJECT
public:
    // Takes its controls from the window design in `window`.
    TrendChart(QWidget *window, FormDialogs &dialogs);
    ~TrendChart() override;

    // Creates the pager over the chart with a page of 100 points.
    void createChartControl();
    TChartControl &chartControl() { return *ChartCtl; }
    // Plots a logged value and shows the page it landed on.
    void addValue(double value);
    // The enlarged dial covers the chart.
    void setCovered(bool covered);

    void BtFillClick();
    void MaxrecordChange();
    void Timer2Timer();
    void BtFirstClick();
    void BTPreviousClick();
    void BtNextClick();
    void BTlastClick();
    void TbFdClick();
    void BtSaveClick();

signals:
    // BtNew: the log is to be closed.
    void newClicked();
    // The chart was enlarged over the limits panel, or restored.
    void enlargedChanged(bool enlarged);

private:
    void setUpChart();
    void wire();
    void setPageCaption(std::int32_t page);

    FormDialogs &m_dialogs;
    QChartView *Chtshow;
    QChart *chart;
    QAreaSeries *Series2;
    QLineSeries *Series1;
    QValueAxis *axisX, *axisY;
    TrendPlot *m_plot = nullptr;
    QCheckBox *BtFill;
    QLineEdit *Maxrecord;
    QToolButton *BtNew, *BtSave, *BtFirst, *BTPrevious, *BtNext, *BTlast;
    QPushButton *Bt10;
    ClickPanel *TbFd, *TbSx;
    QTimer *Timer2;
    std::unique_ptr<TChartControl> ChartCtl;
    QRect m_savedChartBounds;
    QString m_lastPictureName;
};

} // namespace vireo
