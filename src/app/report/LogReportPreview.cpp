#include "app/report/LogReportPreview.h"

#include "app/report/LogReport.h"
#include "app/report/ReportPreviewDialog.h"

#include <QPointer>
#include <QPrinter>

namespace vireo {

bool LogReportPreview::exec(const LogTable &table, QWidget *parent)
{
    if (m_open)
        return false;
    m_open = true;

    QPrinter printer(QPrinter::HighResolution);
    LogReport::setUpPrinter(printer);
    const LogReport report(table);
    // On the heap and watched: if the parent goes away during the nested event loop it
    // takes the dialog with it.
    QPointer<ReportPreviewDialog> dialog = new ReportPreviewDialog(report, printer, parent);
    dialog->exec();
    delete dialog.data();

    m_open = false;
    return true;
}

} // namespace vireo
