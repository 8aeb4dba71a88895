#include "app/log/LogIntake.h"

#include "app/log/LogGrid.h"

namespace vireo {

void LogIntake::append(const LogRow &row)
{
    if (held()) {
        m_waiting.push_back({row.No, std::string(row.Time), std::string(row.Func),
                             std::string(row.Value), std::string(row.Unit),
                             std::string(row.Range)});
        return;
    }
    m_table.append(row);
    m_grid.rowsAppended();
}

void LogIntake::release()
{
    if (--m_holds > 0 || m_waiting.empty())
        return;
    for (const WaitingRow &row : m_waiting)
        m_table.append({row.no, row.time, row.func, row.value, row.unit, row.range});
    m_waiting.clear();
    m_grid.rowsAppended();
}

} // namespace vireo
