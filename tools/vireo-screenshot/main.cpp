// Renders the main window after a few decoded frames into a PNG, on the offscreen platform,
// so that the README's picture can be made again whenever the window changes.
#include "app/DisplayFonts.h"
#include "app/HeronF.h"
#include "app/uCharControl.h"
#include "support/FakeHidPlatform.h"

#include <QApplication>
#include <QPixmap>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vireo-screenshot OUTPUT.png\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QString());
    vireo::loadEmbeddedResources();
    vireo::TFCOMM window(vireo::ModelSwitches::shipped(), nullptr,
                         std::make_shared<vireo::FakeHidPlatform>());
    window.show();
    // A short walk of readings: 1.234 V DC rising to 1.262 V, AUTO range.
    for (int step = 0; step < 15; ++step) {
        const int value = 1234 + 2 * step;
        window.frames.FrameText = "A0" + std::to_string(value) + "B00AD";
        window.LcdDisplayHeron();
    }
    window.ChartCtl->flush();
    QApplication::processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
