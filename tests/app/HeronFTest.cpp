// The main window as a user meets it: controls found by their design names, driven by real
// clicks and keystrokes, frames arriving through the USB adapter, timers left to run out.
#include "FormTestSupport.h"

#include "app/chart/TrendPlot.h"
#include "app/lcd/LcdPanel.h"
#include "app/window/ClickPanel.h"
#include "app/window/ShapeWidget.h"
#include "app/window/ToggleButton.h"

#include <QAction>
#include <QApplication>
#include <QAreaSeries>
#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineSeries>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QTime>
#include <QTimer>
#include <QToolButton>
#include <QValueAxis>

#include <gtest/gtest.h>

using namespace vireo;
using vireo::test::FormFixture;
using vireo::test::typeInto;

namespace {

// The LCD members in drawing order, as the decoder numbers them.
const char *const kLcdMembers[kLcdMemberCount] = {
    "LCDM1",  "LcdDa",    "LcdAuto", "Lcdm",    "LCDRS",     "LcdDb",   "LcdDc",  "LcdDd",
    "LcdP3",  "LcdP2",    "LcdP1",   "LcdFH",   "LcdAC",     "LCD232C", "LcdV",   "LCDk",
    "LCDn",   "LCDBF",    "LCDA",    "LCDHz",   "LCDF",      "LCDHold", "LCDRec", "LCDBATT",
    "LCDBT",  "LCDCS",    "LCDFS",   "LCDDI",   "LCDohm",    "LCDFm",   "LCDu",   "LcdDc1",
    "LcdRPM", "LCDTRMST", "LCDTRMS", "LcdACDC", "lcdManual", "lcdhFE",  "lcdMax", "lcdMin"};

// The LCD members are the panel's state, reached by their names.
LcdMember member(FormFixture &fx, const char *name)
{
    const std::optional<LcdMember> m =
        fx.get<LcdPanel>("Panel1").memberNamed(QString::fromLatin1(name));
    EXPECT_TRUE(m.has_value()) << name;
    return m.value_or(LcdMember::LcdDa);
}

bool shown(FormFixture &fx, const char *name)
{
    return fx.get<LcdPanel>("Panel1").isShown(member(fx, name));
}

QString caption(FormFixture &fx, const char *name)
{
    return fx.get<LcdPanel>("Panel1").caption(member(fx, name));
}

QString digits(FormFixture &fx)
{
    return caption(fx, "LcdDa") + caption(fx, "LcdDb") + caption(fx, "LcdDc") +
           caption(fx, "LcdDd");
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
        "Timer5",    "ChartCtl"};
    for (const char *name : names)
        EXPECT_EQ(fx.form->findChildren<QObject *>(QString::fromLatin1(name)).size(), 1) << name;
    // The LCD members are the panel's own, under the names the decoder uses for them.
    const auto &panel = fx.get<LcdPanel>("Panel1");
    for (std::size_t i = 0; i < kLcdMemberCount; ++i) {
        const auto m = static_cast<LcdMember>(i);
        EXPECT_EQ(panel.memberName(m), kLcdMembers[i]);
        EXPECT_EQ(panel.memberNamed(QString::fromLatin1(kLcdMembers[i])), m) << kLcdMembers[i];
    }
    EXPECT_EQ(panel.memberNamed(u"LcdXY"), std::nullopt);
    for (const char *part : {"Series1", "Series2", "axisX", "axisY"})
        EXPECT_FALSE(fx.chartPart<QObject>(part).objectName().isEmpty());
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
         {fx.get<QMenu>("ComSetup1").menuAction(), fx.get<QMenu>("Connect1").menuAction(),
          fx.get<QMenu>("Record1").menuAction(), &fx.get<QAction>("EXIT1")})
        EXPECT_FALSE(top->isVisible());

    const std::pair<const char *, QRect> places[] = {
        {"BtCOM1", {5, 3, 61, 24}},        {"COMCon", {68, 4, 94, 25}},
        {"USBCon", {170, 4, 94, 25}},      {"BitBtn1", {552, 3, 57, 25}},
        {"Panel1", {3, 31, 285, 138}},     {"Panel4", {289, 32, 329, 137}},
        {"PBar2", {3, 169, 284, 12}},      {"DBGrid1", {3, 208, 284, 196}},
        {"Chtshow", {288, 171, 329, 233}}, {"RecordSITime", {159, 186, 27, 21}},
        {"Bt10", {211, 3, 25, 21}},        {"Shape1", {216, 24, 97, 97}}};
    for (const auto &[name, r] : places)
        EXPECT_EQ(fx.get<QWidget>(name).geometry(), r) << name;
    EXPECT_EQ(fx.get<LcdPanel>("Panel1").place(member(fx, "LcdDa")), QRect(40, 20, 56, 113));
    EXPECT_EQ(fx.get<LcdPanel>("Panel1").place(member(fx, "LcdDd")), QRect(184, 20, 56, 113));
    // Parked controls lie wholly outside the client area.
    for (const char *name :
         {"ReadBtn", "SetFeature", "DevListBox", "HistoryListBox", "BTCon", "BtExit"})
        EXPECT_FALSE(f.rect().intersects(fx.get<QWidget>(name).geometry())) << name;
    EXPECT_FALSE(fx.get<QWidget>("KD").isVisibleTo(&f));
    EXPECT_EQ(fx.get<QWidget>("KD").size(), QSize(0, 0));
}

