// Turning frames into the LCD panel: the collectors and the decoder's application to the window.
#include "app/HeronF.h"

#include "app/FormWidgets.h"
#include "app/LcdPanel.h"
#include "app/SerialLink.h"
#include "app/uCharControl.h"
#include "core/FrameCollector.h"

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
        ChartCtl->SetValueMin(frame.axis->min);
        ChartCtl->SetValueMax(frame.axis->max);
    }

    auto setCaption = [](QLabel *label, const std::string &text) {
        const QString caption = QString::fromStdString(text);
        if (label->text() != caption)
            label->setText(caption);
    };
    setCaption(MaxText, frame.MaxText);
    setCaption(MinText, frame.MinText);
    setCaption(MaxTextU, frame.MaxTextU);
    setCaption(MinTextU, frame.MinTextU);

    KDrun(frame.needle);
    INDataToTable();
    // The bar's scale ends at 60; leading digits beyond that fill it.
    PBar2->setValue(std::clamp(frame.bar, PBar2->minimum(), PBar2->maximum()));
}

} // namespace vireo
