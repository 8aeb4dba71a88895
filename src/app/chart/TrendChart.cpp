#include "app/chart/TrendChart.h"

#include "app/chart/ChartPicture.h"
#include "app/chart/TrendPlot.h"
#include "app/uCharControl.h"
#include "app/window/ClickPanel.h"
#include "app/window/EditKeyFilter.h"
#include "app/window/FormDialogs.h"
#include "app/window/WindowDesign.h"
#include "core/FileNames.h"
#include "core/KeyFilters.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QEvent>
#include <QGraphicsLayout>
#include <QGuiApplication>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTimer>
#include <QToolButton>
#include <QValueAxis>

namespace vireo {

namespace {

const QString kPictureFilter = QStringLiteral("Bitmaps (*.bmp)|*.bmp");

// The chart ignores the mouse wheel: no zoom, no scroll.
class WheelSwallower : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Wheel)
            return true;
        return QObject::eventFilter(watched, event);
    }
};

QFont axisFont()
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(9);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QPen hairline(QPen pen)
{
    pen.setWidth(0);
    return pen;
}

} // namespace

TrendChart::TrendChart(QWidget *window, FormDialogs &dialogs)
    : QObject(window), m_dialogs(dialogs), Chtshow(designed<QChartView>(window, "Chtshow")),
      BtFill(designed<QCheckBox>(window, "BtFill")),
      Maxrecord(designed<QLineEdit>(window, "Maxrecord")),
      BtNew(designed<QToolButton>(window, "BtNew")),
      BtSave(designed<QToolButton>(window, "BtSave")),
      BtFirst(designed<QToolButton>(window, "BtFirst")),
      BTPrevious(designed<QToolButton>(window, "BTPrevious")),
      BtNext(designed<QToolButton>(window, "BtNext")),
      BTlast(designed<QToolButton>(window, "BTlast")), Bt10(designed<QPushButton>(window, "Bt10")),
      TbFd(designed<ClickPanel>(window, "TbFd")), TbSx(designed<ClickPanel>(window, "TbSx")),
      Timer2(new QTimer(this)), m_pageFont(Bt10->font())
{
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(2000);
    setUpChart();
    wire();
    Timer2->start();
}

void TrendChart::setUpChart()
{
    chart = Chtshow->chart();
    chart->setObjectName(QStringLiteral("chart"));
    chart->setBackgroundBrush(Qt::white);
    chart->setPlotAreaBackgroundBrush(Qt::white);
    chart->setPlotAreaBackgroundVisible(true);
    chart->legend()->hide();
    chart->setTitle(QStringLiteral("  "));
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setBackgroundRoundness(0);
    chart->setAnimationOptions(QChart::NoAnimation);

    auto *upper = new QLineSeries();
    upper->setObjectName(QStringLiteral("Series2Upper"));
    Series2 = new QAreaSeries(upper);
    Series2->setObjectName(QStringLiteral("Series2"));
    Series2->setBrush(QColor(255, 255, 128));
    Series2->setPen(QPen(QColor(0, 128, 255), 1));
    Series1 = new QLineSeries();
    Series1->setObjectName(QStringLiteral("Series1"));
    Series1->setPen(QPen(QColor(128, 255, 0), 1));
    chart->addSeries(Series2);
    chart->addSeries(Series1);

    axisX = new QValueAxis();
    axisX->setObjectName(QStringLiteral("axisX"));
    axisX->setRange(0, 100);
    axisX->setLabelFormat(QStringLiteral("%d"));
    axisY = new QValueAxis();
    axisY->setObjectName(QStringLiteral("axisY"));
    axisY->setRange(-4100, 4100);
    axisY->setLabelFormat(QStringLiteral("%g"));
    axisY->setMinorTickCount(4);
    QPen axisLine(QColor(0, 64, 128), 1, Qt::DashLine);
    axisY->setLinePen(axisLine);
    for (QValueAxis *axis : {axisX, axisY})
        axis->setLabelsFont(axisFont());
    chart->addAxis(axisX, Qt::AlignBottom);
    chart->addAxis(axisY, Qt::AlignLeft);
    // One-pixel lines drawn without scaling come out the same as hairlines, but a line item
    // with a wide pen works out its bounds by stroking its outline: at every new range, for
    // each grid line, tick and axis line.
    for (QValueAxis *axis : {axisX, axisY}) {
        axis->setGridLinePen(hairline(axis->gridLinePen()));
        axis->setMinorGridLinePen(hairline(axis->minorGridLinePen()));
        axis->setLinePen(hairline(axis->linePen()));
    }
    for (QAbstractSeries *s :
         {static_cast<QAbstractSeries *>(Series2), static_cast<QAbstractSeries *>(Series1)}) {
        s->attachAxis(axisX);
        s->attachAxis(axisY);
    }

    m_plot = new TrendPlot({Chtshow, Series2, Series1, axisX, axisY});

    Chtshow->setRenderHint(QPainter::Antialiasing, false);
    Chtshow->setRubberBand(QChartView::NoRubberBand);
    Chtshow->setInteractive(false);
    Chtshow->viewport()->installEventFilter(new WheelSwallower(Chtshow));
    Chtshow->installEventFilter(new WheelSwallower(Chtshow));
}

