#include "app/HeronF.h"

#include "app/FormDialogs.h"
#include "app/FormWidgets.h"
#include "app/LcdPanel.h"
#include "app/LiveRows.h"
#include "app/LogGrid.h"
#include "app/SerialLink.h"
#include "app/UsbLink.h"
#include "app/WindowDesign.h"
#include "app/uCharControl.h"
#include "core/LogTable.h"

#include <QAction>
#include <QApplication>
#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QEvent>
#include <QEventLoop>
#include <QGraphicsLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QValueAxis>

namespace vireo {

namespace {

QFont fontPx(const QString &family, int px, bool bold = false, bool italic = false)
{
    QFont f(family);
    f.setPixelSize(px);
    f.setBold(bold);
    f.setItalic(italic);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

const QString kArial = QStringLiteral("Arial");
const QString kSansSerif = QStringLiteral("MS Sans Serif");

// Admits a typed character only when the filter accepts it. Keys without a character
// (arrows, Delete, shortcuts) pass, as they never reach a character filter.
class KeyPressFilter : public QObject {
public:
    KeyPressFilter(QObject *parent, std::function<bool(QChar)> accept)
        : QObject(parent), m_accept(std::move(accept))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Backspace)
                return !m_accept(QChar(8));
            const QString text = key->text();
            if (!text.isEmpty() && !text.at(0).isNull() && text.at(0).isPrint())
                return !m_accept(text.at(0));
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<bool(QChar)> m_accept;
};

void filterKeys(QLineEdit *edit, std::function<bool(QChar)> accept)
{
    edit->installEventFilter(new KeyPressFilter(edit, std::move(accept)));
}

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

} // namespace

TFCOMM::TFCOMM(const ModelSwitches &sw, FormDialogs *dialogs,
               std::shared_ptr<HidPlatform> hidPlatform, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_ownDialogs(dialogs == nullptr ? std::make_unique<WidgetDialogs>(this) : nullptr),
      m_dialogs(dialogs == nullptr ? m_ownDialogs.get() : dialogs)
{
    setObjectName(QStringLiteral("FCOMM"));
    setWindowTitle(QStringLiteral("Vireo"));
    setWindowIcon(QIcon(QStringLiteral(":/pictures/icon32.png")));
    setFixedSize(620, 427);
    setFont(fontPx(kSansSerif, 11, true));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    buildLcdPanel();
    buildDesign(this, windowDesign());
    takeDesignedControls();
    const std::pair<QCheckBox *, bool> boxes[] = {
        {IFWren, sw.IFWren},     {IFHeron, sw.IFHeron},   {IFPlover, sw.IFPlover},
        {IFFinch, sw.IFFinch},   {IFOsprey, sw.IFOsprey}, {IFKestrel, sw.IFKestrel},
        {IFSiskin, sw.IFSiskin}, {IFLinnet, sw.IFLinnet}, {IFCurlew, sw.IFCurlew},
        {IFPetrel, sw.IFPetrel}, {IFMerlin, sw.IFMerlin}, {Egret, sw.Egret},
        {Ibis, sw.Ibis}};
    for (const auto &[box, on] : boxes)
        box->setChecked(on);

    m_serial = new SerialLink(this, *m_dialogs, m_watchdog);
    m_usb = new UsbLink(this, *m_dialogs, m_watchdog, std::move(hidPlatform),
                        [this] { return switches(); });
    buildTimers();
    wire();
    wireScale();

    FormCreate();

    // Centred on the screen when first shown.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TFCOMM::~TFCOMM() = default;

void TFCOMM::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (m_closed)
        m_closed();
}

ModelSwitches TFCOMM::switches() const
{
    ModelSwitches s;
    s.IFWren = IFWren->isChecked();
    s.IFHeron = IFHeron->isChecked();
    s.IFPlover = IFPlover->isChecked();
    s.IFFinch = IFFinch->isChecked();
    s.IFOsprey = IFOsprey->isChecked();
    s.IFKestrel = IFKestrel->isChecked();
    s.IFSiskin = IFSiskin->isChecked();
    s.IFLinnet = IFLinnet->isChecked();
    s.IFCurlew = IFCurlew->isChecked();
    s.IFPetrel = IFPetrel->isChecked();
    s.IFMerlin = IFMerlin->isChecked();
    s.Egret = Egret->isChecked();
    s.Ibis = Ibis->isChecked();
    return s;
}

void TFCOMM::buildLcdPanel()
{
    Panel1 = new LcdPanel(this);

    PBar2 = new QProgressBar(this);
    PBar2->setObjectName(QStringLiteral("PBar2"));
    PBar2->setGeometry(3, 169, 284, 12);
    PBar2->setRange(0, 60);
    PBar2->setValue(30);
    PBar2->setTextVisible(false);
}

void TFCOMM::takeDesignedControls()
{
    for (auto [box, name] : {std::pair{&IFWren, "IFWren"},
                             {&IFHeron, "IFHeron"},
                             {&IFPlover, "IFPlover"},
                             {&IFFinch, "IFFinch"},
                             {&IFOsprey, "IFOsprey"},
                             {&IFKestrel, "IFKestrel"},
                             {&IFSiskin, "IFSiskin"},
                             {&IFLinnet, "IFLinnet"},
                             {&IFCurlew, "IFCurlew"},
                             {&IFPetrel, "IFPetrel"},
                             {&IFMerlin, "IFMerlin"},
                             {&Egret, "Egret"},
                             {&Ibis, "Ibis"}})
        *box = designed<QCheckBox>(this, name);
    BitBtn1 = designed<QPushButton>(this, "BitBtn1");
    Panel4 = designed<QFrame>(this, "Panel4");
    T1HI = designed<QLineEdit>(this, "T1HI");
    T1VALUE = designed<QLineEdit>(this, "T1VALUE");
    T1LO = designed<QLineEdit>(this, "T1LO");
    Shape1 = designed<ShapeWidget>(this, "Shape1");
    judge = designed<QLabel>(this, "judge");
    RepeatSet = designed<QCheckBox>(this, "RepeatSet");
    RecordSI = designed<QCheckBox>(this, "RecordSI");
    RecordSITime = designed<QLineEdit>(this, "RecordSITime");
    RecordNew = designed<QToolButton>(this, "RecordNew");
    OpenDataFiles = designed<QToolButton>(this, "OpenDataFiles");
    saveas = designed<QToolButton>(this, "saveas");
    BtPrint = designed<QToolButton>(this, "BtPrint");
    DBGrid1 = designed<LogGrid>(this, "DBGrid1");
    Chtshow = designed<QChartView>(this, "Chtshow");
    BtFill = designed<QCheckBox>(this, "BtFill");
    Maxrecord = designed<QLineEdit>(this, "Maxrecord");
    BtNew = designed<QToolButton>(this, "BtNew");
    BtSave = designed<QToolButton>(this, "BtSave");
    BtFirst = designed<QToolButton>(this, "BtFirst");
    BTPrevious = designed<QToolButton>(this, "BTPrevious");
    Bt10 = designed<QPushButton>(this, "Bt10");
    BtNext = designed<QToolButton>(this, "BtNext");
    BTlast = designed<QToolButton>(this, "BTlast");
    TbFd = designed<ClickPanel>(this, "TbFd");
    TbSx = designed<ClickPanel>(this, "TbSx");
    BtExit = designed<ClickPanel>(this, "BtExit");
    Panel3 = designed<QFrame>(this, "Panel3");
    MinText = designed<QLabel>(this, "MinText");
    MaxText = designed<QLabel>(this, "MaxText");
    MinTextU = designed<QLabel>(this, "MinTextU");
    MaxTextU = designed<QLabel>(this, "MaxTextU");
    SetMaxB = designed<QCheckBox>(this, "SetMaxB");
    SetMinB = designed<QCheckBox>(this, "SetMinB");
    Setmax = designed<QLineEdit>(this, "Setmax");
    SetMin = designed<QLineEdit>(this, "SetMin");
    KD = designed<QFrame>(this, "KD");
    KD1 = designed<QLabel>(this, "KD1");
    KdFd = designed<ClickPanel>(this, "KdFd");
    KdSx = designed<ClickPanel>(this, "KdSx");
    New1 = designed<QAction>(this, "New1");
    N10001 = designed<QAction>(this, "N10001");
    N50001 = designed<QAction>(this, "N50001");
    N100001 = designed<QAction>(this, "N100001");
    N500001 = designed<QAction>(this, "N500001");
    N1000001 = designed<QAction>(this, "N1000001");
    limitess = designed<QAction>(this, "limitess");
    EXIT1 = designed<QAction>(this, "EXIT1");
    setUpChart();
}

void TFCOMM::setUpChart()
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

    Series2Upper = new QLineSeries();
    Series2Upper->setObjectName(QStringLiteral("Series2Upper"));
    Series2 = new QAreaSeries(Series2Upper);
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
        axis->setLabelsFont(fontPx(kArial, 9));
    chart->addAxis(axisX, Qt::AlignBottom);
    chart->addAxis(axisY, Qt::AlignLeft);
    for (QAbstractSeries *s :
         {static_cast<QAbstractSeries *>(Series2), static_cast<QAbstractSeries *>(Series1)}) {
        s->attachAxis(axisX);
        s->attachAxis(axisY);
    }

    Chtshow->setRenderHint(QPainter::Antialiasing, false);
    Chtshow->setRubberBand(QChartView::NoRubberBand);
    Chtshow->setInteractive(false);
    Chtshow->viewport()->installEventFilter(new WheelSwallower(Chtshow));
    Chtshow->installEventFilter(new WheelSwallower(Chtshow));
}

void TFCOMM::buildTimers()
{
    auto timer = [this](const char *name, int interval) {
        auto *t = new QTimer(this);
        t->setObjectName(QLatin1String(name));
        t->setInterval(interval);
        return t;
    };
    Trecord = timer("Trecord", 1000);
    Timer2 = timer("Timer2", 2000);
    Timer4 = timer("Timer4", 2000);
    Timer5 = timer("Timer5", 2000);
}

void TFCOMM::wire()
{
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BtExit, &ClickPanel::clicked, this, [this] { BtExit1Click(); });
    connect(EXIT1, &QAction::triggered, this, [this] { BtExit1Click(); });

