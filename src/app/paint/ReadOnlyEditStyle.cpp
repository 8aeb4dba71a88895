#include "app/paint/ReadOnlyEditStyle.h"

#include <QPaintEngine>
#include <QPainter>
#include <QStyleOptionFrame>

#include <algorithm>
#include <cmath>

namespace vireo {

void ReadOnlyEditStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                                      QPainter *painter, const QWidget *widget) const
{
    const auto *frame = qstyleoption_cast<const QStyleOptionFrame *>(option);
    const QPaintDevice *target = painter->paintEngine()->paintDevice();
    const qreal ratio = painter->device()->devicePixelRatio();
    // Laid over the backing image in whole pixels only, over a fill of one plain colour.
    if (element != PE_PanelLineEdit || frame == nullptr || widget == nullptr ||
        !widget->autoFillBackground() || target->devType() != QInternal::Image ||
        painter->transform().type() != QTransform::TxNone || ratio != std::floor(ratio)) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const QBrush background = widget->palette().brush(widget->backgroundRole());
    if (background.style() != Qt::SolidPattern || !background.isOpaque()) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const Look look{frame->rect.size(),
                    static_cast<int>(frame->state),
                    frame->palette.cacheKey(),
                    background.color().rgba(),
                    ratio,
                    static_cast<const QImage *>(target)->format(),
                    frame->lineWidth,
                    static_cast<int>(frame->features)};
    auto kept = std::find_if(m_kept.begin(), m_kept.end(),
                             [&look](const Kept &k) { return k.look == look; });
    if (kept == m_kept.end()) {
        // A box that changed its colours a few times keeps only the latest looks.
        constexpr std::size_t kMostLooks = 8;
        if (m_kept.size() >= kMostLooks)
            m_kept.clear();
        QImage picture(look.size * ratio, look.format);
        picture.setDevicePixelRatio(ratio);
        picture.fill(background.color());
        QStyleOptionFrame atOrigin = *frame;
        atOrigin.rect = QRect(QPoint(0, 0), look.size);
        QPainter picturePainter(&picture);
        QProxyStyle::drawPrimitive(element, &atOrigin, &picturePainter, widget);
        picturePainter.end();
        kept = m_kept.insert(m_kept.end(), Kept{look, picture});
    }
    painter->drawImage(frame->rect.topLeft(), kept->picture);
}

} // namespace vireo
