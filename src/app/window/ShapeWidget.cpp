#include "app/window/ShapeWidget.h"

#include <QPainter>

namespace vireo {

ShapeWidget::ShapeWidget(Kind kind, QWidget *parent) : QWidget(parent), m_kind(kind) {}

void ShapeWidget::setBrushColor(const QColor &color)
{
    if (color == m_brush)
        return;
    m_brush = color;
    update();
}

void ShapeWidget::setPenWidth(int width)
{
    m_penWidth = width;
    update();
}

void ShapeWidget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, m_kind == Kind::Circle);
    QPen pen(Qt::black, m_penWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(m_brush);
    const qreal inset = m_penWidth / 2.0;
    const QRectF box = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    if (m_kind == Kind::Circle)
        p.drawEllipse(box);
    else
        p.drawRect(box);
}

} // namespace vireo
