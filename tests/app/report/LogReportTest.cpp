// The report is printed to PDF and read back with the poppler tools, so what is checked is
// what a printer would receive.
#include "app/report/LogReport.h"
#include "app/report/LogReportPreview.h"

#include "app/report/ReportPageView.h"
#include "app/report/ReportPreviewDialog.h"
#include "core/LogTable.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPageRanges>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <gmock/gmock.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace vireo {
namespace {

using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

constexpr double PointsPerMm = 72.0 / 25.4;

struct ExpectedRow {
    int no;
    QString time, func, value, unit, range;
};

ExpectedRow expectedRow(int no)
{
    const int seconds = no % 86400;
    return {no,
            QStringLiteral("%1:%2:%3")
                .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
                .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                .arg(seconds % 60, 2, 10, QLatin1Char('0')),
            no % 2 ? QStringLiteral("DC") : QStringLiteral("AC"),
            QStringLiteral("%1.%2").arg(no / 10).arg(no % 10),
            no % 3 ? QStringLiteral("k*") : QStringLiteral("mV"),
            no % 4 ? QStringLiteral("AUTO") : QStringLiteral("MANU")};
}

void appendRows(LogTable &table, int count)
{
    for (int i = 0; i < count; ++i) {
        const ExpectedRow row = expectedRow(static_cast<int>(table.rowCount()) + 1);
        const std::string time = row.time.toStdString(), func = row.func.toStdString(),
                          value = row.value.toStdString(), unit = row.unit.toStdString(),
                          range = row.range.toStdString();
        table.append({row.no, time, func, value, unit, range});
    }
}

// ctest runs each test in its own process, several at once: every process writes its own files.
QString outputPath(const QString &name)
{
    return QDir(QStringLiteral(VIREO_TEST_OUTPUT_DIR))
        .filePath(QString::number(QCoreApplication::applicationPid()) + QLatin1Char('-') + name);
}

QString printToPdf(const LogReport &report, const QString &name,
                   const std::function<void(QPrinter &)> &configure = {})
{
    const QString path = outputPath(name);
    QFile::remove(path);
    QPrinter printer(QPrinter::HighResolution);
    LogReport::setUpPrinter(printer);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    if (configure)
        configure(printer);
    EXPECT_TRUE(report.paint(&printer));
    return path;
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << program.toStdString();
    EXPECT_EQ(process.exitCode(), 0) << program.toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of every page, in its printed layout.
QStringList pdfPages(const QString &path)
{
    QStringList pages =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")})
            .split(QLatin1Char('\f'));
    pages.removeLast(); // every page, the last included, ends in a form feed
    return pages;
}

struct Word {
    QString text;
    double leftMm, topMm, rightMm;
};

// The words of every page with their boxes, in millimetres from the page's top left corner.
std::vector<std::vector<Word>> pdfWords(const QString &path)
{
    const QString html =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    static const QRegularExpression tag(QStringLiteral(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)"[^>]*>([^<]*)</word>)re"));
    std::vector<std::vector<Word>> pages;
    for (const auto &match : tag.globalMatch(html)) {
        if (match.captured(0) == QLatin1String("<page ")) {
            pages.emplace_back();
            continue;
        }
        pages.back().push_back({match.captured(4), match.captured(1).toDouble() / PointsPerMm,
                                match.captured(2).toDouble() / PointsPerMm,
                                match.captured(3).toDouble() / PointsPerMm});
    }
    return pages;
}

const Word *findWord(const std::vector<Word> &words, const QString &text)
{
    for (const Word &word : words) {
        if (word.text == text)
            return &word;
    }
    return nullptr;
}

// Detail lines of a page as the columns read back.
std::vector<QString> detailLines(const QString &page)
{
    static const QRegularExpression line(
        QStringLiteral(
            R"(^\s*(\d+)\s+(\d\d:\d\d:\d\d)\s+(DC|AC)\s+(\S+)\s+(\S+)\s+(AUTO|MANU)\s*$)"),
        QRegularExpression::MultilineOption);
    std::vector<QString> lines;
    for (const auto &match : line.globalMatch(page))
        lines.push_back(match.captured(0).simplified());
    return lines;
}

QString expectedLine(int no)
{
    const ExpectedRow row = expectedRow(no);
    return QStringList{QString::number(row.no), row.time, row.func, row.value, row.unit, row.range}
        .join(QLatin1Char(' '));
}

std::vector<QString> expectedLines(int first, int last)
{
    std::vector<QString> lines;
    for (int no = first; no <= last; ++no)
        lines.push_back(expectedLine(no));
    return lines;
}

int firstRowOn(const QString &page)
{
    const auto lines = detailLines(page);
    return lines.empty() ? 0 : lines.front().section(QLatin1Char(' '), 0, 0).toInt();
}

TEST(LogReportPaging, ThirtyFiveRowsFitAnA4PageAndSmallerPaperHoldsFewer)
{
    EXPECT_EQ(LogReport::rowsPerPage(LogReport::defaultPageLayout()), 35);
    EXPECT_EQ(LogReport::pageCount(0), 1);
    EXPECT_EQ(LogReport::pageCount(1), 1);
    EXPECT_EQ(LogReport::pageCount(35), 1);
    EXPECT_EQ(LogReport::pageCount(36), 2);
    EXPECT_EQ(LogReport::pageCount(1000), 29);

    // A5: 190 mm between the margins, 150.31 mm for detail bands.
    const QPageLayout a5(QPageSize(QPageSize::A5), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                         QPageLayout::Millimeter);
    EXPECT_EQ(LogReport::rowsPerPage(a5), 22);
    EXPECT_EQ(LogReport::pageCount(35, a5), 2);
}

TEST(LogReportPdf, PrintsThePagesItCounts)
{
    for (int rows : {0, 35, 36, 1000}) {
        LogTable table;
        appendRows(table, rows);
        const QString path =
            printToPdf(LogReport(table), QStringLiteral("report-pages-%1.pdf").arg(rows));
        EXPECT_EQ(pdfPages(path).size(), LogReport::pageCount(static_cast<std::size_t>(rows)))
            << rows << " rows";
    }
}

TEST(LogReportPdf, EmptyLogPrintsOneBlankPage)
{
    const LogTable table;
    const QStringList pages = pdfPages(printToPdf(LogReport(table), "report-empty.pdf"));
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages.front().trimmed(), QString());
}