void TrendChart::wire()
{
    connect(BtFill, &QCheckBox::clicked, this, &TrendChart::BtFillClick);
    connect(Maxrecord, &QLineEdit::textChanged, this, &TrendChart::MaxrecordChange);
    filterKeys(Maxrecord, [](QChar k) { return intervalKeyAccepted(k.unicode()); });
    connect(BtNew, &QToolButton::clicked, this, &TrendChart::newClicked);
    connect(BtSave, &QToolButton::clicked, this, &TrendChart::BtSaveClick);
    connect(BtFirst, &QToolButton::clicked, this, &TrendChart::BtFirstClick);
    connect(BTPrevious, &QToolButton::clicked, this, &TrendChart::BTPreviousClick);
    connect(BtNext, &QToolButton::clicked, this, &TrendChart::BtNextClick);
    connect(BTlast, &QToolButton::clicked, this, &TrendChart::BTlastClick);
    connect(TbFd, &ClickPanel::clicked, this, &TrendChart::TbFdClick);
    connect(TbSx, &ClickPanel::clicked, this, &TrendChart::TbFdClick);
    connect(Timer2, &QTimer::timeout, this, &TrendChart::Timer2Timer);
}

void TrendChart::createChartControl()
{
    ChartCtl =
        new TChartControl(TChartControl::ChartParts{Series2, axisX, axisY, m_plot}, 100, this);
    ChartCtl->setObjectName(QStringLiteral("ChartCtl"));
}

void TrendChart::setAxisRange(const AxisRange &range)
{
    ChartCtl->SetValueMin(range.min);
    ChartCtl->SetValueMax(range.max);
}

void TrendChart::plotValue(double value)
{
    setPageCaption(ChartCtl->AddValue(value));
}

void TrendChart::plotAxisEdge(AxisEdge edge)
{
    // The edges are the limits the axis was last given, reached or not.
    plotValue(edge == AxisEdge::Bottom ? ChartCtl->FValueMin() : ChartCtl->FValueMax());
}

void TrendChart::clear()
{
    ChartCtl->ClearPoints();
}

void TrendChart::setCovered(bool covered)
{
    Chtshow->setVisible(!covered);
}

void TrendChart::setPageCaption(std::int32_t page)
{
    const QString caption = QString::number(page);
    if (Bt10->text() == caption)
        return;
    if (caption.size() != Bt10->text().size())
        Bt10->setFont(pageCaptionFont(caption));
    Bt10->setText(caption);
}

QFont TrendChart::pageCaptionFont(const QString &caption) const
{
    // The designed font holds three digits; more are drawn narrower, then smaller, but whole.
    QStyleOptionButton option;
    option.initFrom(Bt10);
    option.text = caption;
    const int room =
        Bt10->style()->subElementRect(QStyle::SE_PushButtonContents, &option, Bt10).width();
    QFont font = m_pageFont;
    for (int stretch = 100; stretch > 70 && QFontMetrics(font).horizontalAdvance(caption) > room;
         stretch -= 5)
        font.setStretch(stretch - 5);
    while (font.pixelSize() > 6 && QFontMetrics(font).horizontalAdvance(caption) > room)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

void TrendChart::BtFillClick()
{
    ChartCtl->SetFillVisible(BtFill->isChecked());
}

void TrendChart::MaxrecordChange()
{
    Timer2->stop();
    Timer2->start();
}

void TrendChart::Timer2Timer()
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

void TrendChart::BtFirstClick()
{
    setPageCaption(ChartCtl->FirstPage());
}
void TrendChart::BTPreviousClick()
{
    setPageCaption(ChartCtl->PriorPage());
}
void TrendChart::BtNextClick()
{
    setPageCaption(ChartCtl->NextPage());
}
void TrendChart::BTlastClick()
{
    setPageCaption(ChartCtl->LastPage());
}

void TrendChart::TbFdClick()
{
    const QSize outer = Chtshow->window()->frameGeometry().size();
    if (Chtshow->y() > 50) {
        TbFd->hide();
        TbSx->show();
        m_savedChartBounds = Chtshow->geometry();
        Chtshow->setGeometry(2, 28, outer.width() - 12, outer.height() - 85);
        emit enlargedChanged(true);
    } else {
        TbSx->hide();
        TbFd->show();
        Chtshow->setGeometry(m_savedChartBounds);
        emit enlargedChanged(false);
    }
}

void TrendChart::BtSaveClick()
{
    const QString name = m_dialogs.chooseSaveName(
        kPictureFilter, m_lastPictureName,
        [](std::string_view typed, std::string_view) { return pictureSaveFileName(typed); });
    if (name.isEmpty())
        return;
    m_lastPictureName = name;
    ChartCtl->flush();
    const ChartPictureResult result = saveChartPicture(Chtshow, name);
    if (!result.ok()) {
        m_dialogs.error(QGuiApplication::applicationDisplayName(), result.error);
        return;
    }
    m_dialogs.information(
        QStringLiteral("Graphic has been saved successfully at the following location: %1")
            .arg(result.fileName));
}

} // namespace vireo