TEST(MainWindow, TooltipsOnlyWhereDesigned)
{
    FormFixture fx;
    const std::pair<const char *, const char *> tips[] = {{"T1HI", "Please enter a number here."},
                                                          {"T1LO", "Please enter a number here."},
                                                          {"RecordNew", "Close Data"},
                                                          {"OpenDataFiles", "Open old data files"},
                                                          {"saveas", "Save data files"},
                                                          {"BtFill", "Graphic Fill"},
                                                          {"BtNew", "New"},
                                                          {"BtSave", "Save"},
                                                          {"BtFirst", "First"},
                                                          {"BTPrevious", "Previous"},
                                                          {"Bt10", "Page No."},
                                                          {"BtNext", "Next"},
                                                          {"BTlast", "last"},
                                                          {"TbFd", "Graphic Enlarge"},
                                                          {"TbSx", "Graphic Restore"}};
    for (const auto &[name, tip] : tips)
        EXPECT_EQ(fx.get<QWidget>(name).toolTip(), tip) << name;
    for (const char *name : {"BtPrint", "USBCon", "COMCon", "RepeatSet", "Panel1"})
        EXPECT_TRUE(fx.get<QWidget>(name).toolTip().isEmpty()) << name;
}

TEST(MainWindow, StartStateOfPanelAndControls)
{
    FormFixture fx;
    TFCOMM &f = *fx.form;
    for (const char *member : kLcdMembers) {
        const QString m = QString::fromLatin1(member);
        const bool expected =
            m == "LcdFH" || m == "LcdDa" || m == "LcdDb" || m == "LcdDc" || m == "LcdDd";
        EXPECT_EQ(shown(fx, member), expected) << member;
    }
    EXPECT_EQ(digits(fx), "5999");
    EXPECT_EQ(fx.get<QProgressBar>("PBar2").value(), 30);
    EXPECT_EQ(fx.get<QProgressBar>("PBar2").maximum(), 60);
    EXPECT_TRUE(fx.get<QWidget>("BtCOM1").isVisibleTo(&f));
    EXPECT_FALSE(fx.get<QWidget>("BtCOM2").isVisibleTo(&f));
    EXPECT_FALSE(fx.get<ToggleButton>("COMCon").isDown());
    EXPECT_FALSE(fx.get<ToggleButton>("USBCon").isDown());
    EXPECT_TRUE(fx.get<QWidget>("CONokN").isVisibleTo(&f));
    EXPECT_FALSE(fx.get<QWidget>("CONok").isVisibleTo(&f));
    EXPECT_TRUE(fx.get<QTimer>("ConTimer").isActive());
    EXPECT_TRUE(fx.get<QTimer>("Trecord").isActive());
    EXPECT_TRUE(fx.get<QTimer>("Timer2").isActive());
    EXPECT_FALSE(fx.get<QTimer>("Timer4").isActive());
    EXPECT_FALSE(fx.get<QTimer>("Timer5").isActive());
    EXPECT_EQ(fx.rows(), 0u);
    EXPECT_TRUE(fx.get<QCheckBox>("IFOsprey").isChecked());
    EXPECT_FALSE(fx.get<QCheckBox>("IFOsprey").isVisibleTo(&f));
    EXPECT_EQ(fx.chartPart<QValueAxis>("axisY").min(), -4000);
    EXPECT_EQ(fx.chartPart<QValueAxis>("axisY").max(), 4000);
    // Captions are drawn as written: the buzzer mark's "&" is no accelerator.
    EXPECT_EQ(caption(fx, "LCDFm"), "&");
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
        EXPECT_EQ(fx.form->windowTitle(), c.title);
        EXPECT_EQ(fx.get<QLineEdit>("Setmax").text(), c.texts[0]);
        EXPECT_EQ(fx.get<QLineEdit>("SetMin").text(), c.texts[1]);
        EXPECT_EQ(fx.get<QLabel>("MinText").text(), c.texts[2]);
        EXPECT_EQ(fx.get<QLabel>("MaxText").text(), c.texts[3]);
        EXPECT_EQ(fx.chartPart<QValueAxis>("axisY").max(), c.axis);
        EXPECT_EQ(fx.chartPart<QValueAxis>("axisY").min(), -c.axis);
    }
}