// Texts from files of the original Windows program print as the characters they were; UTF-8
// texts as they are.
TEST(LogReportPdf, PrintsWindows1252TextsAsTheirCharacters)
{
    LogTable table;
    table.append({1, "12:00:00", "DC", "1,5", "mV", "AUTO"});
    table.append({2, "12:00:01", "\xB5\xB0", "2", "V", "AUTO"});
    table.append({3, "12:00:02", "\xC2\xB5\xC2\xB0", "3", "V", "MANU"});
    const QStringList pages = pdfPages(printToPdf(LogReport(table), "report-cp1252.pdf"));
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages.front().count(QString::fromUtf8("\u00B5\u00B0")), 2)
        << pages.front().toStdString();
    EXPECT_FALSE(pages.front().contains(QChar::ReplacementCharacter));
}

class LogReportThousandRows : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        LogTable table;
        appendRows(table, 1000);
        path = printToPdf(LogReport(table), QStringLiteral("report-1000.pdf"));
        pages = pdfPages(path);
    }

    static inline QString path;
    static inline QStringList pages;
};

TEST_F(LogReportThousandRows, EveryPageCarriesHeaderColumnTitlesAndFooter)
{
    static const QRegularExpression titles(
        QStringLiteral(R"(^\s*No\s+Time\s+DC/AC\s+Value\s+Unit\s+AUTO\s*$)"),
        QRegularExpression::MultilineOption);
    ASSERT_EQ(pages.size(), 29);
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const std::string page = pages[i].toStdString();
        EXPECT_THAT(page, HasSubstr("Test Data")) << "page " << i + 1;
        EXPECT_TRUE(titles.match(pages[i]).hasMatch()) << "page " << i + 1;
        EXPECT_THAT(page, HasSubstr("The Data Print Foot")) << "page " << i + 1;
    }
}

