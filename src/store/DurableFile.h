#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace vireo {

// Why a file could not be created, written or synced: its path and the system's reason.
struct DurableError {
    std::string path;
    int code = 0;
    std::string reason;
};

// A file that grows while a program runs and reaches the disk within a second, written by a
// thread of its own. The owner's thread (the window's, with a meter at line rate) only hands
// bytes over: a mutex held for an append to a buffer, no system call, so a slow or stalled disk
// never delays it. The writer takes what has come, writes it, syncs the data, then pauses
// before the next batch: a few syncs a second while data flows, none while it does not.
//
// Errors (the file cannot be created, the disk is full, a quota, an I/O error) are handed to
// onError once, on the writer thread, with the path and the system's reason; from then on what
// is appended is dropped, and the file keeps what it held before the failed batch. Starting
// the file afresh tries again. Every function but onError and actions runs on the owner's thread.
class DurableFile {
public:
    enum class Start {
        // Emptied if it exists.
        Fresh,
        // Grows at its end. A last line that a crash cut short (after whole lines, without its
        // line break) is cut off, so that new lines never join a broken one.
        Append,
        // A file that did not exist: while the name is taken (or a program holds the file under
        // its lock), "-2", "-3" and so on are tried before the extension.
        New,
    };

    struct Options {
        std::string path = {};
        Start start = Start::Fresh;
        // Written to a file that is new or empty, and after startAfresh().
        std::string header = {};
        // Held under an exclusive lock (flock) for the file's life, so that a second program
        // never writes it too. A file locked elsewhere is an error.
        bool lock = false;
        // Missing folders of the path are created, each readable by the user alone.
        bool makeFolders = false;
        // Between two batches.
        std::chrono::milliseconds pause{250};
        std::function<void(const DurableError &)> onError = {};
    };

    // Starts the writer, which creates or opens the file at once.
    explicit DurableFile(Options options);
    ~DurableFile();
    DurableFile(const DurableFile &) = delete;
    DurableFile &operator=(const DurableFile &) = delete;

    // Hands bytes over to be written and returns the position they end at: the count of all
    // bytes appended since the start.
    std::uint64_t append(std::string_view bytes);
    // Empties the file back to its header, in order with what was appended: bytes appended
    // before are dropped, bytes appended after follow the header.
    void startAfresh();
    // The position up to which everything appended is on disk (or was dropped by
    // startAfresh()); it only grows.
    std::uint64_t durable() const { return m_durable.load(std::memory_order_acquire); }
    // Runs the action on the writer thread once everything appended so far is durable; never
    // when the file fails first or is closed before.
    void whenDurable(std::function<void()> action);

    // The first error since the file was last started afresh, if any.
    std::optional<DurableError> error() const;
    // Where the file is; with Start::New, the name that was free.
    std::string path() const;

    enum class Ending { Keep, Remove };
    // Writes and syncs what is pending, runs the actions that are then due and closes the file,
    // or removes it (while still holding its lock). Waits for the writer.
    void close(Ending ending = Ending::Keep);

private:
    struct Action {
        std::uint64_t position;
        std::function<void()> run;
    };

    // The writer thread's steps; those returning bool have reported a failure when false.
    void runWriter();
    bool open();
    bool openNew(int flags);
    bool cutBrokenLastLine();
    bool writeAll(std::string_view bytes);
    bool writeBatch(std::string_view bytes);
    bool emptyToHeader();
    void fail(const std::string &path, int code);
    void runDueActions(std::uint64_t durable);
    void finish(Ending ending);

    const Options m_options;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::string m_pending;
    std::uint64_t m_appended = 0;
    bool m_restart = false;
    bool m_failed = false;
    bool m_stop = false;
    bool m_writerIdle = false;
    bool m_actionsAdded = false;
    Ending m_ending = Ending::Keep;
    std::vector<Action> m_actions;
    std::optional<DurableError> m_error;
    std::string m_path;
    std::atomic<std::uint64_t> m_durable{0};

    // The writer thread's own.
    int m_fd = -1;
    bool m_regular = true;
    std::uint64_t m_size = 0;

    std::thread m_writer;
};

} // namespace vireo