TEST(MainWindow, DecodedFrameLightsThePanel)
{
    FormFixture fx;
    fx.show("A01234B00AD");
    EXPECT_EQ(digits(fx), "1234");
    EXPECT_TRUE(shown(fx, "LcdP1"));
    EXPECT_TRUE(shown(fx, "LcdV"));
    EXPECT_TRUE(shown(fx, "LcdDc1"));
    EXPECT_TRUE(shown(fx, "LcdAuto"));
    EXPECT_FALSE(shown(fx, "LcdFH"));
    EXPECT_EQ(fx.get<QProgressBar>("PBar2").value(), 12);
    EXPECT_TRUE(fx.get<QWidget>("CONok").isVisibleTo(fx.form.get()));
    // The axis follows a new range at the chart's refresh.
    EXPECT_SOON_EQ(fx.chartPart<QValueAxis>("axisY").min(), -6);
    EXPECT_EQ(fx.chartPart<QValueAxis>("axisY").max(), 6);
    EXPECT_EQ(fx.get<QLineEdit>("T1VALUE").text(), "1.234");

    fx.show("A11234310AD"); // k-ohm overload reads 0L
    EXPECT_EQ(caption(fx, "LcdDb") + caption(fx, "LcdDc"), "0@");
    EXPECT_FALSE(shown(fx, "LcdDa"));
    EXPECT_TRUE(shown(fx, "LCDk"));
    EXPECT_TRUE(shown(fx, "LCDohm"));
    EXPECT_FALSE(shown(fx, "LcdV"));
    EXPECT_EQ(fx.get<QProgressBar>("PBar2").value(), 40);

    // A frame that cannot be read keeps the panel and the log as they were.
    const std::size_t rows = fx.rows();
    fx.show("A012C4B00AD");
    EXPECT_EQ(caption(fx, "LcdDb") + caption(fx, "LcdDc"), "0@");
    EXPECT_EQ(fx.rows(), rows);
}

TEST(MainWindow, JudgementColoursAndLimits)
{
    FormFixture fx;
    typeInto(fx.get<QLineEdit>("T1HI"), QStringLiteral("1.5"));
    EXPECT_EQ(fx.get<QLineEdit>("T1HI").text(), "1.5");
    fx.show("A01500B00AD");
    auto &judge = fx.get<QLabel>("judge");
    EXPECT_EQ(judge.text(), "Pass");
    EXPECT_EQ(fx.get<ShapeWidget>("Shape1").brushColor(), QColor(0, 128, 0));
    EXPECT_EQ(judge.palette().color(judge.backgroundRole()), QColor(0, 128, 0));
    EXPECT_EQ(fx.get<QLineEdit>("T1VALUE").text(), "1.500");
    fx.show("A01501B00AD");
    EXPECT_EQ(judge.text(), "Fail");
    EXPECT_EQ(fx.get<ShapeWidget>("Shape1").brushColor(), QColor(255, 0, 0));
    fx.show("A11234310AD"); // overload always fails
    EXPECT_EQ(judge.text(), "Fail");
}