TEST_F(LogReportThousandRows, RowsPrintInTableOrderThirtyFiveToAPage)
{
    ASSERT_EQ(pages.size(), 29);
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const int first = static_cast<int>(i) * 35 + 1;
        EXPECT_THAT(detailLines(pages[i]),
                    ElementsAreArray(expectedLines(first, std::min(first + 34, 1000))))
            << "page " << i + 1;
    }
}

TEST_F(LogReportThousandRows, EmbedsBothFonts)
{
    const QStringList lines =
        run(QStringLiteral("pdffonts"), {path}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // Two heading lines, then: name, type, encoding, emb, sub, uni, object, generation.
    ASSERT_GE(lines.size(), 4);
    QStringList names;
    for (const QString &line : lines.mid(2)) {
        const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        ASSERT_GE(fields.size(), 5) << line.toStdString();
        EXPECT_EQ(fields[fields.size() - 5], QStringLiteral("yes")) << line.toStdString();
        names << fields.front();
    }
    EXPECT_EQ(names.filter(QStringLiteral("VORDA-A2")).size(), 1) << names.join(' ').toStdString();
    EXPECT_EQ(names.size(), 2) << names.join(' ').toStdString();
}

TEST(LogReportPdf, BandsAndFieldsSitAtTheirPositions)
{
    LogTable table;
    appendRows(table, 36);
    const auto pages = pdfWords(printToPdf(LogReport(table), "report-positions.pdf"));
    ASSERT_EQ(pages.size(), 2u);
    const std::vector<Word> &page = pages.front();
    constexpr double Tolerance = 0.8;
    const auto expectAt = [&](const QString &text, double leftMm, double topMm) {
        const Word *word = findWord(page, text);
        ASSERT_NE(word, nullptr) << text.toStdString();
        EXPECT_NEAR(word->leftMm, leftMm, Tolerance) << text.toStdString();
        EXPECT_NEAR(word->topMm, topMm, Tolerance) << text.toStdString();
    };

    // Lefts count from the 10 mm margin, tops from the band's top.
    const Word *test = findWord(page, QStringLiteral("Test"));
    const Word *data = findWord(page, QStringLiteral("Data"));
    ASSERT_TRUE(test && data);
    EXPECT_NEAR((test->leftMm + data->rightMm) / 2, 10 + 190 / 2.0, Tolerance);
    EXPECT_NEAR(test->topMm, 10 + 2.12, Tolerance);
    const double titlesTop = 10 + 13.23 + 4.23;
    expectAt("No", 10 + 8.47, titlesTop);
    expectAt("Time", 10 + 33.87, titlesTop);
    expectAt("DC/AC", 10 + 64.29, titlesTop);
    expectAt("Value", 10 + 99.48, titlesTop);
    expectAt("Unit", 10 + 132.29, titlesTop);
    expectAt("AUTO", 10 + 162.98, titlesTop);

    const double firstRowTop = 10 + 26.46 + 2.12;
    const ExpectedRow first = expectedRow(1);
    expectAt(QStringLiteral("1"), 10 + 8.47, firstRowTop);
    expectAt(first.time, 10 + 33.87, firstRowTop);
    expectAt(first.func, 10 + 65.62, firstRowTop);
    expectAt(first.value, 10 + 99.48, firstRowTop);
    expectAt(first.unit, 10 + 131.23, firstRowTop);
    expectAt(expectedRow(35).time, 10 + 33.87, firstRowTop + 34 * 6.61);
    expectAt("The", 10 + 8.47, 297 - 10 - 13.23 + 4.23);
}

TEST(LogReportPdf, PrintsOnlyTheChosenPagesAndTheCopiesAPdfCannotMake)
{
    LogTable table;
    appendRows(table, 80);
    const LogReport report(table);

    const QStringList second =
        pdfPages(printToPdf(report, "report-range.pdf", [](QPrinter &printer) {
            printer.setPrintRange(QPrinter::PageRange);
            printer.setPageRanges(QPageRanges::fromString(QStringLiteral("2")));
        }));
    ASSERT_EQ(second.size(), 1);
    EXPECT_THAT(detailLines(second.front()), ElementsAreArray(expectedLines(36, 70)));
    EXPECT_THAT(second.front().toStdString(), HasSubstr("Test Data"));

    std::vector<int> firstRows;
    for (const QString &page : pdfPages(printToPdf(report, "report-collated.pdf", [](QPrinter &p) {
             p.setCopyCount(2);
             p.setCollateCopies(true);
         })))
        firstRows.push_back(firstRowOn(page));
    EXPECT_EQ(firstRows, (std::vector<int>{1, 36, 71, 1, 36, 71}));

    firstRows.clear();
    for (const QString &page :
         pdfPages(printToPdf(report, "report-uncollated.pdf", [](QPrinter &p) {
             p.setCopyCount(2);
             p.setCollateCopies(false);
         })))
        firstRows.push_back(firstRowOn(page));
    EXPECT_EQ(firstRows, (std::vector<int>{1, 1, 36, 36, 71, 71}));
}

TEST(LogReportPdf, KeepsTheRowsTheTableHeldWhenItWasMade)
{
    LogTable table;
    appendRows(table, 35);
    const LogReport report(table);
    appendRows(table, 1);
    EXPECT_EQ(report.rowCount(), 35u);
    const QStringList pages = pdfPages(printToPdf(report, "report-snapshot.pdf"));
    ASSERT_EQ(pages.size(), 1);
    EXPECT_THAT(detailLines(pages.front()), ElementsAreArray(expectedLines(1, 35)));

    // A log emptied meanwhile is not read past its end.
    table.clear();
    EXPECT_EQ(pdfPages(printToPdf(report, "report-cleared.pdf")).value(0).trimmed(), QString());
}

// Runs the check on the open preview, then closes it; a watchdog closes a preview the check
// failed to reach, so a fault fails the test instead of hanging it.
void whilePreviewOpen(const std::function<void(ReportPreviewDialog &)> &check)
{
    QTimer::singleShot(0, [check] {
        auto *dialog = qobject_cast<ReportPreviewDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "no modal print preview is open";
            return;
        }
        check(*dialog);
        dialog->reject();
    });
    QTimer::singleShot(20000, [] {
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
    });
}

