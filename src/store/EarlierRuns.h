#pragma once

#include "core/LogFileCsv.h"
#include "core/LogTable.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vireo {

class RecoveryFile;

// The recovery files that earlier runs left behind with rows unsaved, found at start-up to be
// offered back once. A file whose program still runs is held under its lock and never touched.
// The files found are held under their locks in turn, so that a second program starting
// meanwhile does not offer them too, until they are restored, kept aside or this object ends
// (then they are offered again at the next start).
//
// Files that hold no row are removed as they are found. Files kept aside go to the folder
// "kept" beside them, are never offered again and are removed 30 days later.
class EarlierRuns {
public:
    static constexpr std::string_view KeptFolder = "kept";
    static constexpr std::chrono::days KeptFor{30};

    // Looks through the folder: removes what was kept aside long enough and the files without
    // rows, and reads the others through (their rows up to any damage). Reads whole files:
    // long ones take a while.
    static EarlierRuns find(const std::string &folder);

    EarlierRuns(EarlierRuns &&other) noexcept;
    EarlierRuns &operator=(EarlierRuns &&other) noexcept;
    ~EarlierRuns();

    // Whether files are held to be restored or kept aside.
    bool empty() const { return m_runs.empty(); }
    // As found: the rows that can be restored, of all files together, and the first and last
    // date among them.
    std::size_t rowCount() const { return m_rowCount; }
    std::optional<LogStamp> first() const { return m_first; }
    std::optional<LogStamp> last() const { return m_last; }
    // Whether a file is damaged or cut short: its rows up to the damage are all it gives.
    bool damaged() const { return m_damaged; }

    // Restores up to maxRows further rows, oldest file first, into the table and into this
    // run's recovery file, as a load brings rows back: numbers, texts, dates and verdicts.
    // True while rows are left. Once all are read, the earlier files are removed as soon as
    // their rows are on disk in this run's file.
    bool restoreStep(LogTable &table, RecoveryFile &into, std::string_view decimalSep,
                     std::size_t maxRows);
    std::size_t rowsRestored() const { return m_restored; }

    // Moves the files to the kept folder, not to be offered again.
    void keepAside();

private:
    struct Run;

    EarlierRuns();
    bool examine(Run &run);

    std::vector<Run> m_runs;
    std::size_t m_rowCount = 0;
    std::optional<LogStamp> m_first;
    std::optional<LogStamp> m_last;
    bool m_damaged = false;
    std::size_t m_current = 0;
    std::optional<LogCsvReader> m_reader;
    std::size_t m_restored = 0;
};

} // namespace vireo
