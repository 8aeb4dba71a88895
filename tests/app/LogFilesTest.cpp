// Saving and loading the log through the window's handlers, with scripted file dialogs.
#include "FormTestSupport.h"

#include "core/LogTable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace vireo;
using vireo::test::FormFixture;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void logReadings(FormFixture &fx, int count)
{
    for (int i = 0; i < count; ++i)
        fx.show("A0" + std::to_string(1000 + i % 9000) + "B00AD");
}

TEST(LogFiles, TextSavesAreByteIdenticalAndLoadBackAppended)
{
    QTemporaryDir dir;
    FormFixture fx;
    logReadings(fx, 5);
    fx.dialogs.saveNames = {dir.filePath("run1"), dir.filePath("run1.txt"),
                            dir.filePath("run1.XML")};
    fx.form->saveasClick();
    fx.form->saveasClick();
    fx.form->saveasClick();
    EXPECT_EQ(fx.dialogs.said.count("plain:Table has been saved successfully!"), 3);
    const QByteArray xls = readAll(dir.filePath("run1.xls"));
    EXPECT_TRUE(xls.startsWith("No.\tTime\tDC/AC\tValue\tUnit\tAuto\r\n"));
    EXPECT_EQ(xls, readAll(dir.filePath("run1.txt")));
    // A name ending in an upper-case XML extension is saved as text under .xls.
    EXPECT_FALSE(QFile::exists(dir.filePath("run1.XML")));

    fx.dialogs.openNames = {dir.filePath("run1.xls")};
    fx.form->OpenDataFilesClick();
    ASSERT_EQ(fx.form->cds1->rowCount(), 10u);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(fx.form->cds1->no(i + 5), fx.form->cds1->no(i));
        EXPECT_EQ(fx.form->cds1->text(i + 5, LogColumn::Value),
                  fx.form->cds1->text(i, LogColumn::Value));
    }
    // Loading does not touch the numbering of live readings.
    logReadings(fx, 1);
    EXPECT_EQ(fx.form->cds1->no(10), 6);
}

TEST(LogFiles, XmlRoundTripThroughTheWindow)
{
    QTemporaryDir dir;
    FormFixture fx;
    logReadings(fx, 3);
    fx.dialogs.saveNames = {dir.filePath("run.xml")};
    fx.form->saveasClick();
    ASSERT_TRUE(fx.dialogs.said.back().startsWith("plain:Save table to specified file: "));
    EXPECT_TRUE(fx.dialogs.said.back().endsWith("run.xml Scuss!"));
    fx.dialogs.openNames = {dir.filePath("run.xml")};
    fx.form->OpenDataFilesClick();
    ASSERT_EQ(fx.form->cds1->rowCount(), 6u);
    EXPECT_EQ(fx.form->cds1->text(5, LogColumn::Unit), "V");
}

TEST(LogFiles, LoadFailuresAreReportedAndKeepEarlierRows)
{
    QTemporaryDir dir;
    FormFixture fx;
    QFile f(dir.filePath("bad.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("No.\tTime\r\n7\t12:00:01\r\nx\t12:00:02\r\n8\t12:00:03\r\n");
    f.close();
    fx.dialogs.openNames = {dir.filePath("bad.txt"), dir.filePath("missing.txt")};
    fx.form->OpenDataFilesClick();
    EXPECT_EQ(fx.dialogs.said.back(), "error:Error:Failed to Load File!");
    ASSERT_EQ(fx.form->cds1->rowCount(), 1u);
    EXPECT_EQ(fx.form->cds1->no(0), 7);
    fx.form->OpenDataFilesClick();
    EXPECT_EQ(fx.dialogs.said.back(), "error:Error:Failed to Load File!");
    EXPECT_EQ(fx.form->cds1->rowCount(), 1u);
}

// A save that fails half-way (here: the file-size limit, as on a full disk) must leave the
// file that was there whole, and the log as it was.
TEST(LogFiles, AFailedSaveLeavesTheOldFileAndTheLogIntact)
{
    QTemporaryDir dir;
    FormFixture fx;
    logReadings(fx, 2);
    const QString name = dir.filePath("keep.xls");
    fx.dialogs.saveNames = {name};
    fx.form->saveasClick();
    const QByteArray before = readAll(name);
    ASSERT_FALSE(before.isEmpty());

    logReadings(fx, 3000);
    const std::size_t rows = fx.form->cds1->rowCount();
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    fx.dialogs.saveNames = {name, dir.filePath("keep.xml")};
    fx.form->saveasClick();
    const QString textOutcome = fx.dialogs.said.back();
    fx.form->saveasClick();
    const QString xmlOutcome = fx.dialogs.said.back();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(textOutcome, "plain:Table can not be saved in this format!");
    EXPECT_TRUE(xmlOutcome.startsWith("error:")) << xmlOutcome.toStdString();
    EXPECT_EQ(readAll(name), before);
    EXPECT_FALSE(QFile::exists(dir.filePath("keep.xml")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
    EXPECT_EQ(fx.form->cds1->rowCount(), rows);
}

TEST(LogFiles, CancelledDialogsChangeNothing)
{
    FormFixture fx;
    logReadings(fx, 2);
    fx.form->saveasClick();
    fx.form->OpenDataFilesClick();
    fx.form->BtSaveClick();
    EXPECT_EQ(fx.form->cds1->rowCount(), 2u);
    EXPECT_TRUE(fx.dialogs.said.back().startsWith("save:Bitmaps (*.bmp)|*.bmp"));
}

TEST(ChartPicture, SavedUnderABmpNameWithTheMessage)
{
    QTemporaryDir dir;
    FormFixture fx;
    logReadings(fx, 20);
    fx.dialogs.saveNames = {dir.filePath("chart.png")};
    fx.form->BtSaveClick();
    EXPECT_TRUE(QFile::exists(dir.filePath("chart.bmp")));
    EXPECT_EQ(fx.dialogs.said.back(),
              "info:Graphic has been saved successfully at the following location: " +
                  dir.filePath("chart.bmp"));
    EXPECT_TRUE(readAll(dir.filePath("chart.bmp")).startsWith("BM"));
}

} // namespace