    connect(m_serial, &SerialLink::heronBytes, this, &TFCOMM::HHeronBRData);
    connect(m_serial, &SerialLink::wrenBytes, this, &TFCOMM::HWrenBRData);
    connect(m_serial, &SerialLink::usbStalled, m_usb, &UsbLink::stopStalledUsbReading);
    connect(m_usb, &UsbLink::frameText, this, &TFCOMM::takeUsbFrame);
    connect(m_usb, &UsbLink::infoRequested, this, &TFCOMM::showDeviceInfo);

    connect(T1HI, &QLineEdit::textChanged, this, [this] { T1HIChange(); });
    connect(T1LO, &QLineEdit::textChanged, this, [this] { T1LOChange(); });
    filterKeys(T1HI, [this](QChar k) { return T1HIKeyPress(k); });
    filterKeys(T1LO, [this](QChar k) { return T1HIKeyPress(k); });
    connect(Timer4, &QTimer::timeout, this, &TFCOMM::Timer4Timer);
    connect(Timer5, &QTimer::timeout, this, &TFCOMM::Timer5Timer);

    connect(RecordSITime, &QLineEdit::textChanged, this, [this] { RecordSITimeChange(); });
    filterKeys(RecordSITime, [this](QChar k) { return RecordSITimeKeyPress(k); });
    connect(RecordNew, &QToolButton::clicked, this, [this] { RecordNewClick(); });
    connect(OpenDataFiles, &QToolButton::clicked, this, [this] { OpenDataFilesClick(); });
    connect(saveas, &QToolButton::clicked, this, [this] { saveasClick(); });
    connect(BtPrint, &QToolButton::clicked, this, [this] { BtPrintClick(); });
    connect(New1, &QAction::triggered, this, [this] { RecordNewClick(); });
    connect(N10001, &QAction::triggered, this, [this] { N10001Click(); });
    connect(N50001, &QAction::triggered, this, [this] { N50001Click(); });
    connect(N100001, &QAction::triggered, this, [this] { N100001Click(); });
    connect(N500001, &QAction::triggered, this, [this] { N500001Click(); });
    connect(N1000001, &QAction::triggered, this, [this] { N1000001Click(); });
    connect(limitess, &QAction::triggered, this, [this] { limitessClick(); });
    connect(Trecord, &QTimer::timeout, this, &TFCOMM::TrecordTimer);

