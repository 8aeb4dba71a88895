// The reading log, the trend chart's toolbar and the Pass/Fail judgement.
#include "app/HeronF.h"

#include "app/FormDialogs.h"
#include "app/FormWidgets.h"
#include "app/LcdPanel.h"
#include "app/LiveRows.h"
#include "app/LogGrid.h"
#include "app/uCharControl.h"
#include "core/Judgement.h"
#include "core/KeyFilters.h"
#include "core/LogTable.h"
#include "core/NumberText.h"

#include <QAction>
#include <QChartView>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTime>
#include <QTimer>

namespace vireo {

namespace {

// "hh:mm:ss" with the locale's time separator in place of the colons.
QString logTime()
{
    const QString format = QLocale::system().timeFormat(QLocale::ShortFormat);
    QChar sep = QLatin1Char(':');
    for (QChar c : format) {
        if (!c.isLetter() && !c.isSpace()) {
            sep = c;
            break;
        }
    }
    const QTime now = QTime::currentTime();
    auto two = [](int v) { return QString::number(v).rightJustified(2, QLatin1Char('0')); };
    return two(now.hour()) + sep + two(now.minute()) + sep + two(now.second());
}

void setVerdictColour(QWidget *w, const QColor &colour)
{
    QPalette pal = w->palette();
    if (pal.color(QPalette::Base) == colour && pal.color(QPalette::Window) == colour)
        return;
    pal.setColor(QPalette::Base, colour);
    pal.setColor(QPalette::Window, colour);
    w->setPalette(pal);
}

} // namespace

void TFCOMM::INDataToTable()
{
    const std::string value = ValueText.toStdString();
    const std::string func = FuncText.toStdString();
    const std::string unit = UnitText.toStdString();
    const std::string range = RangeText.toStdString();
    const GateDecision decision =
        recordGate.offer({value, func, unit, range}, RepeatSet->isChecked(), RecordSI->isChecked(),
                         RecordSITime->text().toStdString());
    if (decision.action == GateDecision::Action::Fail) {
        // A pasted interval that is no integer fails every reading until it is mended: say so
        // once per text, not once per frame, and never stack boxes while one is open.
        if (!m_intervalErrorShown) {
            m_intervalErrorShown = true;
            dialogs().error(QGuiApplication::applicationDisplayName(),
                            QString::fromStdString(decision.error));
        }
        return;
    }
    if (decision.action != GateDecision::Action::Log)
        return;

    const std::string time = logTime().toStdString();
    liveRows->append(LogRow{decision.recordNo, time, func, value, unit, range});

    const std::optional<double> number = textToFloat(value, DecimalSep.toStdString());
    double plotted = 0;
    if (number)
        plotted = *number;
    else
        plotted = OverloadEdge == AxisEdge::Bottom ? ChartCtl->FValueMin() : ChartCtl->FValueMax();
    setPageCaption(ChartCtl->AddValue(plotted));

    judgeReading();
}

void TFCOMM::judgeReading()
{
    T1VALUE->setText(ValueText);
    const std::string sep = DecimalSep.toStdString();
    const Verdict verdict = vireo::judge(ValueText.toStdString(), T1HI->text().toStdString(),
                                         T1LO->text().toStdString(), sep);
    const bool pass = verdict == Verdict::Pass;
    const QColor colour = pass ? QColor(0, 128, 0) : QColor(255, 0, 0);
    setVerdictColour(T1VALUE, colour);
    setVerdictColour(judge, colour);
    Shape1->setBrushColor(colour);
    const QString caption = pass ? QStringLiteral("Pass") : QStringLiteral("Fail");
    if (judge->text() != caption)
        judge->setText(caption);
}

void TFCOMM::setPageCaption(std::int32_t page)
{
    const QString caption = QString::number(page);
    if (Bt10->text() != caption)
        Bt10->setText(caption);
}

void TFCOMM::RecordNewClick()
{
    if (!dialogs().askYesNo(QStringLiteral("Do you want to delete this record?")))
        return;
    if (cds1->rowCount() > 0) {
        cds1->clear();
        DBGrid1->reset();
    }
    recordGate.logCleared();
    ChartCtl->ClearPoints();
}

void TFCOMM::TrecordTimer()
{
    recordGate.tick(RecordSI->isChecked());
}

void TFCOMM::RecordSITimeChange()
{
    m_intervalErrorShown = false;
    const std::string error = recordGate.intervalChanged(RecordSITime->text().toStdString());
    if (!error.empty()) {
        m_intervalErrorShown = true;
        dialogs().error(QGuiApplication::applicationDisplayName(), QString::fromStdString(error));
    }
}

bool TFCOMM::RecordSITimeKeyPress(QChar key)
{
    return intervalKeyAccepted(key.unicode());
}

void TFCOMM::checkRecordLimit(QAction *item, std::int32_t limit)
{
    MaxRecords = limit;
    for (QAction *a : {N10001, N50001, N100001, N500001, N1000001, limitess})
        a->setChecked(a == item);
}

void TFCOMM::N10001Click()
{
    checkRecordLimit(N10001, 1000);
}
void TFCOMM::N50001Click()
{
    checkRecordLimit(N50001, 5000);
}
void TFCOMM::N100001Click()
{
    checkRecordLimit(N100001, 10000);
}
void TFCOMM::N500001Click()
{
    checkRecordLimit(N500001, 50000);
}
void TFCOMM::N1000001Click()
{
    checkRecordLimit(N1000001, 100000);
}
void TFCOMM::limitessClick()
{
    checkRecordLimit(limitess, 10000000);
}

void TFCOMM::BtFillClick()
{
    ChartCtl->SetFillVisible(BtFill->isChecked());
}

void TFCOMM::MaxrecordChange()
{
    Timer2->stop();
    Timer2->start();
}

void TFCOMM::Timer2Timer()
{
    const ChartPager::PageSizeEntry entry =
        ChartPager::pageSizeFromText(Maxrecord->text().toStdString());
    Timer2->stop();
    if (entry.textReplaced) {
        const QSignalBlocker quiet(Maxrecord);
        Maxrecord->setText(QString::fromLatin1(ChartPager::DefaultPageSizeText.data(),
                                               ChartPager::DefaultPageSizeText.size()));
    }
    ChartCtl->SetPageSize(entry.size);
}

void TFCOMM::BtFirstClick()
{
    setPageCaption(ChartCtl->FirstPage());
}
void TFCOMM::BTPreviousClick()
{
    setPageCaption(ChartCtl->PriorPage());
}
void TFCOMM::BtNextClick()
{
    setPageCaption(ChartCtl->NextPage());
}
void TFCOMM::BTlastClick()
{
    setPageCaption(ChartCtl->LastPage());
}

void TFCOMM::TbFdClick()
{
    const QSize outer = frameGeometry().size();
    if (Chtshow->y() > 50) {
        TbFd->hide();
        TbSx->show();
        m_savedChartBounds = Chtshow->geometry();
        Chtshow->setGeometry(2, 28, outer.width() - 12, outer.height() - 85);
        Panel4->hide();
    } else {
        TbSx->hide();
        TbFd->show();
        Chtshow->setGeometry(m_savedChartBounds);
        Panel4->show();
    }
}

void TFCOMM::T1HIChange()
{
    Timer4->stop();
    Timer4->start();
}

void TFCOMM::T1LOChange()
{
    Timer5->stop();
    Timer5->start();
}

void TFCOMM::Timer4Timer()
{
    Timer4->stop();
    if (const auto repaired =
            repairedHighLimit(T1HI->text().toStdString(), DecimalSep.toStdString()))
        T1HI->setText(QString::fromLatin1(repaired->data(), repaired->size()));
}

void TFCOMM::Timer5Timer()
{
    Timer5->stop();
    if (const auto repaired =
            repairedLowLimit(T1LO->text().toStdString(), DecimalSep.toStdString()))
        T1LO->setText(QString::fromLatin1(repaired->data(), repaired->size()));
}

bool TFCOMM::T1HIKeyPress(QChar key)
{
    return limitKeyAccepted(key.unicode(), DecimalSep.toStdString());
}

} // namespace vireo
