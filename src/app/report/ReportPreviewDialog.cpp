#include "app/report/ReportPreviewDialog.h"

#include "app/report/LogReport.h"
#include "app/report/ReportPageView.h"

#include <QActionGroup>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

namespace vireo {

namespace {

constexpr double ZoomStep = 1.1;
const char *const ZoomLevels[] = {"12.5%", "25%",  "50%",  "100%", "125%",
                                  "150%",  "200%", "400%", "800%"};

QIcon toolIcon(const char *name)
{
    // The toolkit's own preview pictures, so the bar looks as users know it.
    const QString base = QStringLiteral(":/qt-project.org/dialogs/qprintpreviewdialog/images/") +
                         QString::fromLatin1(name);
    QIcon icon;
    icon.addFile(base + QStringLiteral("-24.png"), QSize(24, 24));
    icon.addFile(base + QStringLiteral("-32.png"), QSize(32, 32));
    return icon;
}

} // namespace

ReportPreviewDialog::ReportPreviewDialog(const LogReport &report, QPrinter &printer,
                                         QWidget *parent)
    : QDialog(parent), m_report(report), m_printer(printer)
{
    setWindowTitle(QStringLiteral("Print Preview"));
    setObjectName(QStringLiteral("PrintPreview"));
    m_view = new ReportPageView(report, printer.pageLayout(), this);
    m_view->setObjectName(QStringLiteral("pageView"));
    m_view->setZoomMode(ReportPageView::ZoomMode::FitPage);
    buildToolBar();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_view);

    connect(m_view, &ReportPageView::currentPageChanged, this,
            &ReportPreviewDialog::showCurrentPage);
    connect(m_view, &ReportPageView::zoomChanged, this, &ReportPreviewDialog::showZoom);
    layoutChanged();
    showZoom();
    openAtScreenHeight(parent);
}

void ReportPreviewDialog::openAtScreenHeight(QWidget *parent)
{
    // A page is meant to be read at once: most of the screen's height, and as wide as the
    // page fitted into it needs, the tool bar at the least.
    const QScreen *screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect area = screen->availableGeometry();
    const int height = area.height() * 9 / 10;
    const QSizeF page = m_printer.pageLayout().fullRectPoints().size();
    // Room beside the page for the view's margins and a scroll bar.
    constexpr int Gaps = 48;
    const int pageHeight = height - m_toolBar->sizeHint().height() - Gaps;
    const int width = static_cast<int>(pageHeight * page.width() / page.height()) + Gaps;
    resize(std::clamp(width, m_toolBar->sizeHint().width(), area.width()), height);
}

QAction *ReportPreviewDialog::toolAction(const QString &text, const char *icon, const char *name)
{
    auto *action = new QAction(toolIcon(icon), text, this);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

void ReportPreviewDialog::buildToolBar()
{
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("previewToolBar"));

    m_fitWidth = toolAction(QStringLiteral("Fit width"), "zoom-fit-width", "fitWidthAction");
    m_fitPage = toolAction(QStringLiteral("Fit page"), "zoom-fit-page", "fitPageAction");
    auto *fitGroup = new QActionGroup(this);
    for (QAction *action : {m_fitWidth, m_fitPage}) {
        action->setCheckable(true);
        fitGroup->addAction(action);
    }
    fitGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    connect(m_fitWidth, &QAction::triggered, this,
            [this] { m_view->setZoomMode(ReportPageView::ZoomMode::FitWidth); });
    connect(m_fitPage, &QAction::triggered, this,
            [this] { m_view->setZoomMode(ReportPageView::ZoomMode::FitPage); });

    m_zoomBox = new QComboBox(m_toolBar);
    m_zoomBox->setObjectName(QStringLiteral("zoomFactor"));
    m_zoomBox->setEditable(true);
    m_zoomBox->setMinimumContentsLength(7);
    m_zoomBox->setInsertPolicy(QComboBox::NoInsert);
    for (const char *level : ZoomLevels)
        m_zoomBox->addItem(QString::fromLatin1(level));
    m_zoomBox->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral(R"(^\d{1,4}(\.\d)?%?$)")), m_zoomBox));
    connect(m_zoomBox->lineEdit(), &QLineEdit::editingFinished, this,
            &ReportPreviewDialog::applyZoomText);
    connect(m_zoomBox, &QComboBox::textActivated, this, &ReportPreviewDialog::applyZoomText);

    m_zoomOut = toolAction(QStringLiteral("Zoom out"), "zoom-out", "zoomOutAction");
    m_zoomIn = toolAction(QStringLiteral("Zoom in"), "zoom-in", "zoomInAction");
    connect(m_zoomOut, &QAction::triggered, this, [this] { zoomBy(1 / ZoomStep); });
    connect(m_zoomIn, &QAction::triggered, this, [this] { zoomBy(ZoomStep); });

    m_portrait = toolAction(QStringLiteral("Portrait"), "layout-portrait", "portraitAction");
    m_landscape = toolAction(QStringLiteral("Landscape"), "layout-landscape", "landscapeAction");
    auto *orientation = new QActionGroup(this);
    for (QAction *action : {m_portrait, m_landscape}) {
        action->setCheckable(true);
        orientation->addAction(action);
    }
    connect(m_portrait, &QAction::triggered, this, [this] { setOrientation(false); });
    connect(m_landscape, &QAction::triggered, this, [this] { setOrientation(true); });

    m_first = toolAction(QStringLiteral("First page"), "go-first", "firstPageAction");
    m_previous = toolAction(QStringLiteral("Previous page"), "go-previous", "prevPageAction");
    m_next = toolAction(QStringLiteral("Next page"), "go-next", "nextPageAction");
    m_last = toolAction(QStringLiteral("Last page"), "go-last", "lastPageAction");
    connect(m_first, &QAction::triggered, this, [this] { m_view->setCurrentPage(1); });
    connect(m_previous, &QAction::triggered, this,
            [this] { m_view->setCurrentPage(m_view->currentPage() - 1); });
    connect(m_next, &QAction::triggered, this,
            [this] { m_view->setCurrentPage(m_view->currentPage() + 1); });
    connect(m_last, &QAction::triggered, this,
            [this] { m_view->setCurrentPage(m_view->pageCount()); });

    m_pageEdit = new QLineEdit(m_toolBar);
    m_pageEdit->setObjectName(QStringLiteral("pageNumEdit"));
    m_pageEdit->setAlignment(Qt::AlignRight);
    m_pageValidator = new QIntValidator(1, 1, m_pageEdit);
    m_pageEdit->setValidator(m_pageValidator);
    connect(m_pageEdit, &QLineEdit::editingFinished, this,
            [this] { m_view->setCurrentPage(m_pageEdit->text().toInt()); });
    m_pageCount = new QLabel(m_toolBar);
    m_pageCount->setObjectName(QStringLiteral("pageNumLabel"));

    m_pageSetup = toolAction(QStringLiteral("Page setup"), "page-setup", "pageSetupAction");
    m_print = toolAction(QStringLiteral("Print"), "printer", "printAction");
    connect(m_pageSetup, &QAction::triggered, this, &ReportPreviewDialog::pageSetup);
    connect(m_print, &QAction::triggered, this, &ReportPreviewDialog::print);

    m_toolBar->addAction(m_fitWidth);
    m_toolBar->addAction(m_fitPage);
    m_toolBar->addSeparator();
    m_toolBar->addWidget(m_zoomBox);
    m_toolBar->addAction(m_zoomOut);
    m_toolBar->addAction(m_zoomIn);
    m_toolBar->addSeparator();
    m_toolBar->addAction(m_portrait);
    m_toolBar->addAction(m_landscape);
    m_toolBar->addSeparator();
    m_toolBar->addAction(m_first);
    m_toolBar->addAction(m_previous);
    m_toolBar->addWidget(m_pageEdit);
    m_toolBar->addWidget(m_pageCount);
    m_toolBar->addAction(m_next);
    m_toolBar->addAction(m_last);
    m_toolBar->addSeparator();
    m_toolBar->addAction(m_pageSetup);
    m_toolBar->addAction(m_print);
}

