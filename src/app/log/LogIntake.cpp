#include "app/log/LogIntake.h"

#include "app/log/LogGrid.h"
#include "store/RecoveryFile.h"

namespace vireo {

void LogIntake::append(const LogRow &row)
{
    if (held()) {
        m_waiting.push_back({row.No, std::string(row.Time), std::string(row.Func),
                             std::string(row.Value), std::string(row.Unit), std::string(row.Range),
                             row.DateTime, row.Verdict});
        return;
    }
    enter(row);
    m_grid.rowsAppended();
}

void LogIntake::enter(const LogRow &row)
{
    m_table.append(row);
    // Handed over only: the recovery file's own thread writes and syncs it.
    m_recovery.addRow(row, m_decimalSep);
}

void LogIntake::release()
{
    if (--m_holds > 0 || m_waiting.empty())
        return;
    for (const WaitingRow &row : m_waiting)
        enter({row.no, row.time, row.func, row.value, row.unit, row.range, row.dateTime,
               row.verdict});
    m_waiting.clear();
    m_grid.rowsAppended();
}

} // namespace vireo
