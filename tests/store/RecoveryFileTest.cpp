#include "store/RecoveryFile.h"
#include "store/EarlierRuns.h"
#include "store/StampSource.h"

#include "StoreTestSupport.h"
#include "core/LogFileTestRows.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>

#include <sys/stat.h>
#include <unistd.h>

namespace vireo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing_rows::datedTable;
using testing_rows::expectSameRows;

std::vector<std::string> filesIn(const std::string &folder)
{
    std::vector<std::string> names;
    if (fs::exists(folder)) {
        for (const auto &entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Adds the rows and waits until they are on disk.
void addRows(RecoveryFile &file, const LogTable &table)
{
    for (std::size_t i = 0; i < table.rowCount(); ++i)
        file.addRow(table.row(i), ",");
    std::promise<void> safe;
    file.whenRowsSafe([&safe] { safe.set_value(); });
    safe.get_future().wait();
}

TEST(RecoveryFile, FolderFollowsXdgStateHome)
{
    const test::ScopedEnv home("HOME", "/home/ann");
    const std::pair<const char *, const char *> cases[] = {
        {"/var/state", "/var/state/vireo-link"},
        {nullptr, "/home/ann/.local/state/vireo-link"},
        {"relative/state", "/home/ann/.local/state/vireo-link"},
    };
    for (const auto &[state, folder] : cases) {
        const test::ScopedEnv xdg("XDG_STATE_HOME", state);
        EXPECT_EQ(RecoveryFile::defaultFolder(), folder);
    }
}

// Made with the first row in folders of the user's alone, held against other programs while
// the run lasts, removed at the end when a save left nothing unsaved, kept otherwise.
TEST(RecoveryFile, HoldsTheUnsavedRowsOfARunAndIsRemovedWhenNoneAreLeft)
{
    QTemporaryDir dir;
    const std::string folder = dir.filePath("state/vireo-link").toStdString();
    RecoveryFile(folder, {}).startAfresh();
    EXPECT_FALSE(fs::exists(folder));

    const LogTable rows = datedTable();
    RecoveryFile saved(folder, {});
    addRows(saved, rows);
    const std::string name = fs::path(saved.path()).filename().string();
    EXPECT_TRUE(name.starts_with("run-") &&
                name.ends_with('-' + std::to_string(::getpid()) + ".csv"))
        << name;
    for (const std::string &made : {folder, dir.filePath("state").toStdString()}) {
        struct stat status {};
        ASSERT_EQ(::stat(made.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0700u) << made;
    }
    EXPECT_TRUE(EarlierRuns::find(folder).empty());
    saved.startAfresh();
    saved.finish();
    EXPECT_EQ(filesIn(folder), std::vector<std::string>{});

    RecoveryFile unsaved(folder, {});
    addRows(unsaved, rows);
    unsaved.finish();
    const EarlierRuns found = EarlierRuns::find(folder);
    EXPECT_EQ(found.rowCount(), rows.rowCount());
    EXPECT_EQ(found.first(), rows.dateTime(0));
    EXPECT_EQ(found.last(), rows.dateTime(4));
    EXPECT_FALSE(found.damaged());
}

// Restored rows join the table and this run's file; the earlier file goes once they are on
// disk here.
TEST(RecoveryFile, RestoredRowsMoveIntoThisRunsFile)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    const LogTable logged = datedTable();
    RecoveryFile earlier(folder, {});
    addRows(earlier, logged);
    earlier.finish();
    const std::string earlierBytes = test::readAll(folder + '/' + filesIn(folder).at(0));

    EarlierRuns found = EarlierRuns::find(folder);
    EXPECT_TRUE(EarlierRuns::find(folder).empty());
    LogTable table;
    RecoveryFile now(folder, {});
    while (found.restoreStep(table, now, ",", 2)) {
    }
    addRows(now, LogTable{});
    EXPECT_EQ(found.rowsRestored(), logged.rowCount());
    expectSameRows(table, 0, logged);
    const std::string nowPath = now.path();
    now.finish();
    EXPECT_EQ(filesIn(folder), std::vector{fs::path(nowPath).filename().string()});
    EXPECT_EQ(test::readAll(nowPath), earlierBytes);
}

// A file cut by a power cut gives its whole rows; files without rows go, one that reads as
// nothing is kept aside unoffered; kept files go after 30 days.
TEST(RecoveryFile, DamagedEmptyAndKeptFiles)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    const std::string kept = folder + "/kept";
    fs::create_directory(kept);
    const std::string header = "No,Date-Time,Time,DC/AC,Value,Number,Unit,Auto,Verdict\r\n";
    const std::string row = "1,2026-12-09T17:42:03.125+01:00,17:42:03,DC,1.5,1.5,V,AUTO,\r\n";
    const auto write = [](const std::string &path, const std::string &bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    };
    write(folder + "/run-a.csv", header + row + row + row.substr(0, 20));
    write(folder + "/run-b.csv", header);
    write(folder + "/run-c.csv", header.substr(0, 10));
    write(folder + "/run-d.csv", "\x01\x02garbage\r\n");
    write(kept + "/run-old.csv", header + row);
    write(kept + "/run-young.csv", header + row);
    const auto daysAgo = [](int days) { return fs::file_time_type::clock::now() - days * 24h; };
    fs::last_write_time(kept + "/run-old.csv", daysAgo(31));
    fs::last_write_time(kept + "/run-young.csv", daysAgo(29));

    EarlierRuns found = EarlierRuns::find(folder);
    EXPECT_EQ(found.rowCount(), 2u);
    EXPECT_TRUE(found.damaged());
    EXPECT_EQ(filesIn(folder), (std::vector<std::string>{"kept", "run-a.csv"}));
    EXPECT_EQ(filesIn(kept), (std::vector<std::string>{"run-d.csv", "run-young.csv"}));
    found.keepAside();
    EXPECT_TRUE(EarlierRuns::find(folder).empty());
    EXPECT_EQ(filesIn(kept), (std::vector<std::string>{"run-a.csv", "run-d.csv", "run-young.csv"}));
    EXPECT_GT(fs::last_write_time(kept + "/run-a.csv"), daysAgo(1));
}

// What the file holds, read by Python's csv module with its dates as datetime objects: a run
// across midnight into a new year, a comma as decimal separator, units beyond ASCII.
TEST(RecoveryFile, ReadsInPythonWithDatesAcrossMidnight)
{
    if (::access("/usr/bin/python3", X_OK) != 0)
        GTEST_SKIP() << "python3 is not installed";
    const test::ScopedEnv zone("TZ", test::CentralEurope);
    QTemporaryDir dir;
    std::int64_t now = 1'798'757'998'000;
    StampSource stamps([&now] { return now; });
    RecoveryFile file(dir.path().toStdString(), {});
    const char *values[] = {"1,234", ",0L", "-0,5", "12"};
    const char *units[] = {"V", "k*", "#", "uA", ")"};
    for (int i = 0; i < 20; ++i, now += 300) {
        const RowStamp stamp = stamps.now(":");
        file.addRow({i + 1, stamp.time, "DC", values[i % 4], units[i % 5], "AUTO", stamp.dateTime,
                     i % 2 ? Verdict::Pass : Verdict::Fail},
                    ",");
    }
    const std::string path = file.path();
    file.finish();
    const std::string command = "python3 " VIREO_CSV_CHECK " " + path + " 20";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

} // namespace
} // namespace vireo