// Clicks the tool button of a preview action, as a user does.
void clickAction(ReportPreviewDialog &dialog, const char *name)
{
    auto *action = dialog.findChild<QAction *>(QString::fromLatin1(name));
    ASSERT_NE(action, nullptr) << name;
    auto *bar = dialog.findChild<QToolBar *>(QStringLiteral("previewToolBar"));
    ASSERT_NE(bar, nullptr);
    QWidget *button = bar->widgetForAction(action);
    ASSERT_NE(button, nullptr) << name;
    QTest::mouseClick(button, Qt::LeftButton);
}

QString pageCountText(ReportPreviewDialog &dialog)
{
    return dialog.findChild<QLabel *>(QStringLiteral("pageNumLabel"))->text().trimmed();
}

QString pageNumberText(ReportPreviewDialog &dialog)
{
    return dialog.findChild<QLineEdit *>(QStringLiteral("pageNumEdit"))->text();
}

TEST(LogReportPreview, ShowsTheRowsOfItsStartAndRefusesASecondPreview)
{
    LogTable table;
    appendRows(table, 45);
    LogReportPreview preview;
    bool checked = false;
    whilePreviewOpen([&](ReportPreviewDialog &dialog) {
        checked = true;
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Print Preview"));
        EXPECT_TRUE(preview.previewOpen());
        EXPECT_FALSE(preview.exec(table, nullptr));

        const QPrinter &printer = dialog.printer();
        EXPECT_TRUE(printer.pageLayout().pageSize().isEquivalentTo(QPageSize(QPageSize::A4)));
        EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);
        EXPECT_EQ(printer.pageLayout().margins(QPageLayout::Millimeter), QMarginsF(10, 10, 10, 10));
        EXPECT_EQ(printer.copyCount(), 1);
        EXPECT_EQ(printer.printRange(), QPrinter::AllPages);

        EXPECT_EQ(pageCountText(dialog), QStringLiteral("/ 2"));
        // Readings keep arriving while the preview is open; a page layout changed meanwhile
        // still shows only the rows of its start.
        appendRows(table, 40);
        clickAction(dialog, "landscapeAction");
        EXPECT_EQ(dialog.printer().pageLayout().orientation(), QPageLayout::Landscape);
        EXPECT_EQ(pageCountText(dialog), QStringLiteral("/ 3"));
        clickAction(dialog, "portraitAction");
        EXPECT_EQ(pageCountText(dialog), QStringLiteral("/ 2"));
    });
    EXPECT_TRUE(preview.exec(table, nullptr));
    EXPECT_TRUE(checked);
    EXPECT_FALSE(preview.previewOpen());
}

