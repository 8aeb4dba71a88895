#pragma once

#include <QColor>
#include <QHash>
#include <QImage>
#include <QProgressBar>

#include <optional>

namespace vireo {

// A progress bar that paints the same pixels as the style would, from a kept picture per
// value: the bar under the LCD moves with nearly every frame, and the style draws it with
// gradients and rounded strokes. A new value repaints only the columns whose picture changed.
class BarGraph : public QProgressBar {
    Q_OBJECT
public:
    explicit BarGraph(QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // The bar at a value over the background that shows through it; a null image when that
    // background is no plain colour, and the style paints the bar as usual.
    const QImage &picture(int value, QImage::Format format);
    void forgetPictures();

    QHash<int, QImage> m_pictures;
    std::optional<QColor> m_background;
    QImage::Format m_format = QImage::Format_Invalid;
};

} // namespace vireo
