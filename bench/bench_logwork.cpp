// Saving and loading a log of ten million rows through the real window's buttons, with a
// meter sending meanwhile: how long the work takes, the longest the event loop was kept
// waiting (what the user sees as a frozen window), and the readings logged after it.
#include "OffscreenBench.h"
#include "app/HeronF.h"
#include "app/log/ReadingLog.h"
#include "app/window/FormDialogs.h"
#include "core/LogTable.h"
#include "support/FakeHidPlatform.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

using vireo::TFCOMM;

// Names every file dialog with the one file and swallows the message boxes.
class QuietDialogs : public vireo::FormDialogs {
public:
    void information(const QString &) override {}
    void plainMessage(const QString &) override {}
    void error(const QString &, const QString &text) override { lastError = text; }
    bool askYesNo(const QString &) override { return true; }
    bool askYesByDefault(const QString &) override { return true; }
    vireo::SaveChoice saveFileName(const QString &, const QString &) override { return {file}; }
    QString openFileName(const QString &, const QString &) override { return file; }
    bool confirmReplace(const QString &) override { return true; }

    QString file;
    QString lastError;
};

QuietDialogs dialogs;
std::unique_ptr<TFCOMM> window;

vireo::LogTable &logOf(TFCOMM &w)
{
    return *w.findChild<vireo::ReadingLog *>(QStringLiteral("ReadingLog"))->table();
}

TFCOMM &windowWithRows(std::size_t rows)
{
    window = std::make_unique<TFCOMM>(vireo::ModelSwitches::shipped(), &dialogs,
                                      std::make_shared<vireo::FakeHidPlatform>());
    window->show();
    QApplication::processEvents();
    vireo::LogTable &table = logOf(*window);
    char time[16];
    for (std::size_t i = 0; i < rows; ++i) {
        const std::size_t s = i / 4;
        std::snprintf(time, sizeof time, "%02zu:%02zu:%02zu", s / 3600 % 24, s / 60 % 60, s % 60);
        table.append({static_cast<std::int32_t>(i + 1), time, i % 2 ? "AC" : "DC",
                      i % 997 ? "1,234" : ",0L", "V", "AUTO"});
    }
    return *window;
}

// Clicks the button while a meter sends a reading every 10 ms, and tells the longest gap
// between two of its readings.
void clickWithMeter(benchmark::State &state, TFCOMM &w, QToolButton *button)
{
    QTimer meter;
    meter.setInterval(10);
    QElapsedTimer gap;
    qint64 longest = 0;
    int sent = 0;
    QObject::connect(&meter, &QTimer::timeout, [&] {
        longest = std::max(longest, gap.restart());
        w.LcdDisplayHeron("A0" + std::to_string(1000 + sent++ % 9000) + "B00AD");
    });
    const std::size_t before = logOf(w).rowCount();
    QElapsedTimer took;
    for (auto _ : state) {
        meter.start();
        gap.start();
        took.start();
        QTest::mouseClick(button, Qt::LeftButton);
        meter.stop();
    }
    state.counters["work_ms"] = static_cast<double>(took.elapsed());
    state.counters["longest_stall_ms"] = static_cast<double>(longest);
    state.counters["readings_sent"] = sent;
    state.counters["readings_logged"] = static_cast<double>(logOf(w).rowCount() - before);
}

QString outputFile(const char *name)
{
    return QDir::temp().filePath(QStringLiteral("vireo-bench-") + QString::fromLatin1(name));
}

void BM_SaveThroughTheWindow(benchmark::State &state)
{
    TFCOMM &w = windowWithRows(static_cast<std::size_t>(state.range(0)));
    dialogs.file = outputFile(state.range(1) ? "log.xml" : "log.xls");
    clickWithMeter(state, w, w.findChild<QToolButton *>(QStringLiteral("saveas")));
}

void BM_LoadThroughTheWindow(benchmark::State &state)
{
    TFCOMM &w = windowWithRows(0);
    dialogs.file = outputFile(state.range(1) ? "log.xml" : "log.xls");
    clickWithMeter(state, w, w.findChild<QToolButton *>(QStringLiteral("OpenDataFiles")));
    if (!dialogs.lastError.isEmpty())
        state.SkipWithError("load failed");
    QFile::remove(dialogs.file);
}

// The loads read what the saves before them wrote.
BENCHMARK(BM_SaveThroughTheWindow)
    ->Args({10'000'000, 0})
    ->Args({10'000'000, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_LoadThroughTheWindow)
    ->Args({10'000'000, 0})
    ->Args({10'000'000, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    return vireo::bench::runOffscreen(argc, argv, [] { window.reset(); });
}
