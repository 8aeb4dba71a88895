// Whole-program figures: start-up to the window shown, the CPU the window uses while a meter
// streams at line rate, and while it idles with every timer running.
#include "app/HeronF.h"
#include "app/log/ReadingLog.h"
#include "app/window/DisplayFonts.h"
#include "app/window/ToggleButton.h"
#include "core/LogTable.h"
#include "support/FakeHidPlatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <memory>

namespace {

using vireo::TFCOMM;

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

std::unique_ptr<TFCOMM> makeWindow()
{
    return std::make_unique<TFCOMM>(vireo::ModelSwitches::shipped(), nullptr,
                                    std::make_shared<vireo::FakeHidPlatform>());
}

// Runs the event loop for `seconds` and returns the share of one core the process used.
double coreShareWhileRunning(double seconds)
{
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
    return (cpuSeconds() - cpuBefore) / (static_cast<double>(wall.elapsed()) / 1000.0);
}

// From creating the window to it being shown, the first time in this process (fonts and
// pictures load on the way, as they do when the program starts).
void BM_StartupToWindowShown(benchmark::State &state)
{
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        vireo::loadEmbeddedResources();
        auto w = makeWindow();
        w->show();
        const bool exposed = QTest::qWaitForWindowExposed(w.get(), 5000);
        state.SetIterationTime(static_cast<double>(t.nsecsElapsed()) / 1e9);
        if (!exposed)
            state.SkipWithError("the window was not shown");
    }
}
BENCHMARK(BM_StartupToWindowShown)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// A meter streaming at 19200 baud (about 174 frames a second) for 10 s into the real window.
void BM_CpuWhileStreamingAtLineRate(benchmark::State &state)
{
    for (auto _ : state) {
        QProcess sim;
        sim.start(
            QStringLiteral(VIREO_METER_SIM),
            {QStringLiteral("--scenario"), QStringLiteral("demo"), QStringLiteral("--line-rate")});
        if (!sim.waitForReadyRead(5000)) {
            state.SkipWithError("the simulator did not start");
            return;
        }
        qputenv("VIREO_COM1", sim.readLine().trimmed());
        auto w = makeWindow();
        w->show();
        w->findChild<vireo::ToggleButton *>(QStringLiteral("COMCon"))->click();
        const double share = coreShareWhileRunning(10.0);
        state.counters["core_percent"] = share * 100.0;
        state.counters["rows"] = static_cast<double>(
            w->findChild<vireo::ReadingLog *>(QStringLiteral("ReadingLog"))->table()->rowCount());
        w->findChild<vireo::ToggleButton *>(QStringLiteral("COMCon"))->click();
        sim.kill();
        sim.waitForFinished();
    }
}
BENCHMARK(BM_CpuWhileStreamingAtLineRate)->Iterations(1)->Unit(benchmark::kSecond);

// The window idling with every timer running and no link.
void BM_CpuWhileIdle(benchmark::State &state)
{
    for (auto _ : state) {
        auto w = makeWindow();
        w->show();
        if (!QTest::qWaitForWindowExposed(w.get(), 5000))
            state.SkipWithError("the window was not shown");
        state.counters["core_percent"] = coreShareWhileRunning(10.0) * 100.0;
    }
}
BENCHMARK(BM_CpuWhileIdle)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The windows' recovery files go to a folder of the run's own, never the user's.
    const QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
