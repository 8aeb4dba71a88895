#pragma once

#include <QPainter>
#include <QRegion>

namespace vireo {

// Runs `draw(piece)` once for each rectangle of `region`, clipped to that rectangle alone, and
// leaves the painter's clip as it found it.
//
// The raster engine hands a drawing of about a hundred lines or more that a clip of several
// rectangles cuts to worker threads, a band of lines each. A frame here paints a digit, a
// chart strip: pictures of a hundred-odd short lines, for which waking the workers and waiting
// for them costs more than the drawing. Under a clip of one rectangle the engine copies a
// picture itself.
template <class Draw> void drawInEachRect(QPainter &painter, const QRegion &region, Draw draw)
{
    painter.save();
    for (const QRect &piece : region) {
        painter.setClipRect(piece);
        draw(piece);
    }
    painter.restore();
}

} // namespace vireo