TEST(MainWindow, LogRowsFollowTheGates)
{
    FormFixture fx;
    QTest::mouseClick(&fx.get<QCheckBox>("RepeatSet"), Qt::LeftButton);
    EXPECT_FALSE(fx.get<QCheckBox>("RepeatSet").isChecked());
    for (int i = 0; i < 5; ++i)
        fx.show("A01234B00AD");
    EXPECT_EQ(fx.rows(), 1u);
    fx.show("A01235B00AD");
    ASSERT_EQ(fx.rows(), 2u);
    EXPECT_EQ(fx.cell(1, LogColumn::No), "2");
    EXPECT_EQ(fx.cell(1, LogColumn::Value), "1.235");
    EXPECT_EQ(fx.cell(1, LogColumn::Unit), "V");
    EXPECT_EQ(fx.cell(1, LogColumn::Func), "DC");
    EXPECT_EQ(fx.cell(1, LogColumn::Range), "AUTO");
    EXPECT_EQ(fx.cell(1, LogColumn::Time).size(), 8);
    auto &trend = fx.get<TrendPlot>("TrendPlot");
    EXPECT_SOON_EQ(trend.shownPoints().size(), 2);

    fx.dialogs.yes = false;
    QTest::mouseClick(&fx.get<QToolButton>("RecordNew"), Qt::LeftButton);
    EXPECT_EQ(fx.rows(), 2u);
    fx.dialogs.yes = true;
    QTest::mouseClick(&fx.get<QToolButton>("RecordNew"), Qt::LeftButton);
    EXPECT_EQ(fx.rows(), 0u);
    EXPECT_SOON_EQ(trend.shownPoints().size(), 0);
    EXPECT_EQ(fx.dialogs.said.back(), "ask:Do you want to delete this record?");
    fx.show("A01235B00AD"); // the repeat filter still remembers the last reading
    EXPECT_EQ(fx.rows(), 0u);
    fx.show("A01236B00AD");
    EXPECT_EQ(fx.cell(0, LogColumn::No), "1");

    // The chart's own "New" asks the same and clears the same.
    QTest::mouseClick(&fx.get<QToolButton>("BtNew"), Qt::LeftButton);
    EXPECT_EQ(fx.rows(), 0u);
    EXPECT_EQ(fx.dialogs.said.back(), "ask:Do you want to delete this record?");
}

TEST(MainWindow, RowsCarryTheSecondTheyWereLoggedIn)
{
    FormFixture fx;
    QElapsedTimer clock;
    clock.start();
    std::size_t row = 0;
    QSet<QString> seconds;
    // Several rows a second, across more than one change of second.
    for (int value = 1000; clock.elapsed() < 2200; ++value) {
        QTest::qWait(10);
        const QString before = QTime::currentTime().toString(QStringLiteral("hh:mm:ss"));
        fx.show("A0" + std::to_string(value) + "B00AD");
        const QString after = QTime::currentTime().toString(QStringLiteral("hh:mm:ss"));
        ASSERT_EQ(fx.rows(), row + 1);
        const QString logged = fx.cell(row++, LogColumn::Time);
        EXPECT_TRUE(logged == before || logged == after)
            << logged.toStdString() << " logged between " << before.toStdString() << " and "
            << after.toStdString();
        seconds.insert(logged);
    }
    EXPECT_GE(seconds.size(), 2);
    EXPECT_LT(static_cast<qsizetype>(seconds.size()), static_cast<qsizetype>(row));
}

TEST(MainWindow, OverloadIsPlottedAtTheAxisEdge)
{
    FormFixture fx;
    fx.show("A11234310AD");
    fx.show("A11234350AD");
    auto &trend = fx.get<TrendPlot>("TrendPlot");
    // The chart draws the points of its page once its refresh timer has run.
    EXPECT_SOON_EQ(trend.shownPoints().size(), 2);
    ASSERT_EQ(trend.shownPoints().size(), 2);
    EXPECT_EQ(trend.shownPoints().at(0), QPointF(1, 6));
    EXPECT_EQ(trend.shownPoints().at(1), QPointF(2, -6));
}

