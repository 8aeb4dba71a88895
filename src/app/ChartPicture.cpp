#include "app/ChartPicture.h"

#include "core/FileNames.h"

#include <QFileInfo>
#include <QGraphicsView>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

namespace vireo {

QImage chartPicture(QGraphicsView *chart)
{
    QImage image(chart->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    // The view itself paints only its frame; the scene lives on the viewport, and the
    // toolbar buttons are further children that must not appear, so the frame is rendered
    // without children and the scene is drawn into the viewport's place.
    chart->QWidget::render(&painter, QPoint(), QRegion(), QWidget::RenderFlags());
    const QWidget *viewport = chart->viewport();
    chart->render(&painter, QRectF(viewport->geometry()), viewport->rect(), Qt::IgnoreAspectRatio);
    return image;
}

ChartPictureResult saveChartPicture(QGraphicsView *chart, const QString &chosenName)
{
    const QString name = QString::fromStdString(pictureSaveFileName(chosenName.toStdString()));
    ChartPictureResult result{QFileInfo(name).absoluteFilePath(), QString()};

    // A failed write leaves any earlier file of that name as it was.
    QSaveFile file(name);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly)) {
        result.error = file.errorString();
        return result;
    }
    QImageWriter writer(&file, "bmp");
    if (!writer.write(chartPicture(chart))) {
        result.error = writer.errorString();
        return result;
    }
    if (!file.commit())
        result.error = file.errorString();
    return result;
}

} // namespace vireo
