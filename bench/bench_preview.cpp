// The print preview of a long log in the real window: how long the printer button takes to
// show the first page, how much memory the open preview adds and whether closing it gives
// the memory back.
#include "OffscreenBench.h"
#include "app/HeronF.h"
#include "app/log/ReadingLog.h"
#include "app/report/ReportPageView.h"
#include "app/report/ReportPreviewDialog.h"
#include "core/LogTable.h"
#include "support/FakeHidPlatform.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

using vireo::TFCOMM;

double residentMb()
{
    long pages = 0;
    long resident = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

// Kept between the runs, since filling ten million rows takes a while; gone before the
// application object.
std::unique_ptr<TFCOMM> window;

TFCOMM &windowWithRows(std::size_t rows)
{
    if (!window) {
        window = std::make_unique<TFCOMM>(vireo::ModelSwitches::shipped(), nullptr,
                                          std::make_shared<vireo::FakeHidPlatform>());
        window->show();
        QApplication::processEvents();
    }
    vireo::LogTable &table =
        *window->findChild<vireo::ReadingLog *>(QStringLiteral("ReadingLog"))->table();
    if (table.rowCount() != rows) {
        table.clear();
        char time[16];
        for (std::size_t i = 0; i < rows; ++i) {
            const std::size_t s = i / 4;
            std::snprintf(time, sizeof time, "%02zu:%02zu:%02zu", s / 3600 % 24, s / 60 % 60,
                          s % 60);
            table.append({static_cast<std::int32_t>(i + 1), time, i % 2 ? "AC" : "DC",
                          i % 997 ? "1,234" : ",0L", "V", "AUTO"});
        }
    }
    return *window;
}

// From the click on the printer button to the first page painted, then a walk to the last
// page and back as a reader would take; the memory is read while the preview is open and
// again after it has closed.
void BM_PreviewOpen(benchmark::State &state)
{
    const auto rows = static_cast<std::size_t>(state.range(0));
    TFCOMM &window = windowWithRows(rows);
    const double before = residentMb();
    double open = 0;
    double openMs = 0;
    int painted = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        QTimer::singleShot(0, [&] {
            auto *dialog =
                qobject_cast<vireo::ReportPreviewDialog *>(QApplication::activeModalWidget());
            if (!dialog || !QTest::qWaitForWindowExposed(dialog)) {
                state.SkipWithError("no preview");
                return;
            }
            dialog->pageView()->viewport()->repaint();
            openMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
            for (const char *name : {"lastPageAction", "firstPageAction"}) {
                if (auto *action = dialog->findChild<QAction *>(QString::fromLatin1(name)))
                    action->trigger();
                dialog->pageView()->viewport()->repaint();
            }
            open = residentMb();
            painted = dialog->pageView()->paintedPages();
            dialog->reject();
        });
        clock.start();
        QTest::mouseClick(window.findChild<QToolButton *>(QStringLiteral("BtPrint")),
                          Qt::LeftButton);
    }
    const double after = residentMb();
    state.counters["open_ms"] = openMs;
    state.counters["added_MB"] = open - before;
    state.counters["kept_after_close_MB"] = after - before;
    state.counters["pages_painted"] = painted;
}
BENCHMARK(BM_PreviewOpen)
    ->Arg(1'000'000)
    ->Arg(10'000'000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    return vireo::bench::runOffscreen(argc, argv, [] { window.reset(); });
}