TEST(MainWindow, PortPanelsCycleAndToggleGroupReleases)
{
    FormFixture fx;
    TFCOMM &f = *fx.form;
    const char *const panels[] = {"BtCOM1", "BtCOM2", "BtCOM3", "BtCOM4"};
    const char *expected[] = {"COM 2", "COM 3", "COM 4", "COM 1"};
    for (const char *caption : expected) {
        ClickPanel *visible = nullptr;
        for (const char *name : panels)
            if (fx.get<ClickPanel>(name).isVisibleTo(&f))
                visible = &fx.get<ClickPanel>(name);
        ASSERT_NE(visible, nullptr);
        QTest::mouseClick(visible, Qt::LeftButton);
        int shownCount = 0;
        for (const char *name : panels) {
            if (fx.get<ClickPanel>(name).isVisibleTo(&f)) {
                ++shownCount;
                EXPECT_EQ(fx.get<ClickPanel>(name).text(), caption);
            }
        }
        EXPECT_EQ(shownCount, 1);
    }
    EXPECT_TRUE(fx.get<QAction>("COM11").isChecked());

    fx.get<ToggleButton>("ReadBtn").setDown(true);
    fx.get<ToggleButton>("USBCon").setDown(true);
    qputenv("VIREO_COM1", "/nonexistent/tty");
    QTest::mouseClick(&fx.get<ToggleButton>("COMCon"), Qt::LeftButton);
    EXPECT_FALSE(fx.get<ToggleButton>("USBCon").isDown());
    EXPECT_FALSE(fx.get<ToggleButton>("ReadBtn").isDown());
    qunsetenv("VIREO_COM1");
}

TEST(MainWindow, ChartToolbarPagesAndEnlarges)
{
    FormFixture fx;
    for (int i = 0; i < 150; ++i)
        fx.show(i % 2 ? "A01234B00AD" : "A01235B00AD");
    auto &page = fx.get<QPushButton>("Bt10");
    auto &axisX = fx.chartPart<QValueAxis>("axisX");
    EXPECT_EQ(page.text(), "2");
    QTest::mouseClick(&fx.get<QToolButton>("BtFirst"), Qt::LeftButton);
    EXPECT_EQ(page.text(), "1");
    EXPECT_EQ(axisX.min(), 1);
    EXPECT_EQ(axisX.max(), 100);
    QTest::mouseClick(&fx.get<QToolButton>("BtNext"), Qt::LeftButton);
    EXPECT_EQ(page.text(), "2");
    QTest::mouseClick(&fx.get<QToolButton>("BTPrevious"), Qt::LeftButton);
    EXPECT_EQ(page.text(), "1");
    QTest::mouseClick(&fx.get<QToolButton>("BTlast"), Qt::LeftButton);
    EXPECT_EQ(page.text(), "2");
    EXPECT_EQ(axisX.min(), 101);

    QTest::mouseClick(&fx.get<QCheckBox>("BtFill"), Qt::LeftButton);
    EXPECT_FALSE(fx.chartPart<QAreaSeries>("Series2").isVisible());
    EXPECT_TRUE(fx.chartPart<QLineSeries>("Series1").isVisible());

    TFCOMM &f = *fx.form;
    auto &chart = fx.get<QWidget>("Chtshow");
    QTest::mouseClick(&fx.get<ClickPanel>("TbFd"), Qt::LeftButton);
    EXPECT_EQ(chart.pos(), QPoint(2, 28));
    EXPECT_FALSE(fx.get<QWidget>("Panel4").isVisibleTo(&f));
    EXPECT_TRUE(fx.get<QWidget>("TbSx").isVisibleTo(&f));
    QTest::mouseClick(&fx.get<ClickPanel>("TbSx"), Qt::LeftButton);
    EXPECT_EQ(chart.geometry(), QRect(288, 171, 329, 233));
    EXPECT_TRUE(fx.get<QWidget>("Panel4").isVisibleTo(&f));

    // A page size of 0 is replaced by the default once the typing pause ends.
    auto &pageSize = fx.get<QLineEdit>("Maxrecord");
    auto &pageTimer = fx.get<QTimer>("Timer2");
    typeInto(pageSize, QStringLiteral("0"));
    EXPECT_EQ(pageSize.text(), "0");
    EXPECT_TRUE(pageTimer.isActive());
    EXPECT_SOON_EQ(pageSize.text(), QStringLiteral("100"));
    EXPECT_FALSE(pageTimer.isActive());
}

