// Log files, the printed report and the chart picture.
#include "app/HeronF.h"

#include "app/ChartPicture.h"
#include "app/FormDialogs.h"
#include "app/LiveRows.h"
#include "app/LogFileWork.h"
#include "app/LogGrid.h"
#include "app/uCharControl.h"
#include "core/FileNames.h"
#include "core/LogTable.h"

#include <QChartView>
#include <QFileInfo>
#include <QGuiApplication>

namespace vireo {

namespace {

const QString kSaveFilter =
    QStringLiteral("Excel File(*.xls)|*.xls|XML(*.xml)|*.xml|Txt File(*.txt)|*.txt");
const QString kOpenFilter =
    QStringLiteral("Excel File(*.xls)|*.xls|XML (*.xml)|*.xml|Txt File(*.txt)|*.txt");
const QString kPictureFilter = QStringLiteral("Bitmaps (*.bmp)|*.bmp");

} // namespace

void TFCOMM::saveasClick()
{
    const QString chosen = dialogs().saveFileName(kSaveFilter, QStringLiteral("xls"), QString());
    if (chosen.isEmpty())
        return;
    {
        const LogGrid::FollowingPause pause(*DBGrid1);
        SaveTableToFile(*cds1, QString::fromStdString(logSaveFileName(chosen.toStdString())));
        repaint();
    }
    DBGrid1->reset();
}

bool TFCOMM::SaveTableToFile(const LogTable &table, const QString &name)
{
    const QString fullName = QFileInfo(name).absoluteFilePath();
    const bool xml = isXmlLogFileName(name.toStdString());
    QString error;
    {
        const LiveRows::Hold hold(*liveRows);
        error = saveLogFile(table, name, xml, this);
    }
    if (xml) {
        if (!error.isEmpty()) {
            dialogs().error(QGuiApplication::applicationDisplayName(), error);
            return false;
        }
        dialogs().plainMessage(QStringLiteral("Save table to specified file: ") + fullName +
                               QStringLiteral(" Scuss!"));
        return true;
    }
    if (!error.isEmpty()) {
        dialogs().plainMessage(QStringLiteral("Table can not be saved in this format!"));
        return false;
    }
    dialogs().plainMessage(QStringLiteral("Table has been saved successfully!"));
    return true;
}

void TFCOMM::OpenDataFilesClick()
{
    const QString chosen = dialogs().openFileName(kOpenFilter, m_lastOpenName);
    if (chosen.isEmpty())
        return;
    m_lastOpenName = chosen;
    {
        const LogGrid::FollowingPause pause(*DBGrid1);
        LoadTableFromFile(chosen, *cds1, false);
    }
    DBGrid1->reset();
}

bool TFCOMM::LoadTableFromFile(const QString &name, LogTable &table, bool clearFirst)
{
    if (clearFirst)
        table.clear();
    bool ok = false;
    {
        const LiveRows::Hold hold(*liveRows);
        ok = loadLogFile(name, isXmlLogFileName(name.toStdString()), table, this);
    }
    if (!ok)
        dialogs().error(QStringLiteral("Error"), QStringLiteral("Failed to Load File!"));
    return ok;
}

void TFCOMM::BtPrintClick()
{
    {
        const LogGrid::FollowingPause pause(*DBGrid1);
        m_preview.exec(*cds1, this);
    }
    DBGrid1->reset();
}

void TFCOMM::BtSaveClick()
{
    const QString chosen =
        dialogs().saveFileName(kPictureFilter, QStringLiteral("bmp"), m_lastPictureName);
    if (chosen.isEmpty())
        return;
    m_lastPictureName = chosen;
    ChartCtl->flush();
    const ChartPictureResult result = saveChartPicture(Chtshow, chosen);
    if (!result.ok()) {
        dialogs().error(QGuiApplication::applicationDisplayName(), result.error);
        return;
    }
    dialogs().information(
        QStringLiteral("Graphic has been saved successfully at the following location: %1")
            .arg(result.fileName));
}

} // namespace vireo
