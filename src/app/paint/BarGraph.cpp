#include "app/paint/BarGraph.h"

#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QStyleOptionProgressBar>

#include <optional>

namespace vireo {

namespace {

// The colour a parent paints behind a child that paints no background of its own, when the
// parent fills itself with one plain colour.
std::optional<QColor> plainBackgroundBehind(const QWidget *child)
{
    const QWidget *parent = child->parentWidget();
    if (parent == nullptr || !(parent->autoFillBackground() || parent->isWindow()) ||
        parent->testAttribute(Qt::WA_NoSystemBackground))
        return std::nullopt;
    const QBrush brush = parent->palette().brush(parent->backgroundRole());
    if (brush.style() != Qt::SolidPattern || !brush.isOpaque())
        return std::nullopt;
    return brush.color();
}

} // namespace

BarGraph::BarGraph(QWidget *parent) : QProgressBar(parent)
{
    // The base repaints only for moves of a chunk's width or more, though the style draws the
    // bar without chunks: every new value is shown.
    connect(this, &QProgressBar::valueChanged, this, [this] { update(); });
}

void BarGraph::forgetPictures()
{
    m_pictures.clear();
}

void BarGraph::changeEvent(QEvent *event)
{
    QProgressBar::changeEvent(event);
    forgetPictures();
}

void BarGraph::resizeEvent(QResizeEvent *event)
{
    QProgressBar::resizeEvent(event);
    forgetPictures();
}

const QImage &BarGraph::picture(int value, QImage::Format format)
{
    const std::optional<QColor> behind = plainBackgroundBehind(this);
    if (!behind || behind != m_background || format != m_format) {
        forgetPictures();
        m_background = behind;
        m_format = format;
    }
    auto kept = m_pictures.find(value);
    if (kept != m_pictures.end())
        return *kept;
    QImage image;
    if (behind) {
        const qreal ratio = devicePixelRatioF();
        image = QImage(size() * ratio, format);
        image.setDevicePixelRatio(ratio);
        image.fill(*behind);
        QPainter painter(&image);
        QStyleOptionProgressBar option;
        initStyleOption(&option);
        option.progress = value;
        style()->drawControl(QStyle::CE_ProgressBar, &option, &painter, this);
    }
    return *m_pictures.insert(value, image);
}

void BarGraph::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QPaintDevice *target = painter.paintEngine()->paintDevice();
    const QImage::Format format = target->devType() == QInternal::Image
                                      ? static_cast<const QImage *>(target)->format()
                                      : QImage::Format_RGB32;
    const QImage &shown = picture(value(), format);
    // Over a plain background the picture covers the whole bar, and the parent need not
    // paint beneath it; over anything else the style paints the bar as it always does.
    const bool wasOpaque = testAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_OpaquePaintEvent, !shown.isNull());
    if (shown.isNull()) {
        painter.end();
        QProgressBar::paintEvent(event);
        // The parent did not paint beneath this time: once more, with it.
        if (wasOpaque)
            update();
        return;
    }
    const QRect dirty = event->rect();
    painter.drawImage(dirty, shown,
                      QRectF(QPointF(dirty.topLeft()) * shown.devicePixelRatio(),
                             QSizeF(dirty.size()) * shown.devicePixelRatio()));
}

} // namespace vireo