    connect(BtFill, &QCheckBox::clicked, this, [this] { BtFillClick(); });
    connect(Maxrecord, &QLineEdit::textChanged, this, [this] { MaxrecordChange(); });
    filterKeys(Maxrecord, [this](QChar k) { return RecordSITimeKeyPress(k); });
    connect(BtNew, &QToolButton::clicked, this, [this] { RecordNewClick(); });
    connect(BtSave, &QToolButton::clicked, this, [this] { BtSaveClick(); });
    connect(BtFirst, &QToolButton::clicked, this, [this] { BtFirstClick(); });
    connect(BTPrevious, &QToolButton::clicked, this, [this] { BTPreviousClick(); });
    connect(BtNext, &QToolButton::clicked, this, [this] { BtNextClick(); });
    connect(BTlast, &QToolButton::clicked, this, [this] { BTlastClick(); });
    connect(TbFd, &ClickPanel::clicked, this, [this] { TbFdClick(); });
    connect(TbSx, &ClickPanel::clicked, this, [this] { TbFdClick(); });
    connect(Timer2, &QTimer::timeout, this, &TFCOMM::Timer2Timer);

    filterKeys(Setmax, [this](QChar k) { return SetmaxKeyPress(k); });
    filterKeys(SetMin, [this](QChar k) { return SetmaxKeyPress(k); });

