#pragma once

#include "core/MeterReading.h"

#include <QFont>
#include <QObject>
#include <QRect>
#include <QString>

#include <cstdint>

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
// timer Timer2, the page buttons, enlarge/restore and the chart picture. The window plots
// through it; the pager is its own.
class TrendChart : public QObject {
    Q_OBJECT
public:
    // Takes its controls from the window design in `window`.
    TrendChart(QWidget *window, FormDialogs &dialogs);

    // Creates the pager over the chart with a page of 100 points.
    void createChartControl();
    // The vertical axis runs over the range.
    void setAxisRange(const AxisRange &range);
    // Plots a logged value and shows the page it landed on.
    void plotValue(double value);
    // Plots a logged value that is no number (an overload) at an edge of the vertical axis.
    void plotAxisEdge(AxisEdge edge);
    // The log was closed: the chart starts over, its page caption stays.
    void clear();
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
    QFont pageCaptionFont(const QString &caption) const;

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
    // Bt10's font as designed, for page numbers that fit it.
    QFont m_pageFont;
    TChartControl *ChartCtl = nullptr;
    QRect m_savedChartBounds;
    QString m_lastPictureName;
};

} // namespace vireo