void ReportPreviewDialog::showCurrentPage(int page)
{
    m_pageEdit->setText(QString::number(page));
    m_first->setEnabled(page > 1);
    m_previous->setEnabled(page > 1);
    m_next->setEnabled(page < m_view->pageCount());
    m_last->setEnabled(page < m_view->pageCount());
}

void ReportPreviewDialog::showZoom()
{
    QString text;
    text.setNum(qRound(m_view->zoomFactor() * 1000) / 10.0);
    m_zoomBox->lineEdit()->setText(text + QLatin1Char('%'));
    m_fitWidth->setChecked(m_view->zoomMode() == ReportPageView::ZoomMode::FitWidth);
    m_fitPage->setChecked(m_view->zoomMode() == ReportPageView::ZoomMode::FitPage);
}

void ReportPreviewDialog::applyZoomText()
{
    QString text = m_zoomBox->lineEdit()->text();
    text.remove(QLatin1Char('%'));
    bool ok = false;
    const double percent = text.toDouble(&ok);
    if (ok && percent > 0)
        m_view->setZoomFactor(percent / 100);
    showZoom();
}

void ReportPreviewDialog::zoomBy(double factor)
{
    m_view->setZoomFactor(m_view->zoomFactor() * factor);
}

void ReportPreviewDialog::setOrientation(bool landscape)
{
    m_printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    layoutChanged();
}

void ReportPreviewDialog::layoutChanged()
{
    const QPageLayout layout = m_printer.pageLayout();
    m_view->setPageLayout(layout);
    const bool landscape = layout.orientation() == QPageLayout::Landscape;
    m_landscape->setChecked(landscape);
    m_portrait->setChecked(!landscape);
    const int pages = m_view->pageCount();
    m_pageValidator->setTop(pages);
    m_pageCount->setText(QStringLiteral(" / %1 ").arg(pages));
    m_pageEdit->setMaximumWidth(m_pageEdit->fontMetrics().horizontalAdvance(
                                    QString(QString::number(pages).size() + 2, QLatin1Char('0'))) +
                                8);
    showCurrentPage(m_view->currentPage());
}

void ReportPreviewDialog::pageSetup()
{
    QPageSetupDialog dialog(&m_printer, this);
    if (dialog.exec() == QDialog::Accepted)
        layoutChanged();
}

void ReportPreviewDialog::print()
{
    QPrintDialog dialog(&m_printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (printReport(m_report, m_printer, this))
        accept();
}

bool printReport(const LogReport &report, QPrinter &printer, QWidget *parent)
{
    QProgressDialog progress(parent);
    progress.setObjectName(QStringLiteral("printProgress"));
    progress.setWindowTitle(QStringLiteral("Print Preview"));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(500);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    QElapsedTimer sinceShown;
    sinceShown.start();
    return report.paint(&printer, [&](int sent, int total) {
        // Telling the box every page would cost more than painting it: a few times a second
        // keeps the bar moving and the window painting, and Cancel answered.
        if (sent == total || sinceShown.elapsed() >= 40) {
            sinceShown.restart();
            progress.setMaximum(total);
            progress.setLabelText(QStringLiteral("Printing page %1 of %2").arg(sent).arg(total));
            progress.setValue(sent);
        }
        return !progress.wasCanceled();
    });
}

} // namespace vireo
