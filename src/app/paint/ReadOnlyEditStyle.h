#pragma once

#include <QImage>
#include <QProxyStyle>
#include <QSize>

#include <vector>

namespace vireo {

// The style of the edit boxes only the program writes to (the measured value's box): it draws
// a box's panel from a picture kept per size, state and colours, over the plain colour the box
// fills itself with. The measured value's box takes a new text with nearly every reading, and
// the style strokes its rounded frame at every paint.
class ReadOnlyEditStyle : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override;

private:
    struct Look {
        QSize size;
        int state = 0;
        qint64 palette = 0;
        QRgb background = 0;
        qreal ratio = 0;
        QImage::Format format = QImage::Format_Invalid;
        int lineWidth = 0;
        int features = 0;
        bool operator==(const Look &) const = default;
    };
    struct Kept {
        Look look;
        QImage picture;
    };

    mutable std::vector<Kept> m_kept;
};

} // namespace vireo
