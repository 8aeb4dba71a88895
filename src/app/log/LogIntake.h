#pragma once

#include "core/LogTable.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vireo {

class LogGrid;
class RecoveryFile;

// Where live readings join the log: every logged row enters the table here, and with it this
// run's recovery file. Long work on the log (loading, saving or restoring millions of rows) lets
// the event loop run, so readings keep arriving; while such work holds the log they wait here,
// in order, and join the table and the recovery file when it ends, so that a loaded file's rows
// stay together, a save reads a log that does not move, and the rows a save did not see stay
// unsaved in the recovery file.
class LogIntake {
public:
    // The decimal separator is the one the rows' values are written with, read as each row
    // joins the recovery file.
    LogIntake(LogTable &table, LogGrid &grid, RecoveryFile &recovery, const std::string &decimalSep)
        : m_table(table), m_grid(grid), m_recovery(recovery), m_decimalSep(decimalSep)
    {
    }

    // Appends the stamped, judged row and shows it, or keeps it until the log is released.
    void append(const LogRow &row);
    bool held() const { return m_holds > 0; }
    std::size_t waiting() const { return m_waiting.size(); }

    // Holds the log for its lifetime; holds nest, and the last one to end lets the waiting
    // rows in.
    class Hold {
    public:
        explicit Hold(LogIntake &intake) : m_intake(intake) { ++m_intake.m_holds; }
        ~Hold() { m_intake.release(); }
        Hold(const Hold &) = delete;
        Hold &operator=(const Hold &) = delete;

    private:
        LogIntake &m_intake;
    };

private:
    struct WaitingRow {
        std::optional<std::int32_t> no;
        std::string time, func, value, unit, range;
        std::optional<LogStamp> dateTime;
        std::optional<Verdict> verdict;
    };

    void enter(const LogRow &row);
    void release();

    LogTable &m_table;
    LogGrid &m_grid;
    RecoveryFile &m_recovery;
    const std::string &m_decimalSep;
    int m_holds = 0;
    std::vector<WaitingRow> m_waiting;
};

} // namespace vireo
