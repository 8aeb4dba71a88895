#include "app/scale/AnalogScale.h"

#include <QPainter>
#include <QPen>
#include <QString>

namespace vireo {

namespace {

constexpr int kTickPenWidth = 2;
constexpr int kFineDotPenWidth = 4;
constexpr int kNeedlePenWidth = 2;
// The panel's own colour: erasing the pointer paints its line in it.
const QColor kPanelColour = Qt::white;

QColor toQColor(ScaleColour colour)
{
    switch (colour) {
    case ScaleColour::Red:
        return QColor(255, 0, 0);
    case ScaleColour::White:
        return Qt::white;
    case ScaleColour::Black:
        break;
    }
    return Qt::black;
}

QPen penFor(const QColor &colour, int width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QPoint toQPoint(const ScalePoint &p)
{
    return {p.x, p.y};
}

void drawDot(QPainter &painter, const DialPrimitive &dot, int penWidth)
{
    painter.setPen(penFor(toQColor(dot.colour), penWidth));
    painter.drawEllipse(QRectF(dot.at.x, dot.at.y, 2, 2));
}

} // namespace

void AnalogScale::resizeImage(const QSize &size)
{
    if (m_image.size() == size)
        return;
    m_image = QImage(size, QImage::Format_RGB32);
    m_image.fill(Qt::white);
}

void AnalogScale::KDsetup(const QSize &panel, const ScaleClass &scale, const ScaleMarks &marks)
{
    const auto dial = ScaleGeometry(panel.width(), panel.height()).dial(scale, marks);
    if (!dial || m_image.isNull())
        return;
    m_image.fill(Qt::white);
    QPainter painter(&m_image);
    painter.setBrush(Qt::NoBrush);
    const int ascent = painter.fontMetrics().ascent();
    for (const DialPrimitive &p : *dial) {
        switch (p.mark) {
        case DialMark::Label:
            painter.setPen(penFor(toQColor(p.colour), 1));
            painter.drawText(
                p.at.x, p.at.y + ascent,
                QString::fromLatin1(p.text.data(), static_cast<qsizetype>(p.text.size())));
            break;
        case DialMark::TickDot:
            drawDot(painter, p, kTickPenWidth);
            break;
        case DialMark::FineDot:
            drawDot(painter, p, kFineDotPenWidth);
            break;
        }
    }
}

void AnalogScale::KDrun(const QSize &panel, std::int32_t Position, std::int32_t ScaleSpan)
{
    const auto needle = ScaleGeometry(panel.width(), panel.height()).needle(Position, ScaleSpan);
    if (!needle)
        return;
    const NeedleLine previous = m_lastNeedle;
    m_lastNeedle = *needle;
    if (m_image.isNull())
        return;
    QPainter painter(&m_image);
    painter.setPen(penFor(kPanelColour, kNeedlePenWidth));
    painter.drawLine(toQPoint(previous.tip), toQPoint(previous.base));
    painter.setPen(penFor(Qt::black, kNeedlePenWidth));
    painter.drawLine(toQPoint(needle->tip), toQPoint(needle->base));
}

} // namespace vireo
