#include "store/DurableFile.h"

#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vireo {

namespace {

// Room for the rows of a batch at any rate a meter sends: the two buffers that take turns never
// grow while rows come.
constexpr std::size_t BatchBytes = 64 * 1024;

std::string parentOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The name with "-n" before its extension (the extension of its file-name part).
std::string numberedName(const std::string &path, int number)
{
    const std::size_t slash = path.rfind('/');
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        dot = path.size();
    return path.substr(0, dot) + '-' + std::to_string(number) + path.substr(dot);
}

// Makes the folder's missing parts; returns the part that could not be made and why.
std::optional<std::pair<std::string, int>> makeFolders(const std::string &folder)
{
    for (std::size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
        const std::string part = folder.substr(0, end);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return std::pair(part, errno);
        if (end == std::string::npos)
            return std::nullopt;
    }
}

// A new name in a folder reaches the disk only with the folder itself.
void syncFolder(const std::string &folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    // Some file systems cannot sync a folder; the file's own data is synced all the same.
    if (::fsync(fd) != 0) {
    }
    ::close(fd);
}

} // namespace

DurableFile::DurableFile(Options options) : m_options(std::move(options)), m_path(m_options.path)
{
    m_pending.reserve(BatchBytes);
    m_writer = std::thread([this] { runWriter(); });
}

DurableFile::~DurableFile()
{
    close();
}

std::uint64_t DurableFile::append(std::string_view bytes)
{
    std::lock_guard lock(m_mutex);
    m_appended += bytes.size();
    if (m_failed)
        return m_appended;
    m_pending.append(bytes);
    // The writer is woken only when it waits for data, not while it pauses between batches:
    // at a steady flow of rows the owner never makes a system call here.
    if (m_writerIdle) {
        m_writerIdle = false;
        m_wake.notify_one();
    }
    return m_appended;
}

void DurableFile::startAfresh()
{
    std::lock_guard lock(m_mutex);
    m_pending.clear();
    m_restart = true;
    m_failed = false;
    m_error.reset();
    if (m_writerIdle) {
        m_writerIdle = false;
        m_wake.notify_one();
    }
}

void DurableFile::whenDurable(std::function<void()> action)
{
    std::lock_guard lock(m_mutex);
    m_actions.push_back({m_appended, std::move(action)});
    m_actionsAdded = true;
    if (m_writerIdle) {
        m_writerIdle = false;
        m_wake.notify_one();
    }
}

std::optional<DurableError> DurableFile::error() const
{
    std::lock_guard lock(m_mutex);
    return m_error;
}

std::string DurableFile::path() const
{
    std::lock_guard lock(m_mutex);
    return m_path;
}

void DurableFile::close(Ending ending)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_stop)
            return;
        m_stop = true;
        m_ending = ending;
        m_wake.notify_one();
    }
    m_writer.join();
}

void DurableFile::fail(const std::string &path, int code)
{
    DurableError error{path, code, std::generic_category().message(code)};
    {
        std::lock_guard lock(m_mutex);
        if (!m_error)
            m_error = error;
        // A start afresh asked for meanwhile tries again with what comes after it.
        if (!m_restart) {
            m_failed = true;
            m_pending.clear();
        }
    }
    if (m_options.onError)
        m_options.onError(error);
}

bool DurableFile::openNew(int flags)
{
    constexpr int Attempts = 100;
    for (int attempt = 1; attempt <= Attempts; ++attempt) {
        const std::string name =
            attempt == 1 ? m_options.path : numberedName(m_options.path, attempt);
        const int fd = ::open(name.c_str(), flags | O_EXCL, 0666);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0) {
            fail(name, errno);
            return false;
        }
        if (m_options.lock) {
            // Between its creation and the lock, a program starting up may have taken the file
            // for one left behind, and removed it: then it is no longer ours, nor the name.
            struct stat opened {};
            struct stat named {};
            if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &opened) != 0 ||
                ::stat(name.c_str(), &named) != 0 || opened.st_dev != named.st_dev ||
                opened.st_ino != named.st_ino) {
                ::close(fd);
                continue;
            }
        }
        m_fd = fd;
        std::lock_guard lock(m_mutex);
        m_path = name;
        return true;
    }
    fail(m_options.path, EEXIST);
    return false;
}

