// The real window on a simulated meter: a pseudo-terminal, real frame bytes, "COM Connect".
#include "FormTestSupport.h"

#include "app/FormWidgets.h"
#include "app/uCharControl.h"
#include "core/LogTable.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>

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
    return f.LcdDa->text() + f.LcdDb->text() + f.LcdDc->text() + f.LcdDd->text();
}

TEST(SerialLink, ConnectShowsLiveReadingsAndSurvivesTheMeterVanishing)
{
    Simulator sim({"--scenario", "steady", "--rate", "50"});
    ASSERT_FALSE(sim.path.isEmpty());
    FormFixture fx;
    TFCOMM &f = *fx.form;
    named<ToggleButton>(f, "COMCon")->click();
    ASSERT_TRUE(named<ToggleButton>(f, "COMCon")->isDown());
    EXPECT_FALSE(named<ClickPanel>(f, "BtCOM1")->isEnabled());
    ASSERT_TRUE(waitFor([&] { return f.cds1->rowCount() >= 5; }));
    EXPECT_EQ(digits(f), "1234");
    EXPECT_TRUE(named<QLabel>(f, "CONok")->isVisibleTo(&f));
    EXPECT_EQ(f.cds1->text(0, LogColumn::Value), "1.234");

    sim.vanish();
    // The indicator falls back to idle on the third watchdog tick after the last frame.
    QElapsedTimer sinceLastFrame;
    sinceLastFrame.start();
    std::size_t rows = f.cds1->rowCount();
    ASSERT_TRUE(waitFor(
        [&] {
            if (f.cds1->rowCount() != rows) {
                rows = f.cds1->rowCount();
                sinceLastFrame.restart();
            }
            return named<QLabel>(f, "CONokN")->isVisibleTo(&f);
        },
        2000));
    EXPECT_LE(sinceLastFrame.elapsed(), 300 + 60); // one tick of timer jitter allowed

    // Reconnecting to a meter that is back works.
    named<ToggleButton>(f, "COMCon")->click();
    EXPECT_FALSE(named<ToggleButton>(f, "COMCon")->isDown());
    Simulator again({"--scenario", "steady", "--rate", "50"});
    const std::size_t before = f.cds1->rowCount();
    named<ToggleButton>(f, "COMCon")->click();
    ASSERT_TRUE(named<ToggleButton>(f, "COMCon")->isDown());
    EXPECT_TRUE(waitFor([&] { return f.cds1->rowCount() >= before + 5; }));
    named<ToggleButton>(f, "COMCon")->click();
}

TEST(SerialLink, AnAbsentPortIsReportedAndTheLinkStaysClosed)
{
    qputenv("VIREO_COM1", "/dev/vireo-no-such-port");
    FormFixture fx;
    TFCOMM &f = *fx.form;
    named<ToggleButton>(f, "COMCon")->click();
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
    named<ToggleButton>(f, "COMCon")->click();
    ASSERT_TRUE(waitFor([&] { return f.cds1->rowCount() >= 300; }, 5000));
    named<ToggleButton>(f, "COMCon")->click();
    const std::size_t rows = f.cds1->rowCount();
    EXPECT_EQ(f.ChartCtl->pager().pointCount(), rows + 1);
    for (std::size_t i = 0; i < rows; ++i)
        ASSERT_EQ(f.cds1->no(i), static_cast<std::int32_t>(i + 1));
    EXPECT_TRUE(f.judge->text() == "Pass" || f.judge->text() == "Fail");
    EXPECT_EQ(f.T1VALUE->text(), QString::fromUtf8(f.cds1->text(rows - 1, LogColumn::Value)));
}

TEST(Recording, WithRepeatOffASteadyReadingGivesOneRow)
{
    Simulator sim({"--scenario", "steady", "--rate", "100"});
    FormFixture fx;
    TFCOMM &f = *fx.form;
    f.RepeatSet->setChecked(false);
    named<ToggleButton>(f, "COMCon")->click();
    ASSERT_TRUE(waitFor([&] { return f.Memo1.size() >= 20; }));
    named<ToggleButton>(f, "COMCon")->click();
    EXPECT_EQ(f.cds1->rowCount(), 1u);
}

} // namespace
