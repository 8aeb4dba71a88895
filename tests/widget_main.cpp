// Widget tests run the real window classes on the offscreen platform.
#include "app/window/DisplayFonts.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gmock/gmock.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    // The window takes its decimal and time separators from the locale; the tests expect the
    // neutral one, whatever the machine's.
    qputenv("LC_ALL", "C.UTF-8");
    // Every window keeps its run's recovery file in the state folder: the tests' files go to a
    // folder of this process's own, never the user's and never another test's.
    const QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    QApplication app(argc, argv);
    vireo::loadEmbeddedResources();
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
