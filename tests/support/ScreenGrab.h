#pragma once

// What the screen shows of a window, for tests that compare a widget's repaints with a full
// picture of it: the window's composed pixels, not a widget's drawing of itself alone.
#include <QImage>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace vireo::test {

// `area` is in the window's own coordinates.
inline QImage shownOnScreen(const QWidget &window, const QRect &area)
{
    return window.screen()
        ->grabWindow(window.winId(), area.x(), area.y(), area.width(), area.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

} // namespace vireo::test
