// Renders the main window offscreen, driven through its links by frames that light every LCD
// member. Writes the README's picture, writes the reference pictures, or compares the window
// with them pixel for pixel.
#include "PixelDiff.h"
#include "WindowScenes.h"

#include "app/window/DisplayFonts.h"

#include <QApplication>
#include <QDir>
#include <QList>
#include <QSet>
#include <QStyleHints>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

using vireo::pixels::Capture;

int usage()
{
    std::fprintf(stderr, "usage: vireo-screenshot OUTPUT.png\n"
                         "       vireo-screenshot --write DIR\n"
                         "       vireo-screenshot --compare BASELINE_DIR OUTPUT_DIR\n"
                         "       vireo-screenshot --rebaseline BASELINE_DIR OUTPUT_DIR\n");
    return 2;
}

QString pngIn(const QString &dir, const QString &scene)
{
    return QDir(dir).filePath(scene + QStringLiteral(".png"));
}

// Pictures go into the repository, so they are stored as small as they losslessly go: with a
// colour table when they hold few colours, at the strongest compression.
bool save(const QImage &image, const QString &file)
{
    QImage stored = image.convertToFormat(QImage::Format_RGB32);
    QSet<QRgb> colours;
    for (int y = 0; y < stored.height() && colours.size() <= 256; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(stored.constScanLine(y));
        for (int x = 0; x < stored.width() && colours.size() <= 256; ++x)
            colours.insert(line[x]);
    }
    if (colours.size() <= 256) {
        // In a fixed order, so that the same picture is always stored as the same bytes.
        QList<QRgb> table(colours.begin(), colours.end());
        std::sort(table.begin(), table.end());
        stored = stored.convertToFormat(QImage::Format_Indexed8, table, Qt::ThresholdDither);
    }
    if (stored.save(file, "PNG", 0))
        return true;
    std::fprintf(stderr, "could not write %s\n", qPrintable(file));
    return false;
}

int writeReadmePicture(const std::vector<Capture> &captures, const QString &file)
{
    for (const Capture &c : captures) {
        if (c.name == vireo::pixels::kReadmeScene)
            return save(c.image, file) ? 0 : 1;
    }
    return 1;
}

int writeBaselines(const std::vector<Capture> &captures, const QString &dir)
{
    QDir().mkpath(dir);
    // Pictures of scenes that no longer exist must not linger as references.
    for (const QString &old : QDir(dir).entryList({QStringLiteral("*.png")}, QDir::Files))
        QFile::remove(QDir(dir).filePath(old));
    for (const Capture &c : captures) {
        if (!save(c.image, pngIn(dir, c.name)))
            return 1;
    }
    std::printf("wrote %zu pictures to %s\n", captures.size(), qPrintable(dir));
    return 0;
}

int compare(const std::vector<Capture> &captures, const QString &baselineDir,
            const QString &outputDir)
{
    QDir().mkpath(outputDir);
    for (const QString &old : QDir(outputDir).entryList(
             {QStringLiteral("*.actual.png"), QStringLiteral("*.diff.png")}, QDir::Files))
        QFile::remove(QDir(outputDir).filePath(old));
    int differing = 0;
    QStringList expected = QDir(baselineDir).entryList({QStringLiteral("*.png")}, QDir::Files);
    for (const Capture &c : captures) {
        expected.removeAll(c.name + QStringLiteral(".png"));
        const QImage baseline(pngIn(baselineDir, c.name));
        if (baseline.isNull()) {
            std::printf("%s: no reference picture %s\n", qPrintable(c.name),
                        qPrintable(pngIn(baselineDir, c.name)));
            save(c.image, pngIn(outputDir, c.name + QStringLiteral(".actual")));
            ++differing;
            continue;
        }
        const auto regions = vireo::pixels::differingRegions(baseline, c.image);
        if (regions.empty())
            continue;
        ++differing;
        std::printf("%s: differs\n", qPrintable(c.name));
        for (const auto &r : regions) {
            std::printf(
                "  %d pixels in %d,%d %dx%d (%s)\n", r.pixels, r.rect.x(), r.rect.y(),
                r.rect.width(), r.rect.height(),
                qPrintable(
                    vireo::pixels::controlsUnder(c.places, r.rect).join(QStringLiteral(", "))));
        }
        save(c.image, pngIn(outputDir, c.name + QStringLiteral(".actual")));
        save(vireo::pixels::diffPicture(baseline, c.image, regions),
             pngIn(outputDir, c.name + QStringLiteral(".diff")));
    }
    for (const QString &left : expected) {
        std::printf("%s: a reference picture without its scene\n", qPrintable(left));
        ++differing;
    }
    if (differing == 0) {
        std::printf("%zu pictures identical\n", captures.size());
        return 0;
    }
    std::printf("%d of %zu pictures differ; actual and diff pictures are in %s\n", differing,
                captures.size(), qPrintable(outputDir));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    const bool readme = argc == 2 && std::strncmp(argv[1], "--", 2) != 0;
    const bool write = argc == 3 && std::strcmp(argv[1], "--write") == 0;
    const bool check = argc == 4 && std::strcmp(argv[1], "--compare") == 0;
    const bool rebaseline = argc == 4 && std::strcmp(argv[1], "--rebaseline") == 0;
    if (!readme && !write && !check && !rebaseline)
        return usage();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Pictures must not depend on the machine's locale, time zone or cursor blinking.
    qputenv("LC_ALL", "C.UTF-8");
    qputenv("TZ", "UTC");
    tzset();
    // The windows' recovery files go to a folder of the run's own, never the user's.
    const QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QString());
    QGuiApplication::styleHints()->setCursorFlashTime(0);
    vireo::loadEmbeddedResources();

    const std::vector<Capture> captures = vireo::pixels::renderScenes();
    if (captures.empty())
        return 1;
    if (readme)
        return writeReadmePicture(captures, QString::fromLocal8Bit(argv[1]));
    if (write)
        return writeBaselines(captures, QString::fromLocal8Bit(argv[2]));
    const QString baselineDir = QString::fromLocal8Bit(argv[2]);
    const int differs = compare(captures, baselineDir, QString::fromLocal8Bit(argv[3]));
    if (!rebaseline)
        return differs;
    // The diff pictures of the comparison show what the new references change.
    return writeBaselines(captures, baselineDir);
}
