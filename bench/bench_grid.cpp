// Cost of logging one row into the grid and repainting it, with a short and with a very long log
// behind it. The two figures should stay within a factor 1.5 of each other.
#include "app/log/LogGrid.h"
#include "app/window/DisplayFonts.h"
#include "core/LogTable.h"

#include <QApplication>
#include <QTest>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>

namespace {

void appendRow(vireo::LogTable &table)
{
    const auto no = static_cast<std::int32_t>(table.rowCount() + 1);
    const std::string value = std::to_string(no % 4000);
    table.append({no, "12:00:01", "DC", value, "k*", "AUTO"});
}

void fill(vireo::LogTable &table, std::size_t rows)
{
    table.clear();
    for (std::size_t i = 0; i < rows; ++i)
        appendRow(table);
}

// Filling ten million rows takes a while, and the benchmark library calls a benchmark several
// times while it settles on an iteration count: fill each size once.
vireo::LogTable &tableOf(std::size_t rows)
{
    static std::map<std::size_t, std::unique_ptr<vireo::LogTable>> tables;
    std::unique_ptr<vireo::LogTable> &table = tables[rows];
    if (!table) {
        table = std::make_unique<vireo::LogTable>();
        fill(*table, rows);
    }
    return *table;
}

void BM_AppendRowAndRepaint(benchmark::State &state)
{
    const auto rows = static_cast<std::size_t>(state.range(0));
    vireo::LogTable &table = tableOf(rows);
    vireo::LogGrid grid;
    grid.setTable(&table);
    grid.setGeometry(3, 208, 284, 196);
    grid.show();
    // Until the platform exposes the window a repaint draws nothing.
    if (!QTest::qWaitForWindowExposed(&grid)) {
        state.SkipWithError("the grid was never exposed");
        return;
    }
    grid.repaint();
    for (auto _ : state) {
        // Keep the short log short, so that its figure stays the one at its size.
        if (table.rowCount() >= 2 * rows) {
            state.PauseTiming();
            fill(table, rows);
            grid.reset();
            state.ResumeTiming();
        }
        appendRow(table);
        grid.rowsAppended();
        grid.repaint();
    }
    state.counters["rows"] = static_cast<double>(table.rowCount());
}
BENCHMARK(BM_AppendRowAndRepaint)
    ->Arg(1'000)
    ->Arg(10'000'000)
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(2.0);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    vireo::loadEmbeddedResources();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
