// The reading log's files, its recovery file and its printed report.
#include "app/log/ReadingLog.h"

#include "app/log/LogFileWork.h"
#include "app/log/LogGrid.h"
#include "app/log/LogIntake.h"
#include "app/window/FormDialogs.h"
#include "core/FileNames.h"
#include "core/LogTable.h"
#include "store/EarlierRuns.h"
#include "store/RecoveryFile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>

namespace vireo {

namespace {

const QString kSaveFilter = QStringLiteral(
    "Excel File(*.xls)|*.xls|XML(*.xml)|*.xml|Txt File(*.txt)|*.txt|CSV File(*.csv)|*.csv");
const QString kOpenFilter = QStringLiteral(
    "Excel File(*.xls)|*.xls|XML (*.xml)|*.xml|Txt File(*.txt)|*.txt|CSV File(*.csv)|*.csv");

LogFileFormat formatOf(const QString &name)
{
    const std::string n = name.toStdString();
    if (isXmlLogFileName(n))
        return LogFileFormat::Xml;
    return isCsvLogFileName(n) ? LogFileFormat::Csv : LogFileFormat::Text;
}

QString restoreQuestion(const EarlierRuns &runs)
{
    const auto local = [](const LogStamp &stamp) {
        return QDateTime::fromMSecsSinceEpoch(stamp.utcMs)
            .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    };
    const QString span =
        runs.first() && runs.last()
            ? QStringLiteral(" (from %1 to %2)").arg(local(*runs.first()), local(*runs.last()))
            : QString();
    return QStringLiteral("The last run logged %1 readings that were not saved%2. Restore them "
                          "into the log?")
        .arg(QString::number(runs.rowCount()), span);
}

} // namespace

void ReadingLog::saveasClick()
{
    const QString name = m_dialogs.chooseSaveName(
        kSaveFilter, QString(),
        [](std::string_view typed, std::string_view type) { return logSaveFileName(typed, type); });
    if (name.isEmpty())
        return;
    {
        const LogGrid::FollowingPause pause(*DBGrid1);
        SaveTableToFile(*cds1, name);
        m_window->repaint();
    }
    DBGrid1->reset();
}

bool ReadingLog::SaveTableToFile(const LogTable &table, const QString &name)
{
    const QString fullName = QFileInfo(name).absoluteFilePath();
    const LogFileFormat format = formatOf(name);
    QString error;
    {
        const LogIntake::Hold hold(*intake);
        error = saveLogFile(table, name, format, m_decimalSep, m_window);
        // The rows the file now holds are no longer only in memory. The readings held back
        // during the save are not in it: they join the recovery file after this.
        if (error.isEmpty())
            m_recovery->startAfresh();
    }
    if (format == LogFileFormat::Xml) {
        if (!error.isEmpty()) {
            m_dialogs.error(QGuiApplication::applicationDisplayName(), error);
            return false;
        }
        m_dialogs.plainMessage(QStringLiteral("Save table to specified file: ") + fullName +
                               QStringLiteral(" Scuss!"));
        return true;
    }
    if (!error.isEmpty()) {
        m_dialogs.plainMessage(QStringLiteral("Table can not be saved in this format!"));
        return false;
    }
    m_dialogs.plainMessage(QStringLiteral("Table has been saved successfully!"));
    return true;
}

void ReadingLog::OpenDataFilesClick()
{
    const QString chosen = m_dialogs.openFileName(kOpenFilter, m_lastOpenName);
    if (chosen.isEmpty())
        return;
    m_lastOpenName = chosen;
    {
        const LogGrid::FollowingPause pause(*DBGrid1);
        LoadTableFromFile(chosen, *cds1, false);
    }
    DBGrid1->reset();
}

bool ReadingLog::LoadTableFromFile(const QString &name, LogTable &table, bool clearFirst)
{
    if (clearFirst)
        table.clear();
    bool ok = false;
    {
        const LogIntake::Hold hold(*intake);
        ok = loadLogFile(name, formatOf(name), table, m_window);
    }
    if (!ok)
        m_dialogs.error(QStringLiteral("Error"), QStringLiteral("Failed to Load File!"));
    return ok;
}

void ReadingLog::restoreEarlierRuns()
{
    EarlierRuns runs = EarlierRuns::find(m_recoveryFolder);
    if (runs.empty())
        return;
    if (!m_dialogs.askYesByDefault(restoreQuestion(runs))) {
        runs.keepAside();
        return;
    }
    {
        const LogGrid::FollowingPause pause(*DBGrid1);
        const LogIntake::Hold hold(*intake);
        const std::size_t first = cds1->rowCount();
        restoreLogRows(runs, *cds1, *m_recovery, m_decimalSep, m_window);
        // Live readings go on numbering after the last restored row.
        for (std::size_t row = cds1->rowCount(); row > first; --row) {
            if (const std::optional<std::int32_t> no = cds1->no(row - 1)) {
                recordGate.RecordNo = *no + 1;
                break;
            }
        }
    }
    DBGrid1->reset();
    if (runs.damaged())
        m_dialogs.plainMessage(QStringLiteral("A recovery file was damaged or cut short. %1 "
                                              "readings were read and restored; what followed "
                                              "the damage is lost.")
                                   .arg(runs.rowsRestored()));
}

void ReadingLog::showRecoveryError(const DurableError &error)
{
    m_dialogs.error(
        QGuiApplication::applicationDisplayName(),
        QStringLiteral("The readings cannot be written to the recovery file %1: %2.\n"
                       "They are kept in memory only until the log is saved.")
            .arg(QString::fromStdString(error.path), QString::fromStdString(error.reason)));
}

void ReadingLog::BtPrintClick()
{
    {
        const LogGrid::FollowingPause pause(*DBGrid1);
        m_preview.exec(*cds1, m_window);
    }
    DBGrid1->reset();
}

} // namespace vireo
