#pragma once

#include <QImage>
#include <QString>

class QGraphicsView;

namespace vireo {

// Outcome of saving the chart picture: the full name of the file written, or the platform's
// reason why it could not be written.
struct ChartPictureResult {
    QString fileName;
    QString error;

    bool ok() const { return error.isEmpty(); }
};

// The chart as it draws itself on screen (frame, panel, axes and series) at the view's
// current size, over white. Widgets lying on the view, such as its toolbar, are left out.
QImage chartPicture(QGraphicsView *chart);

// Writes chartPicture() as an uncompressed Windows bitmap, creating or replacing the file.
// The name is the chosen one with its extension made "bmp".
ChartPictureResult saveChartPicture(QGraphicsView *chart, const QString &name);

} // namespace vireo