// It opens at most of the screen's height with the page fitted, large enough to be read.
TEST(LogReportPreview, EmptyLogPreviewsOneBlankPageAtMostOfTheScreensHeight)
{
    const LogTable table;
    LogReportPreview preview;
    QString pages;
    QSize size;
    double zoom = 0;
    whilePreviewOpen([&](ReportPreviewDialog &dialog) {
        pages = pageCountText(dialog);
        size = dialog.frameGeometry().size();
        zoom = dialog.findChild<ReportPageView *>(QStringLiteral("pageView"))->zoomFactor();
    });
    EXPECT_TRUE(preview.exec(table, nullptr));
    EXPECT_EQ(pages, QStringLiteral("/ 1"));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_GE(size.height(), screen.height() * 8 / 10);
    EXPECT_LE(size.height(), screen.height());
    EXPECT_LE(size.width(), screen.width());
    // An A4 page fitted into that height: well over the 15 % it opened at before.
    EXPECT_GT(zoom, screen.height() * 0.5 / 1123);
}

void appendManyRows(LogTable &table, int count)
{
    for (int i = 1; i <= count; ++i)
        table.append({i, "12:00:00", i % 2 ? "DC" : "AC", i % 7 ? "1,234" : "-0,5", "V", "AUTO"});
}

