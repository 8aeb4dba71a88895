#pragma once

#include <QDialog>

class QAction;
class QComboBox;
class QIntValidator;
class QLabel;
class QLineEdit;
class QPrinter;
class QToolBar;

namespace vireo {

class LogReport;
class ReportPageView;

// The preview window of the report ("Print Preview"): zoom (page width, whole page, a factor),
// page navigation, orientation, page set-up and printing. Its cost does not depend on the
// length of the log: pages are counted, not built, and painted only when they come into view.
class ReportPreviewDialog : public QDialog {
    Q_OBJECT
public:
    // The report and the printer must outlive the dialog.
    ReportPreviewDialog(const LogReport &report, QPrinter &printer, QWidget *parent = nullptr);

    ReportPageView *pageView() const { return m_view; }
    const QPrinter &printer() const { return m_printer; }

private:
    QAction *toolAction(const QString &text, const char *icon, const char *name);
    void buildToolBar();
    void openAtScreenHeight(QWidget *parent);
    void showCurrentPage(int page);
    void showZoom();
    void applyZoomText();
    void zoomBy(double factor);
    void setOrientation(bool landscape);
    void layoutChanged();
    void pageSetup();
    void print();

    const LogReport &m_report;
    QPrinter &m_printer;
    QToolBar *m_toolBar = nullptr;
    ReportPageView *m_view = nullptr;
    QAction *m_fitWidth = nullptr, *m_fitPage = nullptr, *m_zoomIn = nullptr, *m_zoomOut = nullptr,
            *m_portrait = nullptr, *m_landscape = nullptr, *m_first = nullptr,
            *m_previous = nullptr, *m_next = nullptr, *m_last = nullptr, *m_pageSetup = nullptr,
            *m_print = nullptr;
    QComboBox *m_zoomBox = nullptr;
    QLineEdit *m_pageEdit = nullptr;
    QIntValidator *m_pageValidator = nullptr;
    QLabel *m_pageCount = nullptr;
};

// Sends the report to the printer (or PDF file) one page at a time under a progress box whose
// Cancel stops it after the page being sent; the window keeps working meanwhile. Returns
// whether every page was sent.
bool printReport(const LogReport &report, QPrinter &printer, QWidget *parent);

} // namespace vireo
