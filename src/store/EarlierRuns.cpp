#include "store/EarlierRuns.h"

#include "store/RecoveryFile.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <memory>
#include <span>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vireo {

// A file found, open and locked, its bytes mapped for reading.
struct EarlierRuns::Run {
    std::string folder;
    std::string name;
    int fd = -1;
    void *map = nullptr;
    std::size_t size = 0;
    std::size_t rows = 0;
    std::optional<LogStamp> first;
    std::optional<LogStamp> last;
    bool damaged = false;

    Run(std::string inFolder, std::string fileName)
        : folder(std::move(inFolder)), name(std::move(fileName))
    {
    }
    Run(Run &&other) noexcept { *this = std::move(other); }
    Run &operator=(Run &&other) noexcept
    {
        std::swap(folder, other.folder);
        std::swap(name, other.name);
        std::swap(fd, other.fd);
        std::swap(map, other.map);
        std::swap(size, other.size);
        std::swap(rows, other.rows);
        std::swap(first, other.first);
        std::swap(last, other.last);
        std::swap(damaged, other.damaged);
        return *this;
    }
    ~Run()
    {
        if (map != nullptr)
            ::munmap(map, size);
        if (fd >= 0)
            ::close(fd);
    }

    std::string path() const { return folder + '/' + name; }
    std::span<const std::uint8_t> bytes() const
    {
        return {static_cast<const std::uint8_t *>(map), map != nullptr ? size : 0};
    }

    // Into the kept folder, its 30 days counted from now. A file that cannot be moved stays
    // where it is and is offered again at the next start.
    void keepAside() const
    {
        const std::string kept = folder + '/' + std::string(KeptFolder);
        if (::mkdir(kept.c_str(), 0700) != 0 && errno != EEXIST)
            return;
        if (::rename(path().c_str(), (kept + '/' + name).c_str()) == 0 &&
            ::futimens(fd, nullptr) != 0) {
            // Then its 30 days count from the run's last row.
        }
    }
};

namespace {

bool isRunFileName(std::string_view name)
{
    return name.starts_with("run-") && name.ends_with(".csv");
}

void removeExpired(const std::string &keptFolder)
{
    DIR *dir = ::opendir(keptFolder.c_str());
    if (dir == nullptr)
        return;
    const std::time_t now = std::time(nullptr);
    const auto keptSeconds =
        std::chrono::duration_cast<std::chrono::seconds>(EarlierRuns::KeptFor).count();
    while (const dirent *entry = ::readdir(dir)) {
        struct stat status {};
        if (isRunFileName(entry->d_name) &&
            ::fstatat(::dirfd(dir), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(status.st_mode) && now - status.st_mtime > keptSeconds)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

// What a run's file holds when the run ended before its first row reached it.
bool holdsHeaderAtMost(std::span<const std::uint8_t> bytes)
{
    std::string header;
    appendLogCsvHeader(header);
    return std::string_view(header).starts_with(
        std::string_view(reinterpret_cast<const char *>(bytes.data()), bytes.size()));
}

} // namespace

EarlierRuns::EarlierRuns() = default;
EarlierRuns::EarlierRuns(EarlierRuns &&other) noexcept = default;
EarlierRuns &EarlierRuns::operator=(EarlierRuns &&other) noexcept = default;
EarlierRuns::~EarlierRuns() = default;

EarlierRuns EarlierRuns::find(const std::string &folder)
{
    EarlierRuns runs;
    removeExpired(folder + '/' + std::string(KeptFolder));
    DIR *dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return runs;
    std::vector<std::string> names;
    while (const dirent *entry = ::readdir(dir)) {
        if (isRunFileName(entry->d_name))
            names.emplace_back(entry->d_name);
    }
    ::closedir(dir);

    for (std::string &name : names) {
        Run run(folder, std::move(name));
        if (runs.examine(run))
            runs.m_runs.push_back(std::move(run));
    }
    // Oldest first, so that restored rows stand in the order they were logged.
    std::sort(runs.m_runs.begin(), runs.m_runs.end(), [](const Run &a, const Run &b) {
        if (a.first && b.first && a.first->utcMs != b.first->utcMs)
            return a.first->utcMs < b.first->utcMs;
        return a.name < b.name;
    });
    for (const Run &run : runs.m_runs) {
        runs.m_rowCount += run.rows;
        runs.m_damaged = runs.m_damaged || run.damaged;
        if (run.first && (!runs.m_first || run.first->utcMs < runs.m_first->utcMs))
            runs.m_first = run.first;
        if (run.last && (!runs.m_last || run.last->utcMs > runs.m_last->utcMs))
            runs.m_last = run.last;
    }
    return runs;
}

bool EarlierRuns::examine(Run &run)
{
    const std::string path = run.path();
    run.fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    // A file still locked belongs to a program that runs.
    if (run.fd < 0 || ::flock(run.fd, LOCK_EX | LOCK_NB) != 0)
        return false;
    // Its program may have removed it between the listing and the lock.
    struct stat opened {};
    struct stat named {};
    if (::fstat(run.fd, &opened) != 0 || !S_ISREG(opened.st_mode) ||
        ::stat(path.c_str(), &named) != 0 || opened.st_dev != named.st_dev ||
        opened.st_ino != named.st_ino)
        return false;
    run.size = static_cast<std::size_t>(opened.st_size);
    if (run.size > 0) {
        void *map = ::mmap(nullptr, run.size, PROT_READ, MAP_PRIVATE, run.fd, 0);
        if (map == MAP_FAILED)
            return false;
        run.map = map;
    }

    LogCsvReader reader(run.bytes());
    LogRow row;
    while (reader.next(row)) {
        ++run.rows;
        if (row.DateTime) {
            if (!run.first)
                run.first = row.DateTime;
            run.last = row.DateTime;
        }
    }
    run.damaged = !reader.ok();
    if (run.rows > 0)
        return true;
    // Nothing to offer: a file that never got a row goes, one too damaged to read is kept
    // aside for a person to look at.
    if (!run.damaged || holdsHeaderAtMost(run.bytes()))
        ::unlink(path.c_str());
    else
        run.keepAside();
    return false;
}

bool EarlierRuns::restoreStep(LogTable &table, RecoveryFile &into, std::string_view decimalSep,
                              std::size_t maxRows)
{
    LogRow row;
    std::size_t done = 0;
    while (m_current < m_runs.size() && done < maxRows) {
        if (!m_reader)
            m_reader.emplace(m_runs[m_current].bytes());
        if (m_reader->next(row)) {
            table.append(row);
            into.addRow(row, decimalSep);
            ++done;
            continue;
        }
        m_reader.reset();
        ++m_current;
    }
    m_restored += done;
    if (m_current < m_runs.size())
        return true;
    if (!m_runs.empty()) {
        // Held, and so locked, until removed: no program starting meanwhile offers them again.
        auto files = std::make_shared<std::vector<Run>>(std::move(m_runs));
        m_runs.clear();
        into.whenRowsSafe([files] {
            for (const Run &run : *files)
                ::unlink(run.path().c_str());
            files->clear();
        });
    }
    return false;
}

void EarlierRuns::keepAside()
{
    m_reader.reset();
    for (const Run &run : m_runs)
        run.keepAside();
    m_runs.clear();
    m_current = 0;
}

} // namespace vireo
