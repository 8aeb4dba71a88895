#include "FormTestSupport.h"

#include "app/FormWidgets.h"
#include "app/LogGrid.h"
#include "app/uCharControl.h"
#include "core/LogTable.h"

#include <QAction>
#include <QAreaSeries>
#include <QChartView>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QValueAxis>

#include <gtest/gtest.h>

using namespace vireo;
using vireo::test::FormFixture;
using vireo::test::named;

namespace {

bool shown(TFCOMM &f, LcdMember m)
{
    return f.lcd[index(m)]->isVisibleTo(f.Panel1);
}

// Tests and tools reach controls by their design names, so each name must find one object.
TEST(MainWindow, EveryControlCarriesItsDesignName)
{
    FormFixture fx;
    const char *const names[] = {
        "IFWren",    "IFHeron",      "IFPlover",   "IFFinch",       "IFOsprey",
        "IFKestrel", "IFSiskin",     "IFLinnet",   "IFCurlew",      "IFPetrel",
        "IFMerlin",  "Egret",        "Ibis",       "BtCOM1",        "BtCOM2",
        "BtCOM3",    "BtCOM4",       "COMCon",     "USBCon",        "ReadBtn",
        "BitBtn1",   "Panel1",       "PBar2",      "Panel4",        "T1_HI",
        "T1_Value",  "T1_LO",        "T1HI",       "T1VALUE",       "T1LO",
        "Shape1",    "judge",        "CONok",      "CONokN",        "RepeatSet",
        "RecordSI",  "RecordSITime", "RecordNew",  "OpenDataFiles", "saveas",
        "BtPrint",   "DBGrid1",      "Chtshow",    "Bevel1",        "BtFill",
        "Maxrecord", "BtNew",        "BtSave",     "BtFirst",       "BTPrevious",
        "Bt10",      "BtNext",       "BTlast",     "TbFd",          "TbSx",
        "ClearBtn",  "InfoBtn",      "SetFeature", "DevListBox",    "HistoryListBox",
        "USBtxt",    "BTCon",        "BtDiscon",   "BtExit",        "Panel3",
        "Label11",   "Label12",      "MinText",    "MaxText",       "MinTextU",
        "MaxTextU",  "SetMaxB",      "SetMinB",    "Setmax",        "SetMin",
        "KD",        "KD1",          "KdFd",       "KdSx",          "oltext",
        "MainMenu1", "ComSetup1",    "Connect1",   "Record1",       "COM11",
        "COM21",     "COM31",        "COM41",      "START1",        "STOP1",
        "New1",      "N10001",       "N50001",     "N100001",       "N500001",
        "N1000001",  "limitess",     "EXIT1",      "COMM2",         "CommPortDriver1",
        "HidCtl",    "ConTimer",     "Trecord",    "Timer2",        "Timer4",
        "Timer5"};
    for (const char *name : names)
        EXPECT_EQ(fx.form->findChildren<QObject *>(QString::fromLatin1(name)).size(), 1) << name;
    // The LCD members take the names the decoder uses for them.
    for (std::size_t i = 0; i < kLcdMemberCount; ++i)
        EXPECT_FALSE(fx.form->lcd[i]->objectName().isEmpty()) << i;
    EXPECT_EQ(fx.form->findChild<QLabel *>(QStringLiteral("LcdDa")), fx.form->LcdDa);
    EXPECT_EQ(fx.form->findChild<QWidget *>(QStringLiteral("lcdMin")),
              fx.form->lcd[index(LcdMember::lcdMin)]);
}

TEST(MainWindow, GeometryTitleAndFrame)
{
    FormFixture fx;
    TFCOMM &f = *fx.form;
    EXPECT_EQ(f.size(), QSize(620, 427));
    EXPECT_EQ(f.minimumSize(), f.maximumSize());
    EXPECT_FALSE(f.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(f.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_EQ(f.windowTitle(), "Vireo Interface Program Ver: 3.10");
    for (QAction *top :
         {named<QMenu>(f, "ComSetup1")->menuAction(), named<QMenu>(f, "Connect1")->menuAction(),
          named<QMenu>(f, "Record1")->menuAction(), named<QAction>(f, "EXIT1")})
        EXPECT_FALSE(top->isVisible());

    const std::pair<QWidget *, QRect> places[] = {
        {named<ClickPanel>(f, "BtCOM1"), {5, 3, 61, 24}},
        {named<ToggleButton>(f, "COMCon"), {68, 4, 94, 25}},
        {named<ToggleButton>(f, "USBCon"), {170, 4, 94, 25}},
        {f.BitBtn1, {552, 3, 57, 25}},
        {f.Panel1, {3, 31, 285, 138}},
        {f.Panel4, {289, 32, 329, 137}},
        {f.PBar2, {3, 169, 284, 12}},
        {f.DBGrid1, {3, 208, 284, 196}},
        {f.Chtshow, {288, 171, 329, 233}},
        {f.RecordSITime, {159, 186, 27, 21}},
        {f.LcdDa, {40, 20, 56, 113}},
        {f.LcdDd, {184, 20, 56, 113}},
        {f.Bt10, {211, 3, 25, 21}},
        {f.Shape1, {216, 24, 97, 97}}};
    for (const auto &[w, r] : places)
        EXPECT_EQ(w->geometry(), r) << w->metaObject()->className();
    // Parked controls lie wholly outside the client area.
    for (QWidget *w : std::initializer_list<QWidget *>{
             named<ToggleButton>(f, "ReadBtn"), named<QPushButton>(f, "SetFeature"),
             named<QListWidget>(f, "DevListBox"), named<QListWidget>(f, "HistoryListBox"),
             named<ClickPanel>(f, "BTCon"), f.BtExit})
        EXPECT_FALSE(f.rect().intersects(w->geometry()));
    EXPECT_FALSE(f.KD->isVisibleTo(&f));
    EXPECT_EQ(f.KD->size(), QSize(0, 0));
}

TEST(MainWindow, TooltipsOnlyWhereDesigned)
{
    FormFixture fx;
    TFCOMM &f = *fx.form;
    const std::pair<QWidget *, const char *> tips[] = {{f.T1HI, "Please enter a number here."},
                                                       {f.T1LO, "Please enter a number here."},
                                                       {f.RecordNew, "Close Data"},
                                                       {f.OpenDataFiles, "Open old data files"},
                                                       {f.saveas, "Save data files"},
                                                       {f.BtFill, "Graphic Fill"},
                                                       {f.BtNew, "New"},
                                                       {f.BtSave, "Save"},
                                                       {f.BtFirst, "First"},
                                                       {f.BTPrevious, "Previous"},
                                                       {f.Bt10, "Page No."},
                                                       {f.BtNext, "Next"},
                                                       {f.BTlast, "last"},
                                                       {f.TbFd, "Graphic Enlarge"},
                                                       {f.TbSx, "Graphic Restore"}};
    for (const auto &[w, tip] : tips)
        EXPECT_EQ(w->toolTip(), tip);
    for (QWidget *w : std::initializer_list<QWidget *>{f.BtPrint, named<ToggleButton>(f, "USBCon"),
                                                       named<ToggleButton>(f, "COMCon"),
                                                       f.RepeatSet, f.Panel1, f.LcdDa})
        EXPECT_TRUE(w->toolTip().isEmpty());
}

TEST(MainWindow, StartStateOfPanelAndControls)
{
    FormFixture fx;
    TFCOMM &f = *fx.form;
    for (std::size_t i = 0; i < kLcdMemberCount; ++i) {
        const auto m = static_cast<LcdMember>(i);
        const bool expected = m == LcdMember::LcdFH || m == LcdMember::LcdDa ||
                              m == LcdMember::LcdDb || m == LcdMember::LcdDc ||
                              m == LcdMember::LcdDd;
        EXPECT_EQ(shown(f, m), expected) << i;
    }
    EXPECT_EQ(f.LcdDa->text() + f.LcdDb->text() + f.LcdDc->text() + f.LcdDd->text(), "5999");
    EXPECT_EQ(f.PBar2->value(), 30);
    EXPECT_EQ(f.PBar2->maximum(), 60);
    EXPECT_TRUE(named<ClickPanel>(f, "BtCOM1")->isVisibleTo(&f));
    EXPECT_FALSE(named<ClickPanel>(f, "BtCOM2")->isVisibleTo(&f));
    EXPECT_FALSE(named<ToggleButton>(f, "COMCon")->isDown());
    EXPECT_FALSE(named<ToggleButton>(f, "USBCon")->isDown());
    EXPECT_TRUE(named<QLabel>(f, "CONokN")->isVisibleTo(&f));
    EXPECT_FALSE(named<QLabel>(f, "CONok")->isVisibleTo(&f));
    EXPECT_TRUE(named<QTimer>(f, "ConTimer")->isActive());
    EXPECT_TRUE(f.Trecord->isActive());
    EXPECT_TRUE(f.Timer2->isActive());
    EXPECT_FALSE(f.Timer4->isActive());
    EXPECT_FALSE(f.Timer5->isActive());
    EXPECT_EQ(f.cds1->rowCount(), 0u);
    EXPECT_TRUE(f.IFOsprey->isChecked());
    EXPECT_FALSE(f.IFOsprey->isVisibleTo(&f));
    EXPECT_EQ(f.axisY->min(), -4000);
    EXPECT_EQ(f.axisY->max(), 4000);
    // Captions are drawn as written: the buzzer mark's "&" is no accelerator.
    EXPECT_EQ(static_cast<QLabel *>(f.lcd[index(LcdMember::LCDFm)])->text(), "&");
    EXPECT_EQ(static_cast<QLabel *>(f.lcd[index(LcdMember::LCDFm)])->textFormat(), Qt::PlainText);
}

struct StartCase {
    ModelSwitches sw;
    const char *title;
    const char *texts[4]; // Setmax, SetMin, MinText, MaxText
    double axis;
};

TEST(MainWindow, StartUpFollowsTheModelSwitches)
{
    ModelSwitches siskin;
    siskin.IFSiskin = true;
    ModelSwitches plover;
    plover.IFPlover = true;
    ModelSwitches ospreySiskin = ModelSwitches::shipped();
    ospreySiskin.IFSiskin = true;
    const StartCase cases[] = {
        {ModelSwitches::shipped(),
         "Vireo Interface Program Ver: 3.10",
         {"4000", "-4000", "4001", "-4001"},
         4000},
        {siskin, "Siskin Interface Program _Ver: 1.00", {"6000", "-6000", "6001", "-6001"}, 6000},
        {plover, "Plover Interface Program _Ver: 2.06", {"3400", "-3400", "3401", "-3401"}, 3400},
        {ModelSwitches{}, "Vireo", {"4000", "-4000", "4001", "-4001"}, 4000},
        {ospreySiskin,
         "Siskin Interface Program _Ver: 1.00",
         {"6000", "-6000", "6001", "-6001"},
         6000}};
    for (const StartCase &c : cases) {
        FormFixture fx(c.sw);
        TFCOMM &f = *fx.form;
        EXPECT_EQ(f.windowTitle(), c.title);
        EXPECT_EQ(f.Setmax->text(), c.texts[0]);
        EXPECT_EQ(f.SetMin->text(), c.texts[1]);
        EXPECT_EQ(f.MinText->text(), c.texts[2]);
        EXPECT_EQ(f.MaxText->text(), c.texts[3]);
        EXPECT_EQ(f.axisY->max(), c.axis);
        EXPECT_EQ(f.axisY->min(), -c.axis);
        EXPECT_EQ(f.LimitHigh, static_cast<float>(c.axis == 4000 ? 4002 : c.axis));
    }
}

TEST(MainWindow, DecodedFrameLightsThePanel)
{
    FormFixture fx;
    TFCOMM &f = *fx.form;
    fx.show("A01234B00AD");
    EXPECT_EQ(f.LcdDa->text() + f.LcdDb->text() + f.LcdDc->text() + f.LcdDd->text(), "1234");
    EXPECT_TRUE(shown(f, LcdMember::LcdP1));
    EXPECT_TRUE(shown(f, LcdMember::LcdV));
    EXPECT_TRUE(shown(f, LcdMember::LcdDc1));
    EXPECT_TRUE(shown(f, LcdMember::LcdAuto));
    EXPECT_FALSE(shown(f, LcdMember::LcdFH));
    EXPECT_EQ(f.PBar2->value(), 12);
    EXPECT_TRUE(named<QLabel>(f, "CONok")->isVisibleTo(&f));
    EXPECT_EQ(f.axisY->min(), -6);
    EXPECT_EQ(f.axisY->max(), 6);
    EXPECT_EQ(f.ValueText, "1.234");

    fx.show("A11234310AD"); // k-ohm overload reads 0L
    EXPECT_EQ(f.LcdDb->text() + f.LcdDc->text(), "0@");
    EXPECT_FALSE(shown(f, LcdMember::LcdDa));
    EXPECT_TRUE(shown(f, LcdMember::LCDk));
    EXPECT_TRUE(shown(f, LcdMember::LCDohm));
    EXPECT_FALSE(shown(f, LcdMember::LcdV));
    EXPECT_EQ(f.PBar2->value(), 40);

    // A frame that cannot be read keeps the panel and the log as they were.
    const std::size_t rows = f.cds1->rowCount();
    fx.show("A012C4B00AD");
    EXPECT_EQ(f.LcdDb->text() + f.LcdDc->text(), "0@");
    EXPECT_EQ(f.cds1->rowCount(), rows);
    EXPECT_EQ(f.Memo1.line(f.Memo1.size() - 1), "A012C4B00AD");
}

TEST(MainWindow, JudgementColoursAndLimits)
{
    FormFixture fx;
    TFCOMM &f = *fx.form;
    f.T1HI->setText("1.5");
    fx.show("A01500B00AD");
    EXPECT_EQ(f.judge->text(), "Pass");
    EXPECT_EQ(f.Shape1->brushColor(), QColor(0, 128, 0));
    EXPECT_EQ(f.judge->palette().color(f.judge->backgroundRole()), QColor(0, 128, 0));
    EXPECT_EQ(f.T1VALUE->text(), "1.500");
    fx.show("A01501B00AD");
    EXPECT_EQ(f.judge->text(), "Fail");
    EXPECT_EQ(f.Shape1->brushColor(), QColor(255, 0, 0));
    fx.show("A11234310AD"); // overload always fails
    EXPECT_EQ(f.judge->text(), "Fail");
}

TEST(MainWindow, LogRowsFollowTheGates)
{
    FormFixture fx;
    TFCOMM &f = *fx.form;
    f.RepeatSet->setChecked(false);
    for (int i = 0; i < 5; ++i)
        fx.show("A01234B00AD");
    EXPECT_EQ(f.cds1->rowCount(), 1u);
    fx.show("A01235B00AD");
    ASSERT_EQ(f.cds1->rowCount(), 2u);
    EXPECT_EQ(f.cds1->no(1), 2);
    EXPECT_EQ(f.cds1->text(1, LogColumn::Value), "1.235");
    EXPECT_EQ(f.cds1->text(1, LogColumn::Unit), "V");
    EXPECT_EQ(f.cds1->text(1, LogColumn::Func), "DC");
    EXPECT_EQ(f.cds1->text(1, LogColumn::Range), "AUTO");
    EXPECT_EQ(f.cds1->text(1, LogColumn::Time).size(), 8u);
    EXPECT_EQ(f.ChartCtl->pager().pointCount(), 3u);

    fx.dialogs.yes = false;
    f.RecordNewClick();
    EXPECT_EQ(f.cds1->rowCount(), 2u);
    fx.dialogs.yes = true;
    f.RecordNewClick();
    EXPECT_EQ(f.cds1->rowCount(), 0u);
    EXPECT_EQ(f.ChartCtl->pager().pointCount(), 1u);
    EXPECT_EQ(fx.dialogs.said.back(), "ask:Do you want to delete this record?");
    fx.show("A01235B00AD"); // the repeat filter still remembers the last reading
    EXPECT_EQ(f.cds1->rowCount(), 0u);
    fx.show("A01236B00AD");
    EXPECT_EQ(f.cds1->no(0), 1);
}

TEST(MainWindow, OverloadIsPlottedAtTheAxisEdge)
{
    FormFixture fx;
    TFCOMM &f = *fx.form;
    fx.show("A11234310AD");
    fx.show("A11234350AD");
    const ChartPager &pager = f.ChartCtl->pager();
    ASSERT_EQ(pager.pointCount(), 3u);
    EXPECT_EQ(pager.valueAt(1), 6);
    EXPECT_EQ(pager.valueAt(2), -6);
}

TEST(MainWindow, PortPanelsCycleAndToggleGroupReleases)
{
    FormFixture fx;
    TFCOMM &f = *fx.form;
    const char *expected[] = {"COM 2", "COM 3", "COM 4", "COM 1"};
    for (const char *caption : expected) {
        ClickPanel *visible = nullptr;
        for (ClickPanel *p : {named<ClickPanel>(f, "BtCOM1"), named<ClickPanel>(f, "BtCOM2"),
                              named<ClickPanel>(f, "BtCOM3"), named<ClickPanel>(f, "BtCOM4")})
            if (p->isVisibleTo(&f))
                visible = p;
        ASSERT_NE(visible, nullptr);
        emit visible->clicked();
        int shownCount = 0;
        for (ClickPanel *p : {named<ClickPanel>(f, "BtCOM1"), named<ClickPanel>(f, "BtCOM2"),
                              named<ClickPanel>(f, "BtCOM3"), named<ClickPanel>(f, "BtCOM4")}) {
            if (p->isVisibleTo(&f)) {
                ++shownCount;
                EXPECT_EQ(p->text(), caption);
            }
        }
        EXPECT_EQ(shownCount, 1);
    }
    EXPECT_TRUE(named<QAction>(f, "COM11")->isChecked());

    named<ToggleButton>(f, "ReadBtn")->setDown(true);
    named<ToggleButton>(f, "USBCon")->setDown(true);
    qputenv("VIREO_COM1", "/nonexistent/tty");
    named<ToggleButton>(f, "COMCon")->click();
    EXPECT_FALSE(named<ToggleButton>(f, "USBCon")->isDown());
    EXPECT_FALSE(named<ToggleButton>(f, "ReadBtn")->isDown());
    qunsetenv("VIREO_COM1");
}

TEST(MainWindow, ChartToolbarPagesAndEnlarges)
{
    FormFixture fx;
    TFCOMM &f = *fx.form;
    for (int i = 0; i < 150; ++i)
        fx.show(i % 2 ? "A01234B00AD" : "A01235B00AD");
    EXPECT_EQ(f.Bt10->text(), "2");
    f.BtFirst->click();
    EXPECT_EQ(f.Bt10->text(), "1");
    EXPECT_EQ(f.axisX->min(), 1);
    EXPECT_EQ(f.axisX->max(), 100);
    f.BTlast->click();
    EXPECT_EQ(f.Bt10->text(), "2");
    EXPECT_EQ(f.axisX->min(), 101);

    f.BtFill->click();
    EXPECT_FALSE(f.Series2->isVisible());
    EXPECT_TRUE(f.Series1->isVisible());

    emit f.TbFd->clicked();
    EXPECT_EQ(f.Chtshow->pos(), QPoint(2, 28));
    EXPECT_FALSE(f.Panel4->isVisibleTo(&f));
    EXPECT_TRUE(f.TbSx->isVisibleTo(&f));
    emit f.TbSx->clicked();
    EXPECT_EQ(f.Chtshow->geometry(), QRect(288, 171, 329, 233));
    EXPECT_TRUE(f.Panel4->isVisibleTo(&f));

    f.Maxrecord->setText("0");
    f.Timer2Timer();
    EXPECT_EQ(f.Maxrecord->text(), "100");
    EXPECT_FALSE(f.Timer2->isActive());
}

TEST(MainWindow, LimitRepairAndKeyFilters)
{
    FormFixture fx;
    TFCOMM &f = *fx.form;
    f.T1HI->setText("-");
    EXPECT_TRUE(f.Timer4->isActive());
    EXPECT_EQ(f.Timer4->interval(), 2000);
    // Each keystroke starts the wait again; until then the default limit judges.
    QTest::qWait(300);
    f.T1HI->setText("-x");
    EXPECT_GT(f.Timer4->remainingTime(), 1800);
    fx.show("A01234B00AD");
    EXPECT_EQ(f.judge->text(), "Pass");
    EXPECT_EQ(f.T1HI->text(), "-x");
    f.Timer4Timer();
    EXPECT_EQ(f.T1HI->text(), "5999");
    f.T1LO->setText("");
    f.Timer5Timer();
    EXPECT_EQ(f.T1LO->text(), "-5999");
    EXPECT_FALSE(f.T1HIKeyPress(QLatin1Char('a')));
    EXPECT_TRUE(f.T1HIKeyPress(f.DecimalSep.at(0)));
    EXPECT_TRUE(f.T1HIKeyPress(QLatin1Char('-')));
    EXPECT_FALSE(f.RecordSITimeKeyPress(QLatin1Char('-')));
    EXPECT_TRUE(f.RecordSITimeKeyPress(QChar(8)));
    EXPECT_TRUE(f.SetmaxKeyPress(QLatin1Char('+')));
    EXPECT_FALSE(f.SetmaxKeyPress(QLatin1Char('.')));

    f.Setmax->setText("99999999999");
    EXPECT_TRUE(fx.dialogs.said.back().endsWith("'99999999999' is not a valid integer value"));
    EXPECT_EQ(f.LimitHigh, 4002.0f);
}

TEST(MainWindow, PastedIntervalErrorIsShownOncePerText)
{
    FormFixture fx;
    TFCOMM &f = *fx.form;
    f.RecordSITime->setText("x");
    const qsizetype boxes = fx.dialogs.said.size();
    EXPECT_TRUE(fx.dialogs.said.back().endsWith("'x' is not a valid integer value"));
    for (int i = 0; i < 20; ++i)
        fx.show(i % 2 ? "A01234B00AD" : "A01235B00AD");
    EXPECT_EQ(fx.dialogs.said.size(), boxes);
    EXPECT_EQ(f.cds1->rowCount(), 0u);
    f.RecordSITime->setText("0");
    fx.show("A01236B00AD");
    EXPECT_EQ(f.cds1->rowCount(), 1u);
}

} // namespace
