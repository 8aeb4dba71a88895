// The recovery file through the window's life: what a run leaves unsaved comes back at the next
// start; what was saved, cleared or declined does not; a full disk costs no row of the log.
#include "FormTestSupport.h"

#include "support/SerialTestSupport.h"
#include "support/SmallDisk.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vireo;
using vireo::test::FormFixture;
using vireo::test::logTable;
using vireo::test::rowLine;
using vireo::test::ScopedEnv;
using vireo::test::SmallDisk;
using vireo::test::typeInto;
using vireo::test::waitFor;

namespace {

std::vector<std::string> rowLines(FormFixture &fx)
{
    const LogTable &table = logTable(*fx.form);
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < table.rowCount(); ++i)
        lines.push_back(rowLine(table, i));
    return lines;
}

QString localDate(const LogStamp &stamp)
{
    return QDateTime::fromMSecsSinceEpoch(stamp.utcMs).toString("yyyy-MM-dd hh:mm:ss");
}

QStringList runFiles(const QString &folder)
{
    return QDir(folder).entryList({"run-*.csv"}, QDir::Files);
}

QStringList offers(const FormFixture &fx)
{
    return fx.dialogs.said.filter(QRegularExpression("^offer:"));
}

// Shows the window as the program starts and gives the offer, if one comes, time to come.
void start(FormFixture &fx)
{
    fx.start();
    waitFor([&] { return !offers(fx).isEmpty(); }, 500);
}

TEST(LogRecovery, UnsavedRowsComeBackAtTheNextStartUntilSavedClearedOrDeclined)
{
    QTemporaryDir home;
    const ScopedEnv stateHome("XDG_STATE_HOME", home.path());
    const QString folder = home.filePath("vireo-link");

    std::vector<std::string> logged;
    QString question;
    {
        FormFixture first;
        start(first);
        EXPECT_TRUE(offers(first).isEmpty());
        first.logReadings(2);
        // A reading beyond the high limit: its row keeps the Fail it was given.
        typeInto(first.get<QLineEdit>("T1HI"), "0");
        first.logReadings(1);
        logged = rowLines(first);
        const LogTable &table = logTable(*first.form);
        question = QString("offer:The last run logged 3 readings that were not saved (from %1 to "
                           "%2). Restore them into the log?")
                       .arg(localDate(*table.dateTime(0)), localDate(*table.dateTime(2)));
        EXPECT_EQ(table.verdict(1), Verdict::Pass);
        EXPECT_EQ(table.verdict(2), Verdict::Fail);
    }
    const QStringList firstFiles = runFiles(folder);
    ASSERT_EQ(firstFiles.size(), 1);

    QTemporaryDir saved;
    {
        FormFixture second;
        start(second);
        EXPECT_EQ(offers(second), QStringList{question});
        EXPECT_EQ(rowLines(second), logged);
        second.logReadings(1);
        EXPECT_EQ(second.cell(3, LogColumn::No), "4");
        // The earlier file goes once its rows are safe in this run's own.
        EXPECT_SOON_EQ(runFiles(folder).size(), 1);
        EXPECT_NE(runFiles(folder), firstFiles);

        second.dialogs.saveNames = {saved.filePath("run.xls")};
        QTest::mouseClick(&second.get<QToolButton>("saveas"), Qt::LeftButton);
        ASSERT_EQ(second.dialogs.said.back(), "plain:Table has been saved successfully!");
    }
    EXPECT_TRUE(runFiles(folder).isEmpty());

    {
        FormFixture third;
        start(third);
        EXPECT_TRUE(offers(third).isEmpty());
        third.logReadings(2);
        QTest::mouseClick(&third.get<QToolButton>("RecordNew"), Qt::LeftButton);
        ASSERT_EQ(third.rows(), 0u);
        third.logReadings(1);
    }
    {
        FormFixture fourth;
        fourth.dialogs.takeOffer = false;
        start(fourth);
        ASSERT_EQ(offers(fourth).size(), 1);
        EXPECT_TRUE(offers(fourth)[0].startsWith("offer:The last run logged 1 readings"));
        EXPECT_EQ(fourth.rows(), 0u);
    }
    EXPECT_TRUE(runFiles(folder).isEmpty());
    EXPECT_EQ(runFiles(folder + "/kept").size(), 1);
    {
        FormFixture fifth;
        start(fifth);
        EXPECT_TRUE(offers(fifth).isEmpty());
    }

    // A file cut short by a power cut gives back its rows up to the cut, and says how many.
    QFile cut(folder + "/run-20261209-120000-4711.csv");
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write("No,Date-Time,Time,DC/AC,Value,Number,Unit,Auto,Verdict\r\n"
              "7,2026-12-09T12:00:00.000+01:00,12:00:00,DC,1.000,1.000,V,AUTO,Pass\r\n"
              "8,2026-12-09T12:00:01.000+01:00,12:00:01,DC,1.001,1.001,V,AUTO,Fail\r\n"
              "9,2026-12-09T12:00:0");
    cut.close();
    FormFixture sixth;
    start(sixth);
    EXPECT_SOON_EQ(sixth.rows(), 2u);
    EXPECT_EQ(sixth.cell(1, LogColumn::No), "8");
    EXPECT_EQ(sixth.dialogs.said.back(),
              "plain:A recovery file was damaged or cut short. 2 readings were read and restored; "
              "what followed the damage is lost.");
    sixth.logReadings(1);
    EXPECT_EQ(sixth.cell(2, LogColumn::No), "9");
}

// One box names the file and the reason; the log keeps every row, and a save, which starts the
// file afresh, lets the box come again when the disk fills once more.
TEST(LogRecovery, AFullDiskGivesOneBoxAndLosesNoRowOfTheLog)
{
    SmallDisk disk("size=16k");
    if (!disk.mounted())
        GTEST_SKIP() << "mounting a small disk needs root";
    const ScopedEnv stateHome("XDG_STATE_HOME", disk.filePath("state"));
    FormFixture fx;
    const auto boxes = [&] { return fx.dialogs.said.filter(QRegularExpression("^error:")); };
    fx.logReadings(3000);
    ASSERT_TRUE(waitFor([&] { return !boxes().isEmpty(); }, 5000));
    const QRegularExpression box(
        "^error:" + QRegularExpression::escape(QGuiApplication::applicationDisplayName()) +
        ":The readings cannot be written to the recovery file " +
        QRegularExpression::escape(disk.filePath("state/vireo-link/")) +
        "run-[0-9-]+\\.csv: No space left on device\\.\nThey are kept in memory only until the "
        "log is saved\\.$");
    EXPECT_TRUE(box.match(boxes()[0]).hasMatch()) << boxes()[0].toStdString();
    fx.logReadings(1000);
    QTest::qWait(600);
    EXPECT_EQ(boxes().size(), 1);
    EXPECT_EQ(fx.rows(), 4000u);

    QTemporaryDir saved;
    fx.dialogs.saveNames = {saved.filePath("run.xls")};
    QTest::mouseClick(&fx.get<QToolButton>("saveas"), Qt::LeftButton);
    fx.logReadings(3000);
    EXPECT_SOON_EQ(boxes().size(), 2);
    EXPECT_EQ(fx.rows(), 7000u);
}

} // namespace
