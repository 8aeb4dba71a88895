// vireo-record as a service runs it: its own process without any display, on the meter
// simulator's pseudo-terminal, ended by signals.
#include "core/LogTable.h"
#include "support/RecorderProcesses.h"
#include "support/SerialTestSupport.h"
#include "support/SmallDisk.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

namespace vireo {
namespace {

using test::fileLines;
using test::loadCsvFile;
using test::RecorderRun;
using test::SimProcess;
using test::waitFor;

// Every row numbered on from `first`, one after the other, each with its date.
void expectNumberedRows(const LogTable &table, std::int32_t first = 1)
{
    for (std::size_t i = 0; i < table.rowCount(); ++i) {
        ASSERT_EQ(table.no(i), first + static_cast<std::int32_t>(i)) << "row " << i;
        ASSERT_TRUE(table.dateTime(i)) << "row " << i;
        if (i > 0) {
            ASSERT_LE(table.dateTime(i - 1)->utcMs, table.dateTime(i)->utcMs) << "row " << i;
        }
    }
}

TEST(RecorderRun, SigtermMidStreamLeavesAWholeFileThatTheNextRunGoesOnWith)
{
    SimProcess sim({"--scenario", "demo", "--line-rate"});
    ASSERT_FALSE(sim.path().isEmpty());
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("run.csv"));
    qsizetype linesBeforeTerm = 0;
    {
        RecorderRun recorder({"--port", sim.path(), "--out", out, "--quiet"});
        ASSERT_TRUE(waitFor([&] { return fileLines(out) > 300; }, 10000)) << fileLines(out);
        // Qt Core alone: nothing that could want a display is even loaded.
        const QByteArray maps =
            test::fileBytes(QStringLiteral("/proc/%1/maps").arg(recorder.pid()));
        EXPECT_TRUE(maps.contains("libQt6Core"));
        EXPECT_FALSE(maps.contains("libQt6Gui"));
        EXPECT_FALSE(maps.contains("libQt6Widgets"));
        linesBeforeTerm = fileLines(out);
        recorder.signal(SIGTERM);
        EXPECT_EQ(recorder.exitCode(), 0) << recorder.messages().toStdString();
        EXPECT_TRUE(recorder.messages().startsWith(
            QStringLiteral("vireo-record: logging %1 to %2.\n").arg(sim.path(), out)));
    }
    LogTable first;
    const LogCsvLoad whole = loadCsvFile(out, first);
    EXPECT_TRUE(whole.complete) << "the file ends in a cut row";
    // Every row on disk before the signal (the first line is the header) is still there.
    ASSERT_GE(qsizetype(whole.rows), linesBeforeTerm - 1);
    expectNumberedRows(first);
    EXPECT_FALSE(first.verdict(0));

    // Run again on the same file: appended after the last row, numbered on from it, and each
    // reading also told on standard error as a person reads it.
    RecorderRun again({"--port", sim.path(), "--out", out, "--count", "20", "--high", "5"});
    EXPECT_EQ(again.exitCode(), 0) << again.messages().toStdString();
    LogTable both;
    const LogCsvLoad appended = loadCsvFile(out, both);
    EXPECT_TRUE(appended.complete);
    ASSERT_EQ(appended.rows, whole.rows + 20);
    expectNumberedRows(both);
    EXPECT_TRUE(both.verdict(whole.rows));
    const QStringList told = again.messages().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(told.size(), 21);
    const QRegularExpression human(
        QStringLiteral(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}  \S+( \S+)* (Pass|Fail)$)"));
    for (qsizetype i = 1; i < told.size(); ++i)
        EXPECT_TRUE(human.match(told[i]).hasMatch()) << told[i].toStdString();
}

TEST(RecorderRun, AMeterThatVanishesIsToldOfOnceAndReadAgainWhenBack)
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("meter"));
    const QString out = dir.filePath(QStringLiteral("run.csv"));
    // Away for longer than the silence the recorder waits before it says so.
    SimProcess sim({"--steady", "--rate", "50", "--vanish-after", "40", "--vanish-cycle",
                    "--down-ms", "3500", "--link", link});
    ASSERT_FALSE(sim.path().isEmpty());
    RecorderRun recorder({"--port", link, "--out", out, "--quiet"});
    ASSERT_TRUE(waitFor([&] { return recorder.messages().contains("sends again"); }, 15000))
        << recorder.messages().toStdString();
    ASSERT_TRUE(waitFor([&] { return fileLines(out) > 50; }, 5000));
    recorder.signal(SIGINT);
    EXPECT_EQ(recorder.exitCode(), 0);
    const QString told = recorder.messages();
    const qsizetype back = told.indexOf(QStringLiteral("sends again"));
    EXPECT_EQ(told.left(back).count(QStringLiteral("sends nothing")), 1) << told.toStdString();

    LogTable table;
    EXPECT_TRUE(loadCsvFile(out, table).complete);
    expectNumberedRows(table);
}

TEST(RecorderRun, ADeviceWithoutPermissionEndsWithCode2AndSaysHowToFixIt)
{
    const group *tty = ::getgrnam("tty");
    const passwd *nobody = ::getpwnam("nobody");
    if (tty == nullptr || nobody == nullptr)
        GTEST_SKIP() << "no tty group or nobody user";
    test::Pty pty;
    ASSERT_TRUE(pty.ok());
    ASSERT_EQ(::fchown(pty.slave(), 0, tty->gr_gid), 0);
    ASSERT_EQ(::fchmod(pty.slave(), 0660), 0);
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("never.csv"));
    // Root opens any device: the recorder gives up root first.
    const uid_t uid = nobody->pw_uid;
    const gid_t gid = nobody->pw_gid;
    RecorderRun recorder({"--port", QString::fromStdString(pty.path()), "--out", out}, [uid, gid] {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0))
            ::_exit(99);
    });
    EXPECT_EQ(recorder.exitCode(), 2);
    const QString told = recorder.messages();
    EXPECT_TRUE(told.contains(QStringLiteral("permission denied"))) << told.toStdString();
    EXPECT_TRUE(told.contains(QStringLiteral("\"tty\" group")));
    EXPECT_TRUE(told.contains(QStringLiteral("sudo usermod -aG tty")));
    EXPECT_FALSE(QFile::exists(out));
}

TEST(RecorderRun, AFullDiskEndsWithCode3AndKeepsEveryWholeRowBeforeIt)
{
    test::SmallDisk disk("size=32k");
    if (!disk.mounted())
        GTEST_SKIP() << "no tmpfs could be mounted";
    SimProcess sim({"--scenario", "demo", "--line-rate"});
    const QString out = disk.filePath(QStringLiteral("run.csv"));
    RecorderRun recorder({"--port", sim.path(), "--out", out, "--quiet"});
    EXPECT_EQ(recorder.exitCode(30000), 3);
    EXPECT_TRUE(recorder.messages().contains(
        QStringLiteral("cannot write %1: No space left on device.").arg(out)))
        << recorder.messages().toStdString();
    LogTable table;
    const LogCsvLoad load = loadCsvFile(out, table);
    EXPECT_TRUE(load.complete);
    EXPECT_GT(load.rows, 100u);
    expectNumberedRows(table);
}

} // namespace
} // namespace vireo
