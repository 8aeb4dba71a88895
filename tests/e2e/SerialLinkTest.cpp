// The real window on a simulated meter: a pseudo-terminal, real frame bytes, "COM Connect".
#include "FormTestSupport.h"

#include "app/chart/TrendPlot.h"
#include "app/lcd/LcdPanel.h"
#include "app/uCharControl.h"
#include "app/window/ClickPanel.h"
#include "app/window/ToggleButton.h"
#include "core/LogTable.h"

#include "support/RecorderProcesses.h"
#include "support/SerialTestSupport.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

using namespace vireo;
using vireo::test::FormFixture;
using vireo::test::logTable;
using vireo::test::named;
using vireo::test::rowLine;
using vireo::test::waitFor;

namespace {

// A simulator process whose pseudo-terminal is bound to COM1 for the test's lifetime.
struct Simulator {
    explicit Simulator(const QStringList &args) : process(args), com1("VIREO_COM1", process.path())
    {
    }
    test::SimProcess process;
    test::ScopedEnv com1;
};

QString digits(TFCOMM &f)
{
    return named<LcdPanel>(f, "Panel1")->caption(LcdMember::LcdDa) +
           named<LcdPanel>(f, "Panel1")->caption(LcdMember::LcdDb) +
           named<LcdPanel>(f, "Panel1")->caption(LcdMember::LcdDc) +
           named<LcdPanel>(f, "Panel1")->caption(LcdMember::LcdDd);
}

void press(TFCOMM &f, const char *button)
{
    QTest::mouseClick(named<QAbstractButton>(f, button), Qt::LeftButton);
}

TEST(SerialLink, ConnectShowsLiveReadingsAndSurvivesTheMeterVanishing)
{
    Simulator sim({"--scenario", "steady", "--rate", "50"});
    ASSERT_FALSE(sim.process.path().isEmpty());
    FormFixture fx;
    TFCOMM &f = *fx.form;
    press(f, "COMCon");
    ASSERT_TRUE(named<ToggleButton>(f, "COMCon")->isDown());
    EXPECT_FALSE(named<ClickPanel>(f, "BtCOM1")->isEnabled());
    ASSERT_TRUE(waitFor([&] { return fx.rows() >= 5; }));
    EXPECT_EQ(digits(f), "1234");
    EXPECT_TRUE(named<QLabel>(f, "CONok")->isVisibleTo(&f));
    EXPECT_EQ(fx.cell(0, LogColumn::Value), "1.234");

    sim.process.vanish();
    // The indicator falls back to idle on the third watchdog tick after the last frame.
    QElapsedTimer sinceLastFrame;
    sinceLastFrame.start();
    std::size_t rows = fx.rows();
    ASSERT_TRUE(waitFor(
        [&] {
            if (fx.rows() != rows) {
                rows = fx.rows();
                sinceLastFrame.restart();
            }
            return named<QLabel>(f, "CONokN")->isVisibleTo(&f);
        },
        2000));
    EXPECT_LE(sinceLastFrame.elapsed(), 300 + 60); // one tick of timer jitter allowed

    // Reconnecting to a meter that is back works.
    press(f, "COMCon");
    EXPECT_FALSE(named<ToggleButton>(f, "COMCon")->isDown());
    Simulator again({"--scenario", "steady", "--rate", "50"});
    const std::size_t before = fx.rows();
    press(f, "COMCon");
    ASSERT_TRUE(named<ToggleButton>(f, "COMCon")->isDown());
    EXPECT_TRUE(waitFor([&] { return fx.rows() >= before + 5; }));
    press(f, "COMCon");
}

TEST(SerialLink, AnAbsentPortIsReportedAndTheLinkStaysClosed)
{
    qputenv("VIREO_COM1", "/dev/vireo-no-such-port");
    FormFixture fx;
    TFCOMM &f = *fx.form;
    press(f, "COMCon");
    EXPECT_FALSE(named<ToggleButton>(f, "COMCon")->isDown());
    EXPECT_TRUE(named<ClickPanel>(f, "BtCOM1")->isEnabled());
    EXPECT_TRUE(named<ClickPanel>(f, "BTCon")->isVisibleTo(&f));
    EXPECT_FALSE(named<ClickPanel>(f, "BtDiscon")->isVisibleTo(&f));
    EXPECT_FALSE(named<QAction>(f, "STOP1")->isEnabled());
    ASSERT_FALSE(fx.dialogs.said.isEmpty());
    EXPECT_TRUE(fx.dialogs.said.back().startsWith(
        "info:Serial port COM1 could not be opened, please check and re-try.\n"));
    qunsetenv("VIREO_COM1");
}

TEST(Recording, SimulatorFramesBecomeRowsPointsAndVerdicts)
{
    Simulator sim({"--scenario", "demo", "--line-rate"});
    FormFixture fx;
    TFCOMM &f = *fx.form;
    press(f, "COMCon");
    ASSERT_TRUE(waitFor([&] { return fx.rows() >= 300; }, 5000));
    press(f, "COMCon");
    const std::size_t rows = fx.rows();
    // Every row is plotted after the start point: the chart's last page ends at the last row,
    // and the page caption counts pages of 100 points.
    auto &trend = fx.get<TrendPlot>("TrendPlot");
    EXPECT_SOON_EQ(!trend.shownPoints().isEmpty() && trend.shownPoints().last().x() == double(rows),
                   true);
    EXPECT_EQ(named<QPushButton>(f, "Bt10")->text(), QString::number(rows / 100 + 1));
    for (std::size_t i = 0; i < rows; ++i)
        ASSERT_EQ(fx.cell(i, LogColumn::No), QString::number(i + 1));
    const QString verdict = named<QLabel>(f, "judge")->text();
    EXPECT_TRUE(verdict == "Pass" || verdict == "Fail");
    EXPECT_EQ(named<QLineEdit>(f, "T1VALUE")->text(), fx.cell(rows - 1, LogColumn::Value));
}

TEST(Recording, WithRepeatOffASteadyReadingGivesOneRow)
{
    Simulator sim({"--scenario", "steady", "--rate", "100"});
    FormFixture fx;
    TFCOMM &f = *fx.form;
    press(f, "RepeatSet");
    ASSERT_FALSE(named<QAbstractButton>(f, "RepeatSet")->isChecked());
    press(f, "COMCon");
    // At 100 frames a second, the steady reading comes some 30 times more after its row.
    ASSERT_TRUE(waitFor([&] { return fx.rows() == 1; }));
    QTest::qWait(300);
    press(f, "COMCon");
    EXPECT_EQ(fx.rows(), 1u);
}

// The killed run: logs from the simulator until it is killed, printing each row as it appears.
// A minute on, should nobody kill it, it ends by itself.
void logUntilKilled(const QString &stateHome)
{
    const vireo::test::ScopedEnv state("XDG_STATE_HOME", stateHome);
    FormFixture fx;
    press(*fx.form, "COMCon");
    const LogTable &table = logTable(*fx.form);
    std::size_t printed = 0;
    QTimer printer;
    QObject::connect(&printer, &QTimer::timeout, [&] {
        for (; printed < table.rowCount(); ++printed)
            std::printf("row\t%s\n", rowLine(table, printed).c_str());
        std::fflush(stdout);
    });
    printer.start(10);
    QTest::qWait(60000);
}

// A run killed outright while a meter streams at line rate: the next start gives back every row
// it logged, text for text, up to at most its last second. The killed run is this test started
// again in a process of its own.
TEST(Recording, ARunKilledAtLineRateLosesAtMostItsLastSecond)
{
    if (const QString stateHome = qEnvironmentVariable("VIREO_KILLED_RUN_STATE");
        !stateHome.isEmpty()) {
        logUntilKilled(stateHome);
        return;
    }
    QTemporaryDir scratch;
    const QString stateHome = scratch.filePath("state");
    Simulator sim({"--scenario", "demo", "--line-rate"});
    ASSERT_FALSE(sim.process.path().isEmpty());
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VIREO_KILLED_RUN_STATE", stateHome);
    // What the run leaves in its temporary folder goes with this test's.
    env.insert("TMPDIR", scratch.path());
    run.setProcessEnvironment(env);
    // Each row printed, with when it reached this test.
    std::vector<std::pair<qint64, std::string>> printed;
    QElapsedTimer clock;
    clock.start();
    const auto take = [&] {
        while (run.canReadLine()) {
            const QByteArray line = run.readLine();
            if (line.startsWith("row\t") && line.endsWith('\n'))
                printed.emplace_back(clock.elapsed(), line.mid(4).chopped(1).toStdString());
        }
    };
    QObject::connect(&run, &QProcess::readyReadStandardOutput, take);
    run.start(QCoreApplication::applicationFilePath(),
              {"--gtest_filter=Recording.ARunKilledAtLineRateLosesAtMostItsLastSecond"});
    ASSERT_TRUE(waitFor([&] { return printed.size() >= 1000; }, 30000)) << printed.size();
    const qint64 killedAt = clock.elapsed();
    run.kill();
    ASSERT_TRUE(run.waitForFinished(5000));
    take();
    std::size_t olderThanASecond = 0;
    while (olderThanASecond < printed.size() && printed[olderThanASecond].first <= killedAt - 1000)
        ++olderThanASecond;

    const vireo::test::ScopedEnv state("XDG_STATE_HOME", stateHome);
    FormFixture fx;
    fx.start();
    ASSERT_TRUE(waitFor([&] { return fx.rows() > 0; }, 10000));
    const LogTable &restored = logTable(*fx.form);
    EXPECT_GE(restored.rowCount(), olderThanASecond);
    for (std::size_t i = 0; i < std::min(restored.rowCount(), printed.size()); ++i)
        ASSERT_EQ(rowLine(restored, i), printed[i].second) << "row " << i;
    EXPECT_EQ(fx.dialogs.said
                  .filter(QString("offer:The last run logged %1 readings that were not saved")
                              .arg(restored.rowCount()))
                  .size(),
              1);
}

} // namespace
