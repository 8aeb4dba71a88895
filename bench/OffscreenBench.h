#pragma once

// The start and end that every bench of the real window shares.
#include "app/window/DisplayFonts.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace vireo::bench {

// Runs the registered benchmarks on the offscreen platform with the program's fonts and
// pictures loaded. `beforeQuit` runs while the application still exists, so that a window kept
// from one benchmark to the next is destroyed before the application it belongs to.
inline int runOffscreen(int argc, char **argv, void (*beforeQuit)() = nullptr)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The windows' recovery files go to a folder of the run's own, never the user's.
    const QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    QApplication app(argc, argv);
    vireo::loadEmbeddedResources();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (beforeQuit != nullptr)
        beforeQuit();
    return 0;
}

} // namespace vireo::bench
