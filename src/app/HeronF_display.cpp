// The road of a reading: collectors, decoder, LCD panel, and the log entry with its chart point
// and judgement.
#include "app/HeronF.h"

#include "app/chart/TrendChart.h"
#include "app/lcd/LcdPanel.h"
#include "app/links/LinkStatus.h"
#include "app/log/ReadingLog.h"
#include "app/scale/LimitsPanel.h"
#include "app/scale/ScalePanel.h"
#include "app/uCharControl.h"
#include "core/NumberText.h"

#include <QLabel>
#include <QProgressBar>

namespace vireo {

void TFCOMM::LcdDisplayHeron(const std::string &FrameText)
{
    DecimalSep = GetDecimalSeparator();
    m_linkStatus->frameSeen();
    Memo1.append(FrameText);

    const DecodedFrame frame =
        LcdDecode(FrameText, quirks, DecimalSep.toStdString(), counts, tracker);
    // A frame with unreadable digits leaves the panel, the log and the chart as they were.
    if (frame.decoded)
        applyDecodedFrame(frame);
}

void TFCOMM::applyDecodedFrame(const DecodedFrame &decoded)
{
    const MeterReading &reading = decoded.reading;
    Panel1->showMembers(decoded.lcd);
    ValueText = QString::fromStdString(reading.ValueText);
    UnitText = QString::fromStdString(reading.UnitText);
    FuncText = QString::fromStdString(reading.FuncText);
    RangeText = QString::fromStdString(reading.RangeText);
    ReadingCount = reading.ReadingCount;
    OverloadEdge = reading.overloadEdge;

    if (reading.axis) {
        m_chart->chartControl().SetValueMin(reading.axis->min);
        m_chart->chartControl().SetValueMax(reading.axis->max);
    }

    m_scale->showMaxMin(decoded.maxMin.MaxText, decoded.maxMin.MinText, decoded.maxMin.MaxTextU,
                        decoded.maxMin.MinTextU);

    m_scale->KDrun(reading.needle);
    INDataToTable();
    // The bar's scale ends at 60; leading digits beyond that fill it.
    const int bar = std::clamp(decoded.lcd.bar, PBar2->minimum(), PBar2->maximum());
    if (bar != PBar2->value()) {
        // The bar repaints itself at once on a new value; held back, it joins the one repaint
        // that follows the poll instead of costing a paint and a flush of its own.
        PBar2->setUpdatesEnabled(false);
        PBar2->setValue(bar);
        PBar2->setUpdatesEnabled(true);
    }
}

void TFCOMM::INDataToTable()
{
    const std::string value = ValueText.toStdString();
    // A reading is a log row, a chart point and a judgement, or none of them.
    if (!m_log->offer(value, FuncText.toStdString(), UnitText.toStdString(),
                      RangeText.toStdString()))
        return;
    const std::optional<double> number = textToFloat(value, DecimalSep.toStdString());
    const TChartControl &chart = m_chart->chartControl();
    double plotted = 0;
    if (number)
        plotted = *number;
    else
        plotted = OverloadEdge == AxisEdge::Bottom ? chart.FValueMin() : chart.FValueMax();
    m_chart->addValue(plotted);
    m_limits->judgeReading(ValueText);
}

} // namespace vireo
