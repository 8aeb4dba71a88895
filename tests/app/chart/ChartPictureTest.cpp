#include "app/chart/ChartPicture.h"

#include <QChart>
#include <QChartView>
#include <QDir>
#include <QFile>
#include <QLineSeries>
#include <QTest>
#include <QToolButton>
#include <QtEndian>

#include <gmock/gmock.h>

#include <cstdlib>
#include <memory>

namespace vireo {
namespace {

QString outputPath(const QString &name)
{
    return QDir(QStringLiteral(VIREO_TEST_OUTPUT_DIR)).filePath(name);
}

// A trend chart as the window shows it: a framed view with a series, and a toolbar button
// lying on it.
class ChartPictureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto *series = new QLineSeries;
        for (int x = 0; x <= 100; x += 5)
            series->append(x, (x * 37) % 100);
        auto *chart = new QChart;
        chart->addSeries(series);
        chart->createDefaultAxes();
        chart->legend()->hide();
        view = std::make_unique<QChartView>(chart);
        view->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        view->resize(329, 233);

        toolButton = new QToolButton(view.get());
        toolButton->setGeometry(4, 4, 23, 22);
        toolButton->setAutoFillBackground(true);
        QPalette red = toolButton->palette();
        red.setColor(QPalette::Button, Qt::red);
        red.setColor(QPalette::Window, Qt::red);
        toolButton->setPalette(red);

        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }

    void resizeView(const QSize &size)
    {
        view->resize(size);
        QCoreApplication::processEvents();
    }

    std::unique_ptr<QChartView> view;
    QToolButton *toolButton = nullptr;
};

struct BmpHeader {
    QByteArray magic;
    quint32 fileSize, infoSize, compression;
    qint32 width, height;
    quint16 bitCount;
};

BmpHeader readBmpHeader(const QByteArray &bytes)
{
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    return {bytes.left(2),
            qFromLittleEndian<quint32>(data + 2),
            qFromLittleEndian<quint32>(data + 14),
            qFromLittleEndian<quint32>(data + 30),
            qFromLittleEndian<qint32>(data + 18),
            qFromLittleEndian<qint32>(data + 22),
            qFromLittleEndian<quint16>(data + 28)};
}

BmpHeader savedHeader(QChartView &view, const QString &name)
{
    const ChartPictureResult result = saveChartPicture(&view, outputPath(name));
    EXPECT_TRUE(result.ok()) << result.error.toStdString();
    QFile file(result.fileName);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_GE(bytes.size(), 54);
    BmpHeader header = readBmpHeader(bytes.leftJustified(54, '\0'));
    EXPECT_EQ(header.fileSize, static_cast<quint32>(bytes.size()));
    return header;
}

TEST_F(ChartPictureTest, WritesAnUncompressedBitmapOfTheViewsSize)
{
    const BmpHeader header = savedHeader(*view, QStringLiteral("chart-size.bmp"));
    EXPECT_EQ(header.magic, QByteArray("BM"));
    EXPECT_GE(header.infoSize, 40u);
    EXPECT_EQ(header.compression, 0u); // BI_RGB
    EXPECT_EQ(header.width, 329);
    EXPECT_EQ(std::abs(header.height), 233);
    EXPECT_GE(header.bitCount, 24);

    const QImage saved(outputPath(QStringLiteral("chart-size.bmp")));
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), chartPicture(view.get()));
}

TEST_F(ChartPictureTest, EnlargedChartGivesALargerBitmap)
{
    resizeView(QSize(620, 400));
    const BmpHeader header = savedHeader(*view, QStringLiteral("chart-large.bmp"));
    EXPECT_EQ(header.width, 620);
    EXPECT_EQ(std::abs(header.height), 400);
}

TEST_F(ChartPictureTest, ShowsTheChartButNotTheToolbarLyingOnIt)
{
    // On white, the view drawn without its toolbar is exactly the picture.
    QPalette white = view->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::Base, Qt::white);
    view->setPalette(white);
    view->chart()->setBackgroundRoundness(0);
    toolButton->hide();
    const QImage onScreen = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    toolButton->show();
    const QImage picture = chartPicture(view.get());
    EXPECT_EQ(picture, onScreen);

    int red = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            red += picture.pixel(x, y) == qRgb(255, 0, 0);
    }
    EXPECT_EQ(red, 0);
    EXPECT_TRUE(toolButton->isVisible());
}

TEST_F(ChartPictureTest, ReplacesAnEarlierFile)
{
    const QString name = outputPath(QStringLiteral("chart.bmp"));
    QFile earlier(name);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("not a picture");
    earlier.close();

    const ChartPictureResult result = saveChartPicture(view.get(), name);
    EXPECT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(result.fileName, QFileInfo(name).absoluteFilePath());
    EXPECT_EQ(QImage(result.fileName).size(), view->size());
}

TEST_F(ChartPictureTest, UnwritablePathGivesThePlatformsErrorText)
{
    const QString name = outputPath(QStringLiteral("no-such-folder/chart.bmp"));
    const ChartPictureResult result = saveChartPicture(view.get(), name);
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_FALSE(QFile::exists(name));
}

} // namespace
} // namespace vireo
