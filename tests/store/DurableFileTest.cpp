#include "store/DurableFile.h"

#include "StoreTestSupport.h"
#include "support/SmallDisk.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <future>
#include <set>
#include <thread>

namespace vireo {
namespace {

using namespace std::chrono_literals;
using std::chrono::steady_clock;
using test::readAll;

std::string pathIn(const QTemporaryDir &dir, const char *name)
{
    return dir.filePath(name).toStdString();
}

// Rows at about a thousand a second: each reaches the disk within a second of being handed
// over, in a few batches a second rather than one write and sync per row.
TEST(DurableFile, RowsReachTheDiskWithinASecondInBatches)
{
    QTemporaryDir dir;
    const std::string path = pathIn(dir, "log.csv");
    DurableFile file({.path = path, .header = "H\r\n"});
    std::string expected = "H\r\n";
    std::vector<std::pair<steady_clock::time_point, std::uint64_t>> handed;
    std::set<std::uint64_t> durableSeen;
    std::size_t due = 0;
    const auto start = steady_clock::now();
    while (steady_clock::now() - start < 2s) {
        const std::string row = std::to_string(handed.size()) + ",x\r\n";
        expected += row;
        handed.emplace_back(steady_clock::now(), file.append(row));
        const std::uint64_t durable = file.durable();
        durableSeen.insert(durable);
        for (; due < handed.size() && handed[due].first < steady_clock::now() - 1s; ++due)
            ASSERT_LE(handed[due].second, durable) << "row " << due;
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_GT(handed.size(), 1000u);
    EXPECT_LE(durableSeen.size(), 12u);
    file.close();
    EXPECT_EQ(file.durable(), handed.back().second);
    EXPECT_EQ(readAll(path), expected);
}

TEST(DurableFile, StartsAfreshInOrderAndAppendsAfterTheLastWholeLine)
{
    QTemporaryDir dir;
    const std::string path = pathIn(dir, "log.csv");
    {
        DurableFile file({.path = path, .header = "H\r\n"});
        file.append("a\r\n");
        file.startAfresh();
        file.append("b\r\n");
        bool ran = false;
        file.whenDurable([&ran] { ran = true; });
        file.close();
        EXPECT_TRUE(ran);
        EXPECT_EQ(file.durable(), 6u);
    }
    EXPECT_EQ(readAll(path), "H\r\nb\r\n");
    std::ofstream(path, std::ios::app) << "c,cut sh";
    DurableFile({.path = path, .start = DurableFile::Start::Append, .header = "H\r\n"})
        .append("d\r\n");
    EXPECT_EQ(readAll(path), "H\r\nb\r\nd\r\n");
    DurableFile({.path = path, .header = "H\r\n"}).close();
    EXPECT_EQ(readAll(path), "H\r\n");
    // Not a line of a log: nothing is cut.
    std::ofstream(path, std::ios::trunc) << "notes";
    DurableFile({.path = path, .start = DurableFile::Start::Append}).append("d\r\n");
    EXPECT_EQ(readAll(path), "notes\r\nd\r\n");
}

// The lock is held by an open file description, so two files of one process stand for two
// programs.
TEST(DurableFile, ALockedFileIsNotWrittenByASecondOwner)
{
    QTemporaryDir dir;
    const std::string path = pathIn(dir, "run.csv");
    DurableFile first({.path = path, .start = DurableFile::Start::New, .lock = true});
    const std::uint64_t end = first.append("1\r\n");
    while (first.durable() < end)
        std::this_thread::sleep_for(1ms);

    std::promise<DurableError> refused;
    DurableFile second({.path = path,
                        .start = DurableFile::Start::Append,
                        .lock = true,
                        .onError = [&](const DurableError &e) { refused.set_value(e); }});
    const DurableError error = refused.get_future().get();
    EXPECT_EQ(error.path, path);
    EXPECT_EQ(error.code, EWOULDBLOCK);
    DurableFile third({.path = path, .start = DurableFile::Start::New, .lock = true});
    third.close();
    EXPECT_EQ(third.path(), pathIn(dir, "run-2.csv"));

    first.close(DurableFile::Ending::Remove);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(readAll(third.path()), "");
}

// One report per failure, naming the file and the system's reason; appends go on returning at
// once, the file keeps whole batches only, and starting afresh tries again.
TEST(DurableFile, AFailureIsReportedOnceAndAppendsGoOn)
{
    QTemporaryDir dir;
    test::SmallDisk full("size=64k");
    test::SmallDisk readOnly("size=16k,ro");
    const std::string row = std::string(1000, 'x') + "\r\n";
    const struct {
        std::string path;
        int code;
        bool onSmallDisk;
    } cases[] = {
        {pathIn(dir, "missing/log.csv"), ENOENT, false},
        {readOnly.filePath("log.csv").toStdString(), EROFS, true},
        {full.filePath("log.csv").toStdString(), ENOSPC, true},
    };
    for (const auto &c : cases) {
        if (c.onSmallDisk && !(full.mounted() && readOnly.mounted())) {
            std::printf("skipped %s: mounting a small disk needs root\n", std::strerror(c.code));
            continue;
        }
        std::atomic<int> reports = 0;
        DurableError error;
        DurableFile file({.path = c.path, .header = "H\r\n", .onError = [&](const DurableError &e) {
                              if (reports++ == 0)
                                  error = e;
                          }});
        for (int i = 0; i < 300; ++i) {
            file.append(row);
            std::this_thread::sleep_for(3ms);
        }
        file.close();
        ASSERT_EQ(reports, 1) << c.path;
        EXPECT_EQ(error.path, c.path);
        EXPECT_EQ(error.code, c.code);
        EXPECT_EQ(error.reason, std::strerror(c.code));
        EXPECT_EQ(file.error()->code, c.code);
        if (c.code == ENOSPC) {
            const std::string kept = readAll(c.path);
            EXPECT_EQ((kept.size() - 3) % row.size(), 0u);
            DurableFile again({.path = c.path, .start = DurableFile::Start::Append});
            again.startAfresh();
            again.append(row);
            again.close();
            EXPECT_EQ(readAll(c.path), row);
            EXPECT_FALSE(again.error());
        }
    }
}

// A disk that does not answer holds the writer, never the owner handing rows over.
TEST(DurableFile, AStalledWriterNeverHoldsTheOwnerUp)
{
    QTemporaryDir dir;
    const std::string path = pathIn(dir, "log.csv");
    DurableFile file({.path = path});
    std::promise<void> stalled;
    std::promise<void> answer;
    std::shared_future<void> answered = answer.get_future().share();
    file.whenDurable([&stalled, answered] {
        stalled.set_value();
        answered.wait();
    });
    stalled.get_future().wait();

    const std::string row = std::string(80, 'x') + "\r\n";
    // About two minutes of rows at line rate.
    constexpr int rows = 20'000;
    auto slowest = steady_clock::duration::zero();
    for (int i = 0; i < rows; ++i) {
        const auto before = steady_clock::now();
        file.append(row);
        slowest = std::max(slowest, steady_clock::now() - before);
    }
    EXPECT_LT(slowest, 100ms);
    EXPECT_EQ(file.durable(), 0u);
    answer.set_value();
    file.close();
    EXPECT_EQ(std::filesystem::file_size(path), rows * row.size());
}

} // namespace
} // namespace vireo
