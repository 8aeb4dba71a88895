// The reading log's files and printed report.
#include "app/log/ReadingLog.h"

#include "app/log/LogFileWork.h"
#include "app/log/LogGrid.h"
#include "app/log/LogIntake.h"
#include "app/window/FormDialogs.h"
#include "core/FileNames.h"
#include "core/LogTable.h"

#include <QFileInfo>
#include <QGuiApplication>

namespace vireo {

namespace {

const QString kSaveFilter =
    QStringLiteral("Excel File(*.xls)|*.xls|XML(*.xml)|*.xml|Txt File(*.txt)|*.txt");
const QString kOpenFilter =
    QStringLiteral("Excel File(*.xls)|*.xls|XML (*.xml)|*.xml|Txt File(*.txt)|*.txt");

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
    const bool xml = isXmlLogFileName(name.toStdString());
    QString error;
    {
        const LogIntake::Hold hold(*intake);
        error = saveLogFile(table, name, xml, m_window);
    }
    if (xml) {
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
        ok = loadLogFile(name, isXmlLogFileName(name.toStdString()), table, m_window);
    }
    if (!ok)
        m_dialogs.error(QStringLiteral("Error"), QStringLiteral("Failed to Load File!"));
    return ok;
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