bool DurableFile::open()
{
    const std::string &path = m_options.path;
    if (m_options.makeFolders) {
        if (const auto failed = makeFolders(parentOf(path))) {
            fail(failed->first, failed->second);
            return false;
        }
    }
    // Appending reads the end of what is there, to cut a broken last line.
    const int flags =
        (m_options.start == Start::Append ? O_RDWR : O_WRONLY) | O_APPEND | O_CREAT | O_CLOEXEC;
    if (m_options.start == Start::New) {
        if (!openNew(flags))
            return false;
    } else {
        m_fd = ::open(path.c_str(), flags, 0666);
        // Emptied only under the lock: the file may be another program's.
        if (m_fd < 0 || (m_options.lock && ::flock(m_fd, LOCK_EX | LOCK_NB) != 0) ||
            (m_options.start == Start::Fresh && ::ftruncate(m_fd, 0) != 0 && errno != EINVAL)) {
            const int code = errno;
            if (m_fd >= 0)
                ::close(m_fd);
            m_fd = -1;
            fail(path, code);
            return false;
        }
    }

    struct stat status {};
    if (::fstat(m_fd, &status) != 0) {
        fail(m_path, errno);
        return false;
    }
    // A terminal or a pipe (standard output) is written but has nothing to sync or cut.
    m_regular = S_ISREG(status.st_mode);
    m_size = m_regular ? static_cast<std::uint64_t>(status.st_size) : 0;
    if (m_regular && m_options.start == Start::Append && m_size > 0 && !cutBrokenLastLine())
        return false;
    if (m_regular)
        syncFolder(parentOf(m_path));
    return m_size > 0 || writeBatch(m_options.header);
}

bool DurableFile::cutBrokenLastLine()
{
    char buffer[4096];
    std::uint64_t end = m_size;
    while (end > 0) {
        const std::size_t length =
            static_cast<std::size_t>(std::min<std::uint64_t>(end, sizeof buffer));
        const ssize_t got = ::pread(m_fd, buffer, length, static_cast<off_t>(end - length));
        if (got != static_cast<ssize_t>(length)) {
            fail(m_path, got < 0 ? errno : EIO);
            return false;
        }
        std::size_t i = length;
        while (i > 0 && buffer[i - 1] != '\n')
            --i;
        end -= length - i;
        if (i > 0)
            break;
    }
    if (end == m_size)
        return true;
    // A file without a single line break is no log of ours: it keeps every byte, and the new
    // lines start on a line of their own.
    if (end == 0)
        return writeBatch("\r\n");
    if (::ftruncate(m_fd, static_cast<off_t>(end)) != 0) {
        fail(m_path, errno);
        return false;
    }
    m_size = end;
    return true;
}

bool DurableFile::writeAll(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(m_fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool DurableFile::writeBatch(std::string_view bytes)
{
    if (writeAll(bytes) && (!m_regular || ::fdatasync(m_fd) == 0)) {
        m_size += bytes.size();
        return true;
    }
    const int code = errno;
    // The file keeps the batches before: part of this one would end in a line cut short.
    if (m_regular && ::ftruncate(m_fd, static_cast<off_t>(m_size)) != 0) {
        // Then a reader stops at the cut line, after every whole one.
    }
    fail(m_path, code);
    return false;
}

bool DurableFile::emptyToHeader()
{
    if (m_regular && ::ftruncate(m_fd, 0) != 0) {
        fail(m_path, errno);
        return false;
    }
    m_size = 0;
    return writeBatch(m_options.header);
}

void DurableFile::runDueActions(std::uint64_t durable)
{
    std::vector<Action> due;
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_actions.begin(); it != m_actions.end();) {
            if (it->position <= durable) {
                due.push_back(std::move(*it));
                it = m_actions.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (Action &action : due)
        action.run();
}

void DurableFile::runWriter()
{
    bool failed = !open();
    std::string batch;
    batch.reserve(BatchBytes);
    for (;;) {
        bool restart = false;
        bool stop = false;
        Ending ending = Ending::Keep;
        std::uint64_t upTo = 0;
        {
            std::unique_lock lock(m_mutex);
            m_writerIdle = true;
            m_wake.wait(lock, [this] {
                return !m_pending.empty() || m_restart || m_stop || m_actionsAdded;
            });
            m_writerIdle = false;
            m_actionsAdded = false;
            batch.swap(m_pending);
            restart = std::exchange(m_restart, false);
            stop = m_stop;
            ending = m_ending;
            upTo = m_appended;
        }
        if (restart)
            failed = m_fd < 0 ? !open() || !emptyToHeader() : !emptyToHeader();
        const bool wrote = !failed && !batch.empty();
        if (wrote)
            failed = !writeBatch(batch);
        batch.clear();
        if (!failed)
            m_durable.store(upTo, std::memory_order_release);
        runDueActions(m_durable.load(std::memory_order_relaxed));
        if (stop) {
            finish(ending);
            return;
        }
        if (wrote) {
            std::unique_lock lock(m_mutex);
            m_wake.wait_for(lock, m_options.pause, [this] { return m_stop; });
        }
    }
}

void DurableFile::finish(Ending ending)
{
    if (m_fd < 0)
        return;
    // Removed while still locked, so that no program starting now takes it for a file left
    // behind.
    if (ending == Ending::Remove)
        ::unlink(m_path.c_str());
    ::close(m_fd);
    m_fd = -1;
}

} // namespace vireo
