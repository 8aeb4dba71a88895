#pragma once

#include "core/ScaleGeometry.h"

#include <QImage>
#include <QSize>

#include <cstdint>

namespace vireo {

// The analog dial's picture. The dial is drawn whole when the scale limits change; the
// pointer moves on every reading by erasing its last line and drawing the new one, so the
// marks an erased pointer crossed stay gone until the dial is drawn again.
class AnalogScale {
public:
    // A new size starts a white picture; the window shows it stretched over the panel.
    void resizeImage(const QSize &size);
    const QImage &image() const { return m_image; }
    const NeedleLine &LastNeedle() const { return m_lastNeedle; }

    // Draws the whole dial as it lies on a panel of size `panel`. A panel with no room for
    // an arc leaves the picture as it is.
    void KDsetup(const QSize &panel, const ScaleClass &scale, const ScaleMarks &marks);
    // Moves the pointer to `Position` on the fine scale of `ScaleSpan` x 10 steps. Positions
    // outside the scale are not clamped: the pointer continues around the circle.
    void KDrun(const QSize &panel, std::int32_t Position, std::int32_t ScaleSpan);

private:
    QImage m_image;
    NeedleLine m_lastNeedle;
};

} // namespace vireo
