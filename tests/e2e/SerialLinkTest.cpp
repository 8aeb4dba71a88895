// The real window on a simulated meter: a pseudo-terminal, real frame bytes, "COM Connect".
#include "FormTestSupport.h"

#include "app/chart/TrendPlot.h"
#include "app/lcd/LcdPanel.h"
#include "app/uCharControl.h"
#include "app/window/ClickPanel.h"
#include "app/window/ToggleButton.h"
#include "core/LogTable.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace vireo;
using vireo::test::FormFixture;
using vireo::test::named;
using vireo::test::waitFor;

namespace {

// A simulator process whose pseudo-terminal is bound to COM1 for the test's lifetime.
class Simulator {
public:
    explicit Simulator(const QStringList &args)
    {
        m_process.setProgram(QStringLiteral(VIREO_METER_SIM));
        m_process.setArguments(args);
        m_process.start();
        if (m_process.waitForStarted(5000) && m_process.waitForReadyRead(5000))
            path = QString::fromLocal8Bit(m_process.readLine()).trimmed();
        qputenv("VIREO_COM1", path.toLocal8Bit());
    }
    ~Simulator()
    {
        vanish();
        qunsetenv("VIREO_COM1");
    }
    void vanish()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    QString path;

private:
    QProcess m_process;
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
    ASSERT_FALSE(sim.path.isEmpty());
    FormFixture fx;
    TFCOMM &f = *fx.form;
    press(f, "COMCon");
    ASSERT_TRUE(named<ToggleButton>(f, "COMCon")->isDown());
    EXPECT_FALSE(named<ClickPanel>(f, "BtCOM1")->isEnabled());
    ASSERT_TRUE(waitFor([&] { return fx.rows() >= 5; }));
    EXPECT_EQ(digits(f), "1234");
    EXPECT_TRUE(named<QLabel>(f, "CONok")->isVisibleTo(&f));
    EXPECT_EQ(fx.cell(0, LogColumn::Value), "1.234");

    sim.vanish();
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

} // namespace
