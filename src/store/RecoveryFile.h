#pragma once

#include "core/LogTable.h"
#include "store/DurableFile.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace vireo {

// This run's recovery file: the rows logged that exist nowhere else, as CSV with dates, on disk
// within a second of being logged, so that a crash, a kill or a power cut loses at most the
// last second of them. The file is made with the first row (a run that logs nothing leaves
// nothing), named after the moment and the process, and held under a lock for the life of the
// run, so that no other program takes it for one left behind.
//
// All functions run on the owner's thread; adding a row never waits on the disk. Errors reach
// onError on the writer thread, once per failure (see DurableFile).
class RecoveryFile {
public:
    // $XDG_STATE_HOME/vireo-link, or ~/.local/state/vireo-link when that is unset or not an
    // absolute path.
    static std::string defaultFolder();

    RecoveryFile(std::string folder, std::function<void(const DurableError &)> onError);
    // As finish().
    ~RecoveryFile();
    RecoveryFile(const RecoveryFile &) = delete;
    RecoveryFile &operator=(const RecoveryFile &) = delete;

    // A row that entered the log from a reading (or a restore); the decimal separator reads
    // its value for the Number column.
    void addRow(const LogRow &row, std::string_view decimalSep);
    // After a save, or the log cleared: no row is unsaved any more. Rows added before are
    // dropped from the file, rows added after are kept.
    void startAfresh();
    // Runs the action on the writer thread once every row added so far is on disk, or was
    // dropped by startAfresh(); at once when no row was ever added. Never when the file failed
    // or the run ends first.
    void whenRowsSafe(std::function<void()> action);
    // At exit: the file is removed when it holds no unsaved row, kept otherwise, and released.
    // Waits until what is pending is on disk.
    void finish();

    std::size_t unsavedRows() const { return m_unsavedRows; }
    // Where the file is; empty before the first row.
    std::string path() const;

private:
    std::string m_folder;
    std::function<void(const DurableError &)> m_onError;
    std::unique_ptr<DurableFile> m_file;
    std::size_t m_unsavedRows = 0;
    std::string m_line;
};

} // namespace vireo