    Trecord->start();
    Timer2->start();
}

void TFCOMM::takeUsbFrame(const std::string &text, bool framed)
{
    frames.FrameText = text;
    if (framed)
        LcdDisplayHeron();
}

void TFCOMM::showDeviceInfo()
{
    TFCOMM info(switches(), m_dialogs);
    info.setWindowModality(Qt::ApplicationModal);
    info.setAttribute(Qt::WA_DeleteOnClose, false);
    QEventLoop loop;
    info.m_closed = [&loop] { loop.quit(); };
    info.show();
    loop.exec();
}

QString TFCOMM::GetDecimalSeparator() const
{
    return QLocale::system().decimalPoint();
}

void TFCOMM::FormCreate()
{
    DecimalSep = GetDecimalSeparator();
    ChartCtl = std::make_unique<TChartControl>(
        TChartControl::ChartParts{chart, Series2, Series2Upper, Series1, axisX, axisY}, 100);
    cds1 = std::make_unique<LogTable>();
    DBGrid1->setTable(cds1.get());
    liveRows = std::make_unique<LiveRows>(*cds1, *DBGrid1);
    recordGate = RecordGate{};

    const ModelSetup setup = applyModelSwitches(switches());
    if (setup.titleSet)
        setWindowTitle(setup.title.c_str());
    m_serial->bindSerialCollector(setup.collector);
    m_serial->setSpeed(setup.serialSpeed);
    if (setup.firstDigitThree)
        Panel1->setCaption(LcdMember::LcdDa, QStringLiteral("3"));
    counts = setup.counts;
    LimitHigh = counts.LimitHigh;
    LimitLow = counts.LimitLow;
    tracker = MaxMinTracker::forCounts(counts);
    if (counts.ScaleKind != "4") {
        const auto full = QString::number(counts.FullScaleCount);
        Setmax->setText(full);
        SetMin->setText(QStringLiteral("-") + full);
        MinText->setText(QString::number(counts.FullScaleCount + 1));
        MaxText->setText(QString::number(-(counts.FullScaleCount + 1)));
    }

    ChartCtl->SetValueMax(counts.FullScaleCount);
    ChartCtl->SetValueMin(-counts.FullScaleCount);
    KDsetup(1);
    KDrun(counts.ScaleCenter);
}

void TFCOMM::BtExit1Click()
{
    QCoreApplication::exit(0);
}

void TFCOMM::BitBtn1Click()
{
    close();
}

} // namespace vireo
