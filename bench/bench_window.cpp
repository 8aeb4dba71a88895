// The real window on the offscreen platform: what one frame costs on the GUI thread, what a
// repaint after it costs, and whether either grows with the size of the log.
#include "OffscreenBench.h"
#include "app/HeronF.h"
#include "app/links/SerialLink.h"
#include "app/log/ReadingLog.h"
#include "app/uCharControl.h"
#include "core/LogTable.h"
#include "support/FakeHidPlatform.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <string>

namespace {

using vireo::TFCOMM;

// Two readings that differ, so that every frame is logged, plotted and judged.
const std::array<std::array<std::uint8_t, 11>, 2> kFrames = {
    {{0x0A, 0x30, 0x31, 0x32, 0x33, 0x34, 0x3B, 0x30, 0x30, 0x3A, 0x0D},
     {0x0A, 0x30, 0x31, 0x32, 0x33, 0x35, 0x3B, 0x30, 0x30, 0x3A, 0x0D}}};

std::unique_ptr<TFCOMM> makeWindow()
{
    auto w = std::make_unique<TFCOMM>(vireo::ModelSwitches::shipped(), nullptr,
                                      std::make_shared<vireo::FakeHidPlatform>());
    w->show();
    QApplication::processEvents();
    return w;
}

// The serial link's collector, as the port driver hands it the bytes of one frame.
vireo::SerialLink &serialLink(TFCOMM &w)
{
    return *w.findChild<vireo::SerialLink *>(QStringLiteral("SerialLink"));
}

void feed(vireo::SerialLink &serial, std::size_t i)
{
    const auto &f = kFrames[i & 1];
    serial.HHeronBRData(f.data(), static_cast<std::uint32_t>(f.size()));
}

// Fills the log and the chart as a long session would have.
void prefill(TFCOMM &w, std::size_t rows)
{
    auto *log = w.findChild<vireo::ReadingLog *>(QStringLiteral("ReadingLog"));
    auto *chart = w.findChild<vireo::TChartControl *>(QStringLiteral("ChartCtl"));
    for (std::size_t i = 0; i < rows; ++i) {
        log->table()->append(
            {static_cast<std::int32_t>(i + 1), "12:00:00", "DC", "1.234", "V", "AUTO"});
        chart->AddValue(1.234);
    }
    log->gate().RecordNo = static_cast<std::int32_t>(rows + 1);
}

// Decode, LCD, log row, chart point and verdict of one frame, without the repaint.
void BM_FrameHandlerPath(benchmark::State &state)
{
    auto w = makeWindow();
    vireo::SerialLink &serial = serialLink(*w);
    std::size_t i = 0;
    for (auto _ : state)
        feed(serial, i++);
}
BENCHMARK(BM_FrameHandlerPath)->Repetitions(5)->ReportAggregatesOnly(true);

// One repaint of the window after a frame.
void BM_RepaintAfterFrame(benchmark::State &state)
{
    auto w = makeWindow();
    vireo::SerialLink &serial = serialLink(*w);
    std::size_t i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        feed(serial, i++);
        state.ResumeTiming();
        w->repaint();
    }
}
BENCHMARK(BM_RepaintAfterFrame)->Repetitions(5)->ReportAggregatesOnly(true);

// Frame, row, point and repaint with a log of range(0) rows already behind it.
void BM_FrameAndRepaintAtRows(benchmark::State &state)
{
    auto w = makeWindow();
    prefill(*w, static_cast<std::size_t>(state.range(0)));
    vireo::SerialLink &serial = serialLink(*w);
    std::size_t i = 0;
    for (auto _ : state) {
        feed(serial, i++);
        w->repaint();
    }
    state.counters["rows"] = static_cast<double>(
        w->findChild<vireo::ReadingLog *>(QStringLiteral("ReadingLog"))->table()->rowCount());
}
BENCHMARK(BM_FrameAndRepaintAtRows)
    ->Arg(1000)
    ->Arg(10'000'000)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    return vireo::bench::runOffscreen(argc, argv);
}