TEST(MainWindow, ChartPageSizeTypedApplies)
{
    FormFixture fx;
    auto &pageSize = fx.get<QLineEdit>("Maxrecord");
    // Letters never reach the box; digits do.
    typeInto(pageSize, QStringLiteral("1x0"));
    EXPECT_EQ(pageSize.text(), "10");
    auto &pageTimer = fx.get<QTimer>("Timer2");
    EXPECT_SOON_EQ(pageTimer.isActive(), false);
    for (int i = 0; i < 25; ++i)
        fx.show(i % 2 ? "A01234B00AD" : "A01235B00AD");
    EXPECT_EQ(fx.get<QPushButton>("Bt10").text(), "3");
}

TEST(MainWindow, LimitRepairAndKeyFilters)
{
    FormFixture fx;
    auto &high = fx.get<QLineEdit>("T1HI");
    auto &low = fx.get<QLineEdit>("T1LO");
    auto &highTimer = fx.get<QTimer>("Timer4");
    typeInto(high, QStringLiteral("-"));
    EXPECT_TRUE(highTimer.isActive());
    EXPECT_EQ(highTimer.interval(), 2000);
    // Each keystroke starts the wait again; until then the default limit judges.
    QTest::qWait(300);
    QTest::keyClicks(&high, QStringLiteral("-"));
    EXPECT_GT(highTimer.remainingTime(), 1800);
    fx.show("A01234B00AD");
    EXPECT_EQ(fx.get<QLabel>("judge").text(), "Pass");
    EXPECT_EQ(high.text(), "--");
    EXPECT_SOON_EQ(high.text(), QStringLiteral("5999"));
    typeInto(low, QString());
    EXPECT_TRUE(fx.get<QTimer>("Timer5").isActive());
    EXPECT_SOON_EQ(low.text(), QStringLiteral("-5999"));

    // The measured value is the window's to write, not the user's.
    auto &measured = fx.get<QLineEdit>("T1VALUE");
    const QString shownValue = measured.text();
    QTest::keyClicks(&measured, QStringLiteral("12"));
    QTest::keyClick(&measured, Qt::Key_Backspace);
    EXPECT_EQ(measured.text(), shownValue);

    // The limit boxes take digits, the decimal separator and the minus sign only.
    typeInto(high, QStringLiteral("a1.5-"));
    EXPECT_EQ(high.text(), "1.5-");
    typeInto(low, QStringLiteral("-2,x"));
    EXPECT_EQ(low.text(), "-2");
    // The interval box takes digits and Backspace, no sign.
    auto &interval = fx.get<QLineEdit>("RecordSITime");
    typeInto(interval, QStringLiteral("-12"));
    EXPECT_EQ(interval.text(), "12");
    QTest::keyClick(&interval, Qt::Key_Backspace);
    EXPECT_EQ(interval.text(), "1");
    // The scale limits take a sign but no decimal point.
    auto &scaleMax = fx.get<QLineEdit>("Setmax");
    typeInto(scaleMax, QStringLiteral("+3.5"));
    EXPECT_EQ(scaleMax.text(), "+35");
    auto &scaleMin = fx.get<QLineEdit>("SetMin");
    typeInto(scaleMin, QStringLiteral("-1.0"));
    EXPECT_EQ(scaleMin.text(), "-10");

    typeInto(scaleMax, QStringLiteral("99999999999"));
    EXPECT_TRUE(fx.dialogs.said.back().endsWith("'99999999999' is not a valid integer value"));
}

