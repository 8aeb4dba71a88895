// The road of a reading: collectors, decoder, LCD panel, and the log entry with its chart point
// and judgement.
#include "app/HeronF.h"

#include "app/FormWidgets.h"
#include "app/LcdPanel.h"
#include "app/LimitsPanel.h"
#include "app/ReadingLog.h"
#include "app/ScalePanel.h"
#include "app/SerialLink.h"
#include "app/TrendChart.h"
#include "app/uCharControl.h"
#include "core/FrameCollector.h"
#include "core/NumberText.h"

#include <QLabel>
#include <QProgressBar>

namespace vireo {

void TFCOMM::HHeronBRData(const std::uint8_t *DataPtr, std::uint32_t DataSize)
{
    collectHeron(frames, std::span<const std::uint8_t>(DataPtr, DataSize),
                 [this] { LcdDisplayHeron(); });
}

void TFCOMM::HWrenBRData(const std::uint8_t *DataPtr, std::uint32_t DataSize)
{
    collectWren(frames, std::span<const std::uint8_t>(DataPtr, DataSize));
}

void TFCOMM::takeFrameText(const std::string &text, bool framed)
{
    frames.FrameText = text;
    if (framed)
        LcdDisplayHeron();
}

void TFCOMM::LcdDisplayHeron()
{
    DecimalSep = GetDecimalSeparator();
    m_serial->frameSeen();
    Memo1.append(frames.FrameText);

    const DecodedFrame frame =
        LcdDecode(frames.FrameText, switches(), DecimalSep.toStdString(), counts, tracker);
    // A frame with unreadable digits leaves the panel, the log and the chart as they were.
    if (frame.decoded)
        applyDecodedFrame(frame);
}

void TFCOMM::applyDecodedFrame(const DecodedFrame &frame)
{
    Panel1->showMembers(frame.visible, frame.digits);
    ValueText = QString::fromStdString(frame.ValueText);
    UnitText = QString::fromStdString(frame.UnitText);
    FuncText = QString::fromStdString(frame.FuncText);
    RangeText = QString::fromStdString(frame.RangeText);
    ReadingCount = frame.ReadingCount;
    OverloadEdge = frame.overloadEdge;

    if (frame.axis) {
        m_chart->chartControl().SetValueMin(frame.axis->min);
        m_chart->chartControl().SetValueMax(frame.axis->max);
    }

    m_scale->showMaxMin(frame.MaxText, frame.MinText, frame.MaxTextU, frame.MinTextU);

    m_scale->KDrun(frame.needle);
    INDataToTable();
    // The bar's scale ends at 60; leading digits beyond that fill it.
    PBar2->setValue(std::clamp(frame.bar, PBar2->minimum(), PBar2->maximum()));
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
