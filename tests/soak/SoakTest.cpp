// Long runs of the real window on a simulated meter. Labelled "soak" and left out of the
// everyday test run: scripts/soak.sh runs them.
#include "FormTestSupport.h"

#include "app/window/ToggleButton.h"
#include "core/LogTable.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace vireo;
using vireo::test::FormFixture;
using vireo::test::named;
using vireo::test::waitFor;

namespace {

// A release runs the full counts; CI runs the same paths shorter (VIREO_SOAK_FRAMES,
// VIREO_SOAK_CYCLES).
int countFromEnvironment(const char *name, int full)
{
    bool ok = false;
    const int count = qEnvironmentVariableIntValue(name, &ok);
    return ok && count > 0 ? count : full;
}

const int kFrames = countFromEnvironment("VIREO_SOAK_FRAMES", 100000);
const int kCycles = countFromEnvironment("VIREO_SOAK_CYCLES", 100);

// Voltage, range 3 (no decimal point), DC and AUTO: the reading is the frame's number.
QString replayLine(int i)
{
    return QStringLiteral("3%1B00A\n").arg(i % 10000, 4, 10, QLatin1Char('0'));
}

int openDescriptors()
{
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd")).count());
}

TEST(Soak, AHundredThousandFramesAtLineRateGiveAsManyRowsUnaltered)
{
    QTemporaryDir dir;
    QFile replay(dir.filePath(QStringLiteral("frames.txt")));
    ASSERT_TRUE(replay.open(QIODevice::WriteOnly));
    for (int i = 0; i < kFrames; ++i)
        replay.write(replayLine(i).toLatin1());
    replay.close();

    QProcess sim;
    sim.start(QStringLiteral(VIREO_METER_SIM),
              {QStringLiteral("--replay"), replay.fileName(), QStringLiteral("--line-rate"),
               QStringLiteral("--count"), QString::number(kFrames)});
    ASSERT_TRUE(sim.waitForReadyRead(5000));
    qputenv("VIREO_COM1", sim.readLine().trimmed());
    FormFixture fx;
    TFCOMM &f = *fx.form;
    QTest::mouseClick(named<ToggleButton>(f, "COMCon"), Qt::LeftButton);
    ASSERT_TRUE(named<ToggleButton>(f, "COMCon")->isDown());
    EXPECT_TRUE(waitFor([&] { return sim.state() == QProcess::NotRunning; }, 900'000));
    waitFor([] { return false; }, 500);
    QTest::mouseClick(named<ToggleButton>(f, "COMCon"), Qt::LeftButton);
    qunsetenv("VIREO_COM1");

    ASSERT_EQ(fx.rows(), static_cast<std::size_t>(kFrames));
    for (int i = 0; i < kFrames; ++i) {
        const auto row = static_cast<std::size_t>(i);
        ASSERT_EQ(fx.cell(row, LogColumn::No), QString::number(i + 1));
        ASSERT_EQ(fx.cell(row, LogColumn::Value), replayLine(i).mid(1, 4)) << "row " << i;
        ASSERT_EQ(fx.cell(row, LogColumn::Unit), "V");
        ASSERT_EQ(fx.cell(row, LogColumn::Func), "DC");
        ASSERT_EQ(fx.cell(row, LogColumn::Range), "AUTO");
    }
}

TEST(Soak, ThePortTakenAwayAndRestoredAHundredTimesResumesEachTime)
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("meter"));
    QProcess sim;
    sim.start(QStringLiteral(VIREO_METER_SIM),
              {QStringLiteral("--scenario"), QStringLiteral("demo"), QStringLiteral("--line-rate"),
               QStringLiteral("--vanish-after"), QStringLiteral("40"),
               QStringLiteral("--vanish-cycle"), QStringLiteral("--down-ms"), QStringLiteral("200"),
               QStringLiteral("--link"), link});
    ASSERT_TRUE(sim.waitForReadyRead(5000));
    sim.readLine();
    qputenv("VIREO_COM1", link.toLocal8Bit());
    FormFixture fx;
    TFCOMM &f = *fx.form;
    QTest::mouseClick(named<ToggleButton>(f, "COMCon"), Qt::LeftButton);
    ASSERT_TRUE(named<ToggleButton>(f, "COMCon")->isDown());
    ASSERT_TRUE(waitFor([&] { return fx.rows() > 0; }));
    const int descriptorsBefore = openDescriptors();

    for (int cycle = 1; cycle <= kCycles; ++cycle) {
        // The simulator prints the path of every new pseudo-terminal it opens.
        ASSERT_TRUE(waitFor([&] { return sim.canReadLine() || sim.waitForReadyRead(10); }, 10000))
            << "cycle " << cycle;
        sim.readLine();
        const std::size_t rows = fx.rows();
        ASSERT_TRUE(waitFor([&] { return fx.rows() > rows + 5; }, 5000))
            << "readings did not resume after restore " << cycle;
    }
    QTest::mouseClick(named<ToggleButton>(f, "COMCon"), Qt::LeftButton);
    sim.kill();
    sim.waitForFinished();
    qunsetenv("VIREO_COM1");
    EXPECT_LE(openDescriptors(), descriptorsBefore + 2);
}

} // namespace