TEST(MainWindow, PastedIntervalErrorIsShownOncePerText)
{
    FormFixture fx;
    auto &interval = fx.get<QLineEdit>("RecordSITime");
    QTest::mouseClick(&interval, Qt::LeftButton);
    QTest::keyClick(&interval, Qt::Key_End);
    QTest::keyClick(&interval, Qt::Key_Home, Qt::ShiftModifier);
    // A paste passes the key filter: only typed characters are checked.
    QApplication::clipboard()->setText(QStringLiteral("x"));
    QTest::keyClick(&interval, Qt::Key_Insert, Qt::ShiftModifier);
    ASSERT_EQ(interval.text(), "x");
    const qsizetype boxes = fx.dialogs.said.size();
    EXPECT_TRUE(fx.dialogs.said.back().endsWith("'x' is not a valid integer value"));
    for (int i = 0; i < 20; ++i)
        fx.show(i % 2 ? "A01234B00AD" : "A01235B00AD");
    EXPECT_EQ(fx.dialogs.said.size(), boxes);
    EXPECT_EQ(fx.rows(), 0u);
    typeInto(interval, QStringLiteral("0"));
    fx.show("A01236B00AD");
    EXPECT_EQ(fx.rows(), 1u);
}

TEST(MainWindow, SamplingIntervalWaitsOnTheRecordTimer)
{
    FormFixture fx;
    typeInto(fx.get<QLineEdit>("RecordSITime"), QStringLiteral("2"));
    QTest::mouseClick(&fx.get<QCheckBox>("RecordSI"), Qt::LeftButton);
    ASSERT_TRUE(fx.get<QCheckBox>("RecordSI").isChecked());
    // The interval starts when it is typed; until Trecord has ticked it away nothing is logged.
    fx.show("A01234B00AD");
    EXPECT_EQ(fx.rows(), 0u);
    QTest::qWait(2500);
    fx.show("A01235B00AD");
    ASSERT_EQ(fx.rows(), 1u);
    EXPECT_EQ(fx.cell(0, LogColumn::Value), "1.235");
    // A logged reading starts the interval again.
    fx.show("A01236B00AD");
    EXPECT_EQ(fx.rows(), 1u);
}

TEST(MainWindow, RecordLimitItemsKeepOneCheckMark)
{
    FormFixture fx;
    const char *const items[] = {"N10001", "N50001", "N100001", "N500001", "N1000001", "limitess"};
    EXPECT_TRUE(fx.get<QAction>("N100001").isChecked());
    for (const char *chosen : items) {
        fx.get<QAction>(chosen).trigger();
        for (const char *item : items)
            EXPECT_EQ(fx.get<QAction>(item).isChecked(), QString::fromLatin1(item) == chosen)
                << chosen << " " << item;
    }
}

TEST(MainWindow, ExitButtonClosesTheWindow)
{
    FormFixture fx;
    fx.form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(fx.form.get()));
    QTest::mouseClick(&fx.get<QPushButton>("BitBtn1"), Qt::LeftButton);
    EXPECT_FALSE(fx.form->isVisible());
}

TEST(MainWindow, ClearButtonEmptiesTheDeviceHistory)
{
    FormFixture fx;
    fx.connectUsb();
    auto &history = fx.get<QListWidget>("HistoryListBox");
    ASSERT_GT(history.count(), 0);
    QTest::mouseClick(&fx.get<QToolButton>("ClearBtn"), Qt::LeftButton);
    EXPECT_EQ(history.count(), 0);
    // New reports add lines again.
    fx.show("A01234B00AD");
    EXPECT_GT(history.count(), 0);
}

TEST(MainWindow, ScalePanelEnlargesOverTheChartAndRestores)
{
    FormFixture fx;
    TFCOMM &f = *fx.form;
    auto &scale = fx.get<QWidget>("KD");
    auto &chart = fx.get<QWidget>("Chtshow");
    const QRect designed = scale.geometry();
    QTest::mouseClick(&fx.get<ClickPanel>("KdFd"), Qt::LeftButton);
    EXPECT_EQ(scale.pos(), QPoint(2, 28));
    EXPECT_GE(scale.width(), 470);
    EXPECT_FALSE(chart.isVisibleTo(&f));
    EXPECT_TRUE(fx.get<QWidget>("KdSx").isVisibleTo(&scale));
    EXPECT_FALSE(fx.get<QWidget>("KdFd").isVisibleTo(&scale));
    QTest::mouseClick(&fx.get<ClickPanel>("KdSx"), Qt::LeftButton);
    EXPECT_EQ(scale.geometry(), designed);
    EXPECT_TRUE(chart.isVisibleTo(&f));
}

} // namespace
