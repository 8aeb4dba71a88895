#include "app/chart/ChartPicture.h"

#include "app/log/WholeFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QGraphicsView>
#include <QImageWriter>
#include <QPainter>

namespace vireo {

QImage chartPicture(QGraphicsView *chart)
{
    QImage image(chart->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    // The view itself paints only its frame; the scene lives on the viewport, and the
    // toolbar buttons are further children that must not appear, so the frame is rendered
    // without children and the viewport, as it paints itself, into its place.
    chart->QWidget::render(&painter, QPoint(), QRegion(), QWidget::RenderFlags());
    QWidget *viewport = chart->viewport();
    viewport->render(&painter, viewport->pos(), QRegion(), QWidget::DrawWindowBackground);
    return image;
}

ChartPictureResult saveChartPicture(QGraphicsView *chart, const QString &name)
{
    ChartPictureResult result{QFileInfo(name).absoluteFilePath(), QString()};

    // The picture is made in memory first: what can fail is then only the writing, whose
    // reason (a full disk, say) the user is told.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    if (!writer.write(chartPicture(chart))) {
        result.error = writer.errorString();
        return result;
    }
    result.error = writeWholeFile(name, std::string_view(bytes.constData(), bytes.size()));
    return result;
}

} // namespace vireo