// A day's log at several readings a second: the preview opens at once and paints only the
// pages it shows, wherever the user goes in it.
TEST(LogReportPreview, AMillionRowsOpenAtOnceAndPaintOnlyThePagesShown)
{
    LogTable table;
    appendManyRows(table, 1'000'000);
    LogReportPreview preview;
    QElapsedTimer opening;
    qint64 openMs = -1;
    whilePreviewOpen([&](ReportPreviewDialog &dialog) {
        dialog.resize(700, 800);
        QApplication::processEvents();
        openMs = opening.elapsed();
        const ReportPageView &view = *dialog.pageView();
        EXPECT_EQ(pageCountText(dialog), QStringLiteral("/ 28572"));
        EXPECT_EQ(pageNumberText(dialog), QStringLiteral("1"));

        clickAction(dialog, "lastPageAction");
        QApplication::processEvents();
        EXPECT_EQ(pageNumberText(dialog), QStringLiteral("28572"));
        clickAction(dialog, "prevPageAction");
        QApplication::processEvents();
        EXPECT_EQ(pageNumberText(dialog), QStringLiteral("28571"));

        auto *pageEdit = dialog.findChild<QLineEdit *>(QStringLiteral("pageNumEdit"));
        pageEdit->selectAll();
        QTest::keyClicks(pageEdit, QStringLiteral("14000"));
        QTest::keyClick(pageEdit, Qt::Key_Return);
        QApplication::processEvents();
        EXPECT_EQ(pageNumberText(dialog), QStringLiteral("14000"));

        clickAction(dialog, "fitWidthAction");
        for (int i = 0; i < 10; ++i)
            clickAction(dialog, "zoomOutAction");
        QApplication::processEvents();
        EXPECT_LT(view.zoomFactor(), 0.5);
        EXPECT_EQ(pageNumberText(dialog), QStringLiteral("14000"));

        // A few pages on screen at a time, never the report.
        EXPECT_GT(view.paintedPages(), 0);
        EXPECT_LT(view.paintedPages(), 60);
        EXPECT_LE(view.keptImageBytes(), 64 << 20);

        // Zoomed right in, a page is far larger than the screen: only what is shown is kept.
        auto *zoom = dialog.findChild<QComboBox *>(QStringLiteral("zoomFactor"));
        zoom->lineEdit()->selectAll();
        QTest::keyClicks(zoom->lineEdit(), QStringLiteral("800"));
        QTest::keyClick(zoom->lineEdit(), Qt::Key_Return);
        const int paintedBefore = view.paintedPages();
        dialog.pageView()->viewport()->repaint();
        EXPECT_DOUBLE_EQ(view.zoomFactor(), 8.0);
        EXPECT_EQ(zoom->currentText(), QStringLiteral("800%"));
        EXPECT_GT(view.paintedPages(), paintedBefore);
        EXPECT_LE(view.keptImageBytes(), 64 << 20);
        EXPECT_EQ(pageNumberText(dialog), QStringLiteral("14000"));
    });
    opening.start();
    EXPECT_TRUE(preview.exec(table, nullptr));
    EXPECT_GE(openMs, 0);
    EXPECT_LT(openMs, 2000);
}

// Printing sends page after page under a progress box; its Cancel stops the run.
TEST(LogReportPrinting, StreamsPagesUnderAProgressBoxThatCancels)
{
    LogTable table;
    appendManyRows(table, 200'000);
    const LogReport report(table);
    QPrinter printer(QPrinter::HighResolution);
    LogReport::setUpPrinter(printer);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString path = outputPath(QStringLiteral("report-cancelled.pdf"));
    QFile::remove(path);
    printer.setOutputFileName(path);

    int shownAt = -1;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        shownAt = box->value();
        EXPECT_EQ(box->maximum(), LogReport::pageCount(table.rowCount()));
        const auto buttons = box->findChildren<QPushButton *>();
        ASSERT_EQ(buttons.size(), 1);
        QTest::mouseClick(buttons.front(), Qt::LeftButton);
        poll.stop();
    });
    poll.start();
    QElapsedTimer took;
    took.start();
    EXPECT_FALSE(printReport(report, printer, nullptr));
    EXPECT_GT(shownAt, 0);
    EXPECT_LT(took.elapsed(), 20000);
    // The pages sent before the cancel are all there are.
    EXPECT_LT(pdfPages(path).size(), LogReport::pageCount(table.rowCount()) / 2);
}

TEST(LogReportPrinting, SendsEveryPageWhenLeftAlone)
{
    LogTable table;
    appendRows(table, 80);
    const LogReport report(table);
    QPrinter printer(QPrinter::HighResolution);
    LogReport::setUpPrinter(printer);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString path = outputPath(QStringLiteral("report-streamed.pdf"));
    printer.setOutputFileName(path);
    EXPECT_TRUE(printReport(report, printer, nullptr));
    const QStringList pages = pdfPages(path);
    ASSERT_EQ(pages.size(), 3);
    EXPECT_THAT(detailLines(pages[2]), ElementsAreArray(expectedLines(71, 80)));
}

} // namespace
} // namespace vireo
