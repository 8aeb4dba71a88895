// Saving and loading the log through the window's buttons, with scripted file dialogs.
#include "FormTestSupport.h"

#include "app/log/LogGrid.h"
#include "app/window/WidgetDialogs.h"
#include "core/LogTable.h"
#include "support/SmallDisk.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace vireo;
using vireo::test::FormFixture;
using vireo::test::SmallDisk;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void clickSaveAs(FormFixture &fx)
{
    QTest::mouseClick(&fx.get<QToolButton>("saveas"), Qt::LeftButton);
}

void clickOpen(FormFixture &fx)
{
    QTest::mouseClick(&fx.get<QToolButton>("OpenDataFiles"), Qt::LeftButton);
}

void clickSaveChart(FormFixture &fx)
{
    QTest::mouseClick(&fx.get<QToolButton>("BtSave"), Qt::LeftButton);
}

// Saves a log of two readings as `name` and returns the file it made: the old file that a
// failed save of the same name must leave as it was.
QByteArray saveAShortLog(FormFixture &fx, const QString &name)
{
    fx.logReadings(2);
    fx.dialogs.saveNames = {name};
    clickSaveAs(fx);
    return readAll(name);
}

TEST(LogFiles, TextSavesAreByteIdenticalAndLoadBackAppended)
{
    QTemporaryDir dir;
    FormFixture fx;
    fx.logReadings(5);
    fx.dialogs.saveNames = {dir.filePath("run1"), dir.filePath("run1.txt"),
                            dir.filePath("run1.XML")};
    clickSaveAs(fx);
    clickSaveAs(fx);
    clickSaveAs(fx);
    EXPECT_EQ(fx.dialogs.said.count("plain:Table has been saved successfully!"), 3);
    const QByteArray xls = readAll(dir.filePath("run1.xls"));
    EXPECT_TRUE(xls.startsWith("No.\tTime\tDC/AC\tValue\tUnit\tAuto\r\n"));
    EXPECT_EQ(xls, readAll(dir.filePath("run1.txt")));
    // A name ending in an upper-case XML extension is saved as text under .xls.
    EXPECT_FALSE(QFile::exists(dir.filePath("run1.XML")));

    fx.dialogs.openNames = {dir.filePath("run1.xls")};
    clickOpen(fx);
    ASSERT_EQ(fx.rows(), 10u);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(fx.cell(i + 5, LogColumn::No), fx.cell(i, LogColumn::No));
        EXPECT_EQ(fx.cell(i + 5, LogColumn::Value), fx.cell(i, LogColumn::Value));
    }
    // Loading does not touch the numbering of live readings.
    fx.logReadings(1);
    EXPECT_EQ(fx.cell(10, LogColumn::No), "6");
}

TEST(LogFiles, XmlRoundTripThroughTheWindow)
{
    QTemporaryDir dir;
    FormFixture fx;
    fx.logReadings(3);
    fx.dialogs.saveNames = {dir.filePath("run.xml")};
    clickSaveAs(fx);
    ASSERT_TRUE(fx.dialogs.said.back().startsWith("plain:Save table to specified file: "));
    EXPECT_TRUE(fx.dialogs.said.back().endsWith("run.xml Scuss!"));
    fx.dialogs.openNames = {dir.filePath("run.xml")};
    clickOpen(fx);
    ASSERT_EQ(fx.rows(), 6u);
    EXPECT_EQ(fx.cell(5, LogColumn::Unit), "V");
}

// CSV is the fourth type of both dialogs: its rows come back with their dates and verdicts.
TEST(LogFiles, CsvRoundTripThroughTheWindowKeepsDatesAndVerdicts)
{
    QTemporaryDir dir;
    FormFixture fx;
    fx.logReadings(2);
    vireo::test::typeInto(fx.get<QLineEdit>("T1HI"), "0");
    fx.logReadings(1);
    fx.dialogs.saveNames = {dir.filePath("run")};
    fx.dialogs.saveTypes = {3};
    clickSaveAs(fx);
    EXPECT_EQ(fx.dialogs.said.back(), "plain:Table has been saved successfully!");
    EXPECT_TRUE(fx.dialogs.said.contains("save:Excel File(*.xls)|*.xls|XML(*.xml)|*.xml|Txt "
                                         "File(*.txt)|*.txt|CSV File(*.csv)|*.csv"));
    EXPECT_TRUE(readAll(dir.filePath("run.csv"))
                    .startsWith("No,Date-Time,Time,DC/AC,Value,Number,Unit,Auto,Verdict\r\n"));

    fx.dialogs.openNames = {dir.filePath("run.csv")};
    clickOpen(fx);
    EXPECT_TRUE(fx.dialogs.said.back().startsWith("open:") &&
                fx.dialogs.said.back().endsWith("|CSV File(*.csv)|*.csv"));
    const LogTable &table = vireo::test::logTable(*fx.form);
    ASSERT_EQ(fx.rows(), 6u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(vireo::test::rowLine(table, i + 3), vireo::test::rowLine(table, i));
    EXPECT_TRUE(table.dateTime(5).has_value());
    EXPECT_EQ(table.verdict(4), Verdict::Pass);
    EXPECT_EQ(table.verdict(5), Verdict::Fail);
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
    clickOpen(fx);
    EXPECT_EQ(fx.dialogs.said.back(), "error:Error:Failed to Load File!");
    ASSERT_EQ(fx.rows(), 1u);
    EXPECT_EQ(fx.cell(0, LogColumn::No), "7");
    clickOpen(fx);
    EXPECT_EQ(fx.dialogs.said.back(), "error:Error:Failed to Load File!");
    EXPECT_EQ(fx.rows(), 1u);

    // A data packet cut in half adds nothing at all, not even the rows before the cut.
    fx.logReadings(40);
    fx.dialogs.saveNames = {dir.filePath("whole.xml")};
    clickSaveAs(fx);
    const QByteArray whole = readAll(dir.filePath("whole.xml"));
    QFile half(dir.filePath("half.xml"));
    ASSERT_TRUE(half.open(QIODevice::WriteOnly));
    half.write(whole.left(whole.size() / 2));
    half.close();
    fx.dialogs.openNames = {half.fileName()};
    clickOpen(fx);
    EXPECT_EQ(fx.dialogs.said.back(), "error:Error:Failed to Load File!");
    EXPECT_EQ(fx.rows(), 41u);
}

// A save that fails half-way (here: the file-size limit, as on a full disk) must leave the
// file that was there whole, and the log as it was.
TEST(LogFiles, AFailedSaveLeavesTheOldFileAndTheLogIntact)
{
    QTemporaryDir dir;
    FormFixture fx;
    const QString name = dir.filePath("keep.xls");
    const QByteArray before = saveAShortLog(fx, name);
    ASSERT_FALSE(before.isEmpty());

    fx.logReadings(3000);
    const std::size_t rows = fx.rows();
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    fx.dialogs.saveNames = {name, dir.filePath("keep.xml")};
    clickSaveAs(fx);
    const QString textOutcome = fx.dialogs.said.back();
    clickSaveAs(fx);
    const QString xmlOutcome = fx.dialogs.said.back();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    // The text save's message is fixed; the XML save names the system's reason.
    EXPECT_EQ(textOutcome, "plain:Table can not be saved in this format!");
    EXPECT_EQ(xmlOutcome, "error:" + QGuiApplication::applicationDisplayName() + ":" +
                              QString::fromLocal8Bit(std::strerror(EFBIG)));
    EXPECT_EQ(readAll(name), before);
    EXPECT_FALSE(QFile::exists(dir.filePath("keep.xml")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
    EXPECT_EQ(fx.rows(), rows);
}

// On a full or read-only disk the boxes name the real reason, and nothing of the old file or
// of a half-written new one is lost or left behind.
TEST(LogFiles, SavesToAFullOrReadOnlyDiskNameTheReason)
{
    const QString title = QGuiApplication::applicationDisplayName();
    SmallDisk full("size=16k");
    SmallDisk readOnly("size=16k,ro");
    if (!full.mounted() || !readOnly.mounted())
        GTEST_SKIP() << "mounting a small disk needs root";
    FormFixture fx;
    const QString keep = full.filePath("keep.xml");
    const QByteArray before = saveAShortLog(fx, keep);
    ASSERT_FALSE(before.isEmpty());

    fx.logReadings(3000);
    fx.dialogs.saveNames = {keep, full.filePath("run.xls"), readOnly.filePath("run.xml"),
                            readOnly.filePath("run.txt")};
    for (int i = 0; i < 4; ++i)
        clickSaveAs(fx);
    fx.dialogs.saveNames = {full.filePath("chart.bmp"), readOnly.filePath("chart.bmp")};
    clickSaveChart(fx);
    clickSaveChart(fx);

    QStringList outcomes;
    for (const QString &said : fx.dialogs.said) {
        if (!said.startsWith("save:") && !said.startsWith("replace:"))
            outcomes << said;
    }
    EXPECT_EQ(outcomes.mid(1), (QStringList{"error:" + title + ":No space left on device",
                                            "plain:Table can not be saved in this format!",
                                            "error:" + title + ":Read-only file system",
                                            "plain:Table can not be saved in this format!",
                                            "error:" + title + ":No space left on device",
                                            "error:" + title + ":Read-only file system"}));
    EXPECT_EQ(readAll(keep), before);
    EXPECT_EQ(full.files(), QStringList{"keep.xml"});
    EXPECT_TRUE(readOnly.files().isEmpty());
}

// A folder the user may not add a file to, holding a file they may write: the save goes
// into the file itself, as the chart picture does. The folder is made immutable, which stops
// root too; a file system without the flag skips.
TEST(LogFiles, ASaveOverAWritableFileInAClosedFolderWritesItInPlace)
{
    QTemporaryDir dir;
    FormFixture fx;
    const QStringList names{dir.filePath("run.xls"), dir.filePath("run.xml"),
                            dir.filePath("chart.bmp")};
    for (const QString &name : names) {
        QFile old(name);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    const int folder = ::open(QFile::encodeName(dir.path()).constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(folder, 0);
    int flags = 0;
    const bool closed = ::ioctl(folder, FS_IOC_GETFLAGS, &flags) == 0 &&
                        ::ioctl(folder, FS_IOC_SETFLAGS, &(flags |= FS_IMMUTABLE_FL)) == 0;
    if (closed) {
        fx.logReadings(3);
        fx.dialogs.saveNames.assign(names.begin(), names.end());
        clickSaveAs(fx);
        clickSaveAs(fx);
        clickSaveChart(fx);
        flags &= ~FS_IMMUTABLE_FL;
        ::ioctl(folder, FS_IOC_SETFLAGS, &flags);
    }
    ::close(folder);
    if (!closed)
        GTEST_SKIP() << "the file system cannot close a folder";

    const QStringList said = fx.dialogs.said.filter(QRegularExpression("^(plain|info|error):"));
    ASSERT_EQ(said.size(), 3) << said.join('\n').toStdString();
    EXPECT_EQ(said[0], "plain:Table has been saved successfully!");
    EXPECT_TRUE(said[1].endsWith(" Scuss!")) << said[1].toStdString();
    EXPECT_TRUE(said[2].startsWith("info:Graphic has been saved")) << said[2].toStdString();
    EXPECT_TRUE(readAll(names[0]).startsWith("No.\tTime"));
    EXPECT_TRUE(readAll(names[1]).contains("<DATAPACKET"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 3);
}

// The question before replacing a file is about the file that will really be written, after
// the extension rule; a name typed without an extension takes the type chosen in the dialog.
TEST(LogFiles, SaveAsksAboutTheFileReallyWrittenInTheTypeChosen)
{
    QTemporaryDir dir;
    FormFixture fx;
    const QString run3 = dir.filePath("run3.xls");
    const QByteArray before = saveAShortLog(fx, run3);
    fx.dialogs.replace = false;
    fx.dialogs.saveNames = {dir.filePath("run3.XML"), dir.filePath("run6")};
    fx.dialogs.saveTypes = {0, 1};
    clickSaveAs(fx);
    clickSaveAs(fx);
    fx.dialogs.saveNames = {dir.filePath("chart.bmp"), dir.filePath("chart.BMP")};
    clickSaveChart(fx);
    clickSaveChart(fx);

    EXPECT_EQ(readAll(run3), before);
    EXPECT_TRUE(fx.dialogs.said.contains("replace:" + run3));
    EXPECT_TRUE(readAll(dir.filePath("run6.xml")).contains("<DATAPACKET"));
    EXPECT_FALSE(QFile::exists(dir.filePath("run6.xls")));
    EXPECT_EQ(fx.dialogs.said.filter("replace:").size(), 2);
    EXPECT_TRUE(fx.dialogs.said.contains("replace:" + dir.filePath("chart.bmp")));
}

// The real save dialog shows the file types as designed and reports the one chosen.
TEST(LogFiles, TheSaveDialogShowsTheTypesAsDesignedAndGivesTheOneChosen)
{
    QTemporaryDir dir;
    QWidget parent;
    WidgetDialogs dialogs(&parent);
    QStringList shown;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible())
            return;
        answer.stop();
        dialog->activateWindow();
        if (!QTest::qWaitForWindowActive(dialog))
            ADD_FAILURE() << "the dialog did not become active";
        auto *types = dialog->findChild<QComboBox *>("fileTypeCombo");
        auto *name = dialog->findChild<QLineEdit *>("fileNameEdit");
        if (types == nullptr || name == nullptr) {
            dialog->reject();
            return;
        }
        for (int i = 0; i < types->count(); ++i)
            shown << types->itemText(i);
        types->setCurrentIndex(1);
        emit types->activated(1);
        QTest::keyClicks(name, dir.filePath("run6"));
        auto *buttons = dialog->findChild<QDialogButtonBox *>("buttonBox");
        if (buttons != nullptr)
            QTest::mouseClick(buttons->button(QDialogButtonBox::Save), Qt::LeftButton);
        if (dialog->isVisible())
            dialog->reject();
    });
    answer.start(10);
    const SaveChoice choice = dialogs.saveFileName(
        "Excel File(*.xls)|*.xls|XML(*.xml)|*.xml|Txt File(*.txt)|*.txt", QString());
    EXPECT_EQ(shown, (QStringList{"Excel File(*.xls)", "XML(*.xml)", "Txt File(*.txt)"}));
    EXPECT_EQ(choice.name, dir.filePath("run6"));
    EXPECT_EQ(choice.type, 1);
}

// A log written by the original program on Windows holds its code page's bytes: the grid shows
// them as the characters they were, and a save gives back the very bytes.
TEST(LogFiles, Windows1252TextsShowAsTheirCharactersAndSaveByteExact)
{
    QTemporaryDir dir;
    FormFixture fx;
    const QByteArray file = "No.\tTime\tDC/AC\tValue\tUnit\tAuto\r\n"
                            "1\t12:00:00\tDC\t1,5\t\xB5V\tAUTO\r\n"
                            "2\t12:00:01\t\t25\t\xB0\x43\tMANU\r\n"
                            "3\t12:00:02\t\t7\t\xC2\xB5V\tAUTO\r\n";
    QFile old(dir.filePath("old.txt"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(file);
    old.close();
    fx.dialogs.openNames = {old.fileName()};
    clickOpen(fx);
    ASSERT_EQ(fx.rows(), 3u);
    EXPECT_EQ(fx.cell(0, LogColumn::Unit), QString::fromUtf8("\u00B5V"));
    EXPECT_EQ(fx.cell(1, LogColumn::Unit), QString::fromUtf8("\u00B0C"));
    // Our own rows are UTF-8 and stay so.
    EXPECT_EQ(fx.cell(2, LogColumn::Unit), QString::fromUtf8("\u00B5V"));

    fx.dialogs.saveNames = {dir.filePath("again.txt")};
    clickSaveAs(fx);
    EXPECT_EQ(readAll(dir.filePath("again.txt")), file);
}

TEST(LogFiles, CancelledDialogsChangeNothing)
{
    FormFixture fx;
    fx.logReadings(2);
    clickSaveAs(fx);
    clickOpen(fx);
    clickSaveChart(fx);
    EXPECT_EQ(fx.rows(), 2u);
    EXPECT_TRUE(fx.dialogs.said.back().startsWith("save:Bitmaps (*.bmp)|*.bmp"));
}

TEST(ChartPicture, SavedUnderABmpNameWithTheMessage)
{
    QTemporaryDir dir;
    FormFixture fx;
    fx.logReadings(20);
    fx.dialogs.saveNames = {dir.filePath("chart.png")};
    clickSaveChart(fx);
    EXPECT_TRUE(QFile::exists(dir.filePath("chart.bmp")));
    EXPECT_EQ(fx.dialogs.said.back(),
              "info:Graphic has been saved successfully at the following location: " +
                  dir.filePath("chart.bmp"));
    EXPECT_TRUE(readAll(dir.filePath("chart.bmp")).startsWith("BM"));
}

} // namespace
