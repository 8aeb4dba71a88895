#include "app/HeronF.h"

#include "app/FormDialogs.h"
#include "app/FormWidgets.h"
#include "app/LogGrid.h"
#include "app/uCharControl.h"
#include "core/LogTable.h"
#include "links/ComDrv32.h"
#include "links/JvHidControllerClass.h"

#include <QAction>
#include <QApplication>
#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QEvent>
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

#include <tuple>

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

const QString kA2 = QStringLiteral("VORDA-A2");
const QString kA3 = QStringLiteral("VORDA-A3");
const QString kArial = QStringLiteral("Arial");
const QString kSansSerif = QStringLiteral("MS Sans Serif");

// The LCD panel as designed: every member at its place, in drawing order.
struct LcdDesign {
    LcdMember member;
    const char *name;
    const char *caption; // nullptr: a decimal-point shape
    const QString *family;
    int px;
    bool bold;
    QRect geometry;
    bool opaque;
};

const LcdDesign kLcdDesign[kLcdMemberCount] = {
    {LcdMember::LCDM1, "LCDM1", "M", &kA2, 24, false, {230, 57, 20, 28}, false},
    {LcdMember::LcdDa, "LcdDa", "5", &kA3, 100, false, {40, 20, 56, 113}, false},
    {LcdMember::LcdAuto, "LcdAuto", "AUTO", &kA2, 19, true, {8, 11, 54, 22}, false},
    {LcdMember::Lcdm, "Lcdm", "m", &kA2, 24, false, {232, 81, 20, 28}, false},
    {LcdMember::LCDRS, "LCDRS", "Connect", &kA2, 19, true, {70, 11, 78, 22}, true},
    {LcdMember::LcdDb, "LcdDb", "9", &kA3, 100, false, {88, 20, 56, 113}, false},
    {LcdMember::LcdDc, "LcdDc", "9", &kA3, 100, false, {136, 20, 56, 113}, false},
    {LcdMember::LcdDd, "LcdDd", "9", &kA3, 100, false, {184, 20, 56, 113}, false},
    {LcdMember::LcdP3, "LcdP3", nullptr, nullptr, 0, false, {176, 105, 7, 8}, false},
    {LcdMember::LcdP2, "LcdP2", nullptr, nullptr, 0, false, {127, 105, 7, 8}, false},
    {LcdMember::LcdP1, "LcdP1", nullptr, nullptr, 0, false, {79, 105, 7, 8}, false},
    {LcdMember::LcdFH, "LcdFH", "-", &kA3, 100, false, {5, 20, 26, 112}, false},
    {LcdMember::LcdAC, "LcdAC", "AC", &kA2, 21, true, {6, 38, 30, 24}, false},
    {LcdMember::LCD232C, "LCD232C", " ", &kArial, 14, true, {98, -1, 4, 16}, true},
    {LcdMember::LcdV, "LcdV", "V", &kA2, 24, false, {256, 83, 16, 28}, false},
    {LcdMember::LCDk, "LCDk", "k", &kA2, 27, false, {238, 55, 14, 31}, false},
    {LcdMember::LCDn, "LCDn", "n", &kA2, 24, false, {240, 82, 13, 28}, false},
    {LcdMember::LCDBF, "LCDBF", "%", &kA2, 24, false, {136, 8, 21, 28}, false},
    {LcdMember::LCDA, "LCDA", "A", &kA2, 24, false, {256, 82, 16, 28}, false},
    {LcdMember::LCDHz, "LCDHz", "Hz", &kA2, 24, false, {248, 58, 28, 28}, false},
    {LcdMember::LCDF, "LCDF", "F", &kA2, 24, false, {256, 82, 15, 28}, false},
    {LcdMember::LCDHold, "LCDHold", "\"", &kA2, 35, false, {160, -2, 12, 40}, false},
    {LcdMember::LCDRec, "LCDRec", "!", &kA2, 32, false, {184, 3, 9, 37}, false},
    {LcdMember::LCDBATT, "LCDBATT", "$", &kA2, 35, false, {208, 0, 19, 40}, false},
    {LcdMember::LCDBT, "LCDBT", "(", &kA2, 35, false, {232, 33, 12, 40}, false},
    {LcdMember::LCDCS, "LCDCS", "#", &kA2, 32, false, {248, 33, 18, 37}, false},
    {LcdMember::LCDFS, "LCDFS", "?", &kA2, 32, false, {248, 33, 18, 37}, false},
    {LcdMember::LCDDI, "LCDDI", ")", &kA2, 29, false, {248, 33, 10, 34}, false},
    {LcdMember::LCDohm, "LCDohm", "*", &kA2, 29, false, {256, 54, 11, 34}, false},
    {LcdMember::LCDFm, "LCDFm", "&", &kA2, 32, false, {248, 31, 25, 36}, false},
    {LcdMember::LCDu, "LCDu", "+", &kA2, 32, false, {240, 75, 19, 37}, false},
    {LcdMember::LcdDc1, "LcdDc1", "DC", &kA2, 21, true, {5, 38, 30, 24}, false},
    {LcdMember::LcdRPM, "LcdRPM", "RPM", &kA2, 19, true, {230, 11, 43, 22}, false},
    {LcdMember::LCDTRMST, "LCDTRMST", "", &kA2, 19, true, {230, 10, 5, 22}, false},
    {LcdMember::LCDTRMS, "LCDTRMS", "", &kA2, 12, true, {241, 16, 3, 15}, false},
    {LcdMember::LcdACDC, "LcdACDC", "AC", &kA2, 21, true, {5, 38, 30, 24}, false},
    {LcdMember::lcdManual, "lcdManual", "Manual", &kA2, 19, true, {8, 11, 68, 22}, false},
    {LcdMember::lcdhFE, "lcdhFE", "hFE", &kA2, 14, true, {5, 94, 27, 16}, false},
    {LcdMember::lcdMax, "lcdMax", "MAX", &kA2, 14, true, {5, 110, 31, 16}, false},
    {LcdMember::lcdMin, "lcdMin", "MIN", &kA2, 14, true, {5, 110, 27, 16}, false},
};

// Places the window's parked controls outside the client area, where nobody sees them.
constexpr int kParkX = 700;

QLabel *designLabel(QWidget *parent, const QString &text, const QFont &font, const QRect &geometry)
{
    QLabel *label = literalLabel(text, parent);
    label->setFont(font);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QToolButton *pictureButton(QWidget *parent, const QString &picture, const QString &tip,
                           const QRect &geometry)
{
    auto *button = new QToolButton(parent);
    button->setIcon(QIcon(picture));
    button->setIconSize(QSize(16, 15));
    button->setGeometry(geometry);
    if (!tip.isEmpty())
        button->setToolTip(tip);
    return button;
}

ClickPanel *panelButton(QWidget *parent, const QString &caption, const QFont &font,
                        const QRect &geometry)
{
    auto *panel = new ClickPanel(parent);
    panel->setTextFormat(Qt::PlainText);
    panel->setText(caption);
    panel->setFont(font);
    panel->setGeometry(geometry);
    panel->setAlignment(Qt::AlignCenter);
    return panel;
}

ClickPanel *picturePanel(QWidget *parent, const QString &picture, const QString &tip,
                         const QRect &geometry)
{
    auto *panel = new ClickPanel(parent);
    panel->setPixmap(QPixmap(picture));
    panel->setGeometry(geometry);
    if (!tip.isEmpty())
        panel->setToolTip(tip);
    return panel;
}

void setBackground(QWidget *w, const QColor &color)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, color);
    pal.setColor(QPalette::Base, color);
    w->setPalette(pal);
    // Children take the window's button-face role unless told otherwise.
    w->setBackgroundRole(QPalette::Window);
    w->setAutoFillBackground(true);
}

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

    buildTopBar();
    buildLcdPanel();
    buildLimitsPanel();
    buildRecordBar();
    buildChart();
    buildHiddenControls();
    buildMenu();
    buildTimers();
    wireScale();
    buildLinks();
    buildUsb(std::move(hidPlatform));

    const std::tuple<QCheckBox **, bool, const char *> boxes[] = {
        {&IFWren, sw.IFWren, "IFWren"},
        {&IFHeron, sw.IFHeron, "IFHeron"},
        {&IFPlover, sw.IFPlover, "IFPlover"},
        {&IFFinch, sw.IFFinch, "IFFinch"},
        {&IFOsprey, sw.IFOsprey, "IFOsprey"},
        {&IFKestrel, sw.IFKestrel, "IFKestrel"},
        {&IFSiskin, sw.IFSiskin, "IFSiskin"},
        {&IFLinnet, sw.IFLinnet, "IFLinnet"},
        {&IFCurlew, sw.IFCurlew, "IFCurlew"},
        {&IFPetrel, sw.IFPetrel, "IFPetrel"},
        {&IFMerlin, sw.IFMerlin, "IFMerlin"},
        {&Egret, sw.Egret, "Egret"},
        {&Ibis, sw.Ibis, "Ibis"}};
    int y = 0;
    for (const auto &[box, on, name] : boxes) {
        *box = new QCheckBox(this);
        (*box)->setObjectName(QString::fromLatin1(name));
        (*box)->setChecked(on);
        (*box)->setGeometry(kParkX, 300 + y, 20, 17);
        (*box)->hide();
        y += 18;
    }

    FormCreate();

    // Centred on the screen when first shown.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TFCOMM::~TFCOMM()
{
    // Claimed devices go back to the controller before it goes away.
    m_devListDevices.clear();
}

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

void TFCOMM::buildTopBar()
{
    const QFont portFont = fontPx(kArial, 16, true);
    const QRect portPlace(5, 3, 61, 24);
    BtCOM1 = panelButton(this, QStringLiteral("COM 1"), portFont, portPlace);
    BtCOM1->setObjectName(QStringLiteral("BtCOM1"));
    BtCOM2 = panelButton(this, QStringLiteral("COM 2"), portFont, portPlace);
    BtCOM2->setObjectName(QStringLiteral("BtCOM2"));
    BtCOM3 = panelButton(this, QStringLiteral("COM 3"), portFont, portPlace);
    BtCOM3->setObjectName(QStringLiteral("BtCOM3"));
    BtCOM4 = panelButton(this, QStringLiteral("COM 4"), portFont, portPlace);
    BtCOM4->setObjectName(QStringLiteral("BtCOM4"));
    for (ClickPanel *p : {BtCOM1, BtCOM2, BtCOM3, BtCOM4})
        p->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    BtCOM2->hide();
    BtCOM3->hide();
    BtCOM4->hide();

    COMCon = new ToggleButton(QStringLiteral("COM Connect"), 1, this);
    COMCon->setObjectName(QStringLiteral("COMCon"));
    COMCon->setGeometry(68, 4, 94, 25);
    COMCon->setFont(fontPx(kArial, 13, true));
    USBCon = new ToggleButton(QStringLiteral("USB Connect"), 1, this);
    USBCon->setObjectName(QStringLiteral("USBCon"));
    USBCon->setGeometry(170, 4, 94, 25);
    USBCon->setFont(fontPx(kArial, 13, true));

    BitBtn1 = new QPushButton(QStringLiteral("Exit"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(552, 3, 57, 25);
    BitBtn1->setFont(fontPx(kArial, 14, true));
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
}

void TFCOMM::buildLcdPanel()
{
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(3, 31, 285, 138);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(1);
    setBackground(Panel1, Qt::white);

    for (const LcdDesign &d : kLcdDesign) {
        QWidget *w = nullptr;
        if (d.caption == nullptr) {
            auto *dot = new ShapeWidget(ShapeWidget::Kind::Rectangle, Panel1);
            dot->setPenWidth(5);
            w = dot;
        } else {
            QLabel *label = literalLabel(QString::fromLatin1(d.caption), Panel1);
            label->setFont(fontPx(*d.family, d.px, d.bold));
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            if (d.opaque)
                setBackground(label, Qt::white);
            w = label;
        }
        w->setObjectName(QString::fromLatin1(d.name));
        w->setGeometry(d.geometry);
        const bool shownAtStart = d.member == LcdMember::LcdDa || d.member == LcdMember::LcdDb ||
                                  d.member == LcdMember::LcdDc || d.member == LcdMember::LcdDd ||
                                  d.member == LcdMember::LcdFH;
        w->setVisible(shownAtStart);
        lcd[index(d.member)] = w;
    }
    LcdDa = static_cast<QLabel *>(lcd[index(LcdMember::LcdDa)]);
    LcdDb = static_cast<QLabel *>(lcd[index(LcdMember::LcdDb)]);
    LcdDc = static_cast<QLabel *>(lcd[index(LcdMember::LcdDc)]);
    LcdDd = static_cast<QLabel *>(lcd[index(LcdMember::LcdDd)]);

    PBar2 = new QProgressBar(this);
    PBar2->setObjectName(QStringLiteral("PBar2"));
    PBar2->setGeometry(3, 169, 284, 12);
    PBar2->setRange(0, 60);
    PBar2->setValue(30);
    PBar2->setTextVisible(false);
}

void TFCOMM::buildLimitsPanel()
{
    Panel4 = new QFrame(this);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setGeometry(289, 32, 329, 137);
    Panel4->setFrameStyle(QFrame::Panel | QFrame::Raised);
    setBackground(Panel4, Qt::white);
    const QFont f = fontPx(kSansSerif, 11);
    const QColor info = QApplication::palette().color(QPalette::ToolTipBase);

    T1_HI = designLabel(Panel4, QStringLiteral("Set High Limit:"), f, {14, 36, 68, 13});
    T1_HI->setObjectName(QStringLiteral("T1_HI"));
    T1_Value = designLabel(Panel4, QStringLiteral("Measure Value:"), f, {8, 66, 74, 13});
    T1_Value->setObjectName(QStringLiteral("T1_Value"));
    T1_LO = designLabel(Panel4, QStringLiteral("Set Low Limit:"), f, {16, 97, 66, 13});
    T1_LO->setObjectName(QStringLiteral("T1_LO"));
    for (QLabel *l : {T1_HI, T1_Value, T1_LO})
        l->adjustSize();

    auto makeEdit = [&](const QString &text, const QRect &geometry) {
        auto *edit = new QLineEdit(text, Panel4);
        edit->setGeometry(geometry);
        edit->setFont(f);
        return edit;
    };
    T1HI = makeEdit(QStringLiteral("6000"), {88, 32, 81, 21});
    T1HI->setObjectName(QStringLiteral("T1HI"));
    T1VALUE = makeEdit(QStringLiteral("0"), {88, 62, 81, 21});
    T1VALUE->setObjectName(QStringLiteral("T1VALUE"));
    T1LO = makeEdit(QStringLiteral("-6000"), {88, 92, 81, 21});
    T1LO->setObjectName(QStringLiteral("T1LO"));
    T1HI->setToolTip(QStringLiteral("Please enter a number here."));
    T1LO->setToolTip(QStringLiteral("Please enter a number here."));
    T1VALUE->setReadOnly(true);
    setBackground(T1VALUE, info);
    connect(T1HI, &QLineEdit::textChanged, this, [this] { T1HIChange(); });
    connect(T1LO, &QLineEdit::textChanged, this, [this] { T1LOChange(); });
    filterKeys(T1HI, [this](QChar k) { return T1HIKeyPress(k); });
    filterKeys(T1LO, [this](QChar k) { return T1HIKeyPress(k); });

    Shape1 = new ShapeWidget(ShapeWidget::Kind::Circle, Panel4);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(216, 24, 97, 97);
    Shape1->setBrushColor(info);
    judge = designLabel(Panel4, QString(), fontPx(kSansSerif, 24, true), {237, 56, 65, 29});
    judge->setObjectName(QStringLiteral("judge"));
    judge->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setBackground(judge, info);

    CONokN = new QLabel(Panel4);
    CONokN->setObjectName(QStringLiteral("CONokN"));
    CONokN->setPixmap(QPixmap(QStringLiteral(":/pictures/link_idle.png")));
    CONokN->setGeometry(293, 9, 25, 24);
    CONok = new QLabel(Panel4);
    CONok->setObjectName(QStringLiteral("CONok"));
    CONok->setPixmap(QPixmap(QStringLiteral(":/pictures/link_active.png")));
    CONok->setGeometry(293, 9, 25, 24);
    CONok->hide();
}

void TFCOMM::buildRecordBar()
{
    const QFont arial11 = fontPx(kArial, 11);
    RepeatSet = new QCheckBox(QStringLiteral("Repeat"), this);
    RepeatSet->setObjectName(QStringLiteral("RepeatSet"));
    RepeatSet->setGeometry(3, 186, 54, 20);
    RepeatSet->setFont(arial11);
    RepeatSet->setChecked(true);
    RecordSI = new QCheckBox(QStringLiteral("Sampling Interval           'S"), this);
    RecordSI->setObjectName(QStringLiteral("RecordSI"));
    RecordSI->setGeometry(57, 186, 143, 20);
    RecordSI->setFont(arial11);
    RecordSITime = new QLineEdit(QStringLiteral("1"), this);
    RecordSITime->setObjectName(QStringLiteral("RecordSITime"));
    RecordSITime->setGeometry(159, 186, 27, 21);
    connect(RecordSITime, &QLineEdit::textChanged, this, [this] { RecordSITimeChange(); });
    filterKeys(RecordSITime, [this](QChar k) { return RecordSITimeKeyPress(k); });

    RecordNew = pictureButton(this, QStringLiteral(":/pictures/newpage.png"),
                              QStringLiteral("Close Data"), {200, 186, 23, 21});
    RecordNew->setObjectName(QStringLiteral("RecordNew"));
    OpenDataFiles = pictureButton(this, QStringLiteral(":/pictures/openfolder.png"),
                                  QStringLiteral("Open old data files"), {222, 186, 23, 21});
    OpenDataFiles->setObjectName(QStringLiteral("OpenDataFiles"));
    {
        // The folder picture holds the normal and the greyed image side by side.
        const QPixmap both(QStringLiteral(":/pictures/openfolder.png"));
        QIcon icon(both.copy(0, 0, 16, 16));
        icon.addPixmap(both.copy(16, 0, 16, 16), QIcon::Disabled);
        OpenDataFiles->setIcon(icon);
        OpenDataFiles->setIconSize(QSize(16, 16));
    }
    saveas = pictureButton(this, QStringLiteral(":/pictures/floppy.png"),
                           QStringLiteral("Save data files"), {244, 186, 23, 21});
    saveas->setObjectName(QStringLiteral("saveas"));
    BtPrint = pictureButton(this, QStringLiteral(":/pictures/printer.png"), QString(),
                            {266, 186, 22, 21});
    BtPrint->setObjectName(QStringLiteral("BtPrint"));
    connect(RecordNew, &QToolButton::clicked, this, [this] { RecordNewClick(); });
    connect(OpenDataFiles, &QToolButton::clicked, this, [this] { OpenDataFilesClick(); });
    connect(saveas, &QToolButton::clicked, this, [this] { saveasClick(); });
    connect(BtPrint, &QToolButton::clicked, this, [this] { BtPrintClick(); });

    DBGrid1 = new LogGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setGeometry(3, 208, 284, 196);
}

void TFCOMM::buildChart()
{
    chart = new QChart();
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

    Chtshow = new QChartView(chart, this);
    Chtshow->setObjectName(QStringLiteral("Chtshow"));
    Chtshow->setGeometry(288, 171, 329, 233);
    Chtshow->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Chtshow->setRenderHint(QPainter::Antialiasing, false);
    Chtshow->setRubberBand(QChartView::NoRubberBand);
    Chtshow->setInteractive(false);
    Chtshow->viewport()->installEventFilter(new WheelSwallower(Chtshow));
    Chtshow->installEventFilter(new WheelSwallower(Chtshow));

    Bevel1 = new QFrame(Chtshow);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setGeometry(2, 2, 40, 20);
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    BtFill = new QCheckBox(QStringLiteral("Fill"), Chtshow);
    BtFill->setObjectName(QStringLiteral("BtFill"));
    BtFill->setGeometry(5, 5, 36, 17);
    BtFill->setFont(fontPx(kSansSerif, 11));
    BtFill->setChecked(true);
    BtFill->setToolTip(QStringLiteral("Graphic Fill"));
    setBackground(BtFill, Qt::white);
    connect(BtFill, &QCheckBox::clicked, this, [this] { BtFillClick(); });

    Maxrecord = new QLineEdit(QStringLiteral("100"), Chtshow);
    Maxrecord->setObjectName(QStringLiteral("Maxrecord"));
    Maxrecord->setGeometry(48, 3, 41, 21);
    connect(Maxrecord, &QLineEdit::textChanged, this, [this] { MaxrecordChange(); });
    filterKeys(Maxrecord, [this](QChar k) { return RecordSITimeKeyPress(k); });

    BtNew = pictureButton(Chtshow, QStringLiteral(":/pictures/newpage.png"), QStringLiteral("New"),
                          {91, 3, 35, 21});
    BtNew->setObjectName(QStringLiteral("BtNew"));
    BtSave = pictureButton(Chtshow, QStringLiteral(":/pictures/floppy.png"), QStringLiteral("Save"),
                           {125, 3, 35, 21});
    BtSave->setObjectName(QStringLiteral("BtSave"));
    BtFirst = pictureButton(Chtshow, QStringLiteral(":/pictures/first.png"),
                            QStringLiteral("First"), {163, 3, 25, 21});
    BtFirst->setObjectName(QStringLiteral("BtFirst"));
    BTPrevious = pictureButton(Chtshow, QStringLiteral(":/pictures/previous.png"),
                               QStringLiteral("Previous"), {187, 3, 25, 21});
    BTPrevious->setObjectName(QStringLiteral("BTPrevious"));
    Bt10 = new QPushButton(QStringLiteral("1"), Chtshow);
    Bt10->setObjectName(QStringLiteral("Bt10"));
    Bt10->setGeometry(211, 3, 25, 21);
    Bt10->setFont(fontPx(kSansSerif, 11));
    Bt10->setToolTip(QStringLiteral("Page No."));
    {
        QPalette pal = Bt10->palette();
        pal.setColor(QPalette::ButtonText, Qt::blue);
        Bt10->setPalette(pal);
    }
    BtNext = pictureButton(Chtshow, QStringLiteral(":/pictures/next.png"), QStringLiteral("Next"),
                           {235, 3, 25, 21});
    BtNext->setObjectName(QStringLiteral("BtNext"));
    BTlast = pictureButton(Chtshow, QStringLiteral(":/pictures/last.png"), QStringLiteral("last"),
                           {259, 3, 25, 21});
    BTlast->setObjectName(QStringLiteral("BTlast"));
    TbFd = picturePanel(Chtshow, QStringLiteral(":/pictures/zoomin_blue.png"),
                        QStringLiteral("Graphic Enlarge"), {288, 3, 25, 25});
    TbFd->setObjectName(QStringLiteral("TbFd"));
    TbSx = picturePanel(Chtshow, QStringLiteral(":/pictures/zoomout_blue.png"),
                        QStringLiteral("Graphic Restore"), {288, 3, 25, 25});
    TbSx->setObjectName(QStringLiteral("TbSx"));
    TbSx->hide();

    connect(BtNew, &QToolButton::clicked, this, [this] { RecordNewClick(); });
    connect(BtSave, &QToolButton::clicked, this, [this] { BtSaveClick(); });
    connect(BtFirst, &QToolButton::clicked, this, [this] { BtFirstClick(); });
    connect(BTPrevious, &QToolButton::clicked, this, [this] { BTPreviousClick(); });
    connect(BtNext, &QToolButton::clicked, this, [this] { BtNextClick(); });
    connect(BTlast, &QToolButton::clicked, this, [this] { BTlastClick(); });
    connect(TbFd, &ClickPanel::clicked, this, [this] { TbFdClick(); });
    connect(TbSx, &ClickPanel::clicked, this, [this] { TbFdClick(); });
}

void TFCOMM::buildHiddenControls()
{
    ReadBtn = new ToggleButton(QStringLiteral("Read"), 1, this);
    ReadBtn->setObjectName(QStringLiteral("ReadBtn"));
    ReadBtn->setGeometry(kParkX, 4, 60, 25);
    ClearBtn = new QToolButton(this);
    ClearBtn->setObjectName(QStringLiteral("ClearBtn"));
    ClearBtn->setText(QStringLiteral("Clear"));
    ClearBtn->setGeometry(kParkX, 32, 60, 25);
    InfoBtn = new QToolButton(this);
    InfoBtn->setObjectName(QStringLiteral("InfoBtn"));
    InfoBtn->setText(QStringLiteral("Info"));
    InfoBtn->setGeometry(kParkX, 60, 60, 25);
    SetFeature = new QPushButton(QStringLiteral("SetFeature"), this);
    SetFeature->setObjectName(QStringLiteral("SetFeature"));
    SetFeature->setGeometry(kParkX, 88, 80, 25);
    DevListBox = new QListWidget(this);
    DevListBox->setObjectName(QStringLiteral("DevListBox"));
    DevListBox->setGeometry(kParkX + 100, 0, 200, 100);
    HistoryListBox = new QListWidget(this);
    HistoryListBox->setObjectName(QStringLiteral("HistoryListBox"));
    HistoryListBox->setGeometry(kParkX + 100, 110, 200, 100);
    USBtxt = designLabel(this, QString(), fontPx(kArial, 12, false, true), {kParkX, 120, 100, 16});
    USBtxt->setObjectName(QStringLiteral("USBtxt"));
    {
        QPalette pal = USBtxt->palette();
        pal.setColor(QPalette::WindowText, Qt::cyan);
        USBtxt->setPalette(pal);
    }
    USBtxt->hide();

    auto connectPanel = [this](const QString &caption, int px, const QRect &geometry) {
        ClickPanel *p = panelButton(this, caption, fontPx(kArial, px, true, true), geometry);
        p->setFrameStyle(QFrame::Panel | QFrame::Raised);
        QPalette pal = p->palette();
        pal.setColor(QPalette::Window, QColor(0, 128, 255));
        pal.setColor(QPalette::WindowText, Qt::yellow);
        p->setPalette(pal);
        p->setAutoFillBackground(true);
        return p;
    };
    BTCon = connectPanel(QStringLiteral("Connect"), 19, {kParkX, 150, 105, 26});
    BTCon->setObjectName(QStringLiteral("BTCon"));
    BtDiscon = connectPanel(QStringLiteral("Disconnect"), 16, {kParkX, 150, 105, 26});
    BtDiscon->setObjectName(QStringLiteral("BtDiscon"));
    BtDiscon->hide();
    BtExit = connectPanel(QStringLiteral("Exit"), 19, {kParkX, 180, 65, 26});
    BtExit->setObjectName(QStringLiteral("BtExit"));
    connect(BtExit, &ClickPanel::clicked, this, [this] { BtExit1Click(); });

    Panel3 = new QFrame(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setGeometry(3, 440, 285, 56);
    setBackground(Panel3, QColor(192, 192, 192));
    Panel3->hide();
    Label11 = designLabel(Panel3, QStringLiteral("MIN: "), fontPx(kA2, 12, true), {8, 9, 40, 16});
    Label11->setObjectName(QStringLiteral("Label11"));
    Label12 = designLabel(Panel3, QStringLiteral("MAX: "), fontPx(kA2, 12, true), {8, 29, 40, 16});
    Label12->setObjectName(QStringLiteral("Label12"));
    const QFont italic14 = fontPx(kArial, 14, false, true);
    MinText = designLabel(Panel3, QStringLiteral("4001"), italic14, {48, 9, 48, 17});
    MinText->setObjectName(QStringLiteral("MinText"));
    MaxText = designLabel(Panel3, QStringLiteral("-4001"), italic14, {48, 29, 48, 17});
    MaxText->setObjectName(QStringLiteral("MaxText"));
    MinTextU = designLabel(Panel3, QStringLiteral("*"), fontPx(kA2, 14), {96, 9, 40, 17});
    MinTextU->setObjectName(QStringLiteral("MinTextU"));
    MaxTextU = designLabel(Panel3, QStringLiteral("*"), fontPx(kA2, 14), {96, 29, 40, 17});
    MaxTextU->setObjectName(QStringLiteral("MaxTextU"));
    SetMaxB = new QCheckBox(QStringLiteral("SetMax:"), Panel3);
    SetMaxB->setObjectName(QStringLiteral("SetMaxB"));
    SetMaxB->setGeometry(140, 6, 68, 17);
    SetMinB = new QCheckBox(QStringLiteral("SetMin: "), Panel3);
    SetMinB->setObjectName(QStringLiteral("SetMinB"));
    SetMinB->setGeometry(140, 29, 68, 17);
    Setmax = new QLineEdit(QStringLiteral("4000"), Panel3);
    Setmax->setObjectName(QStringLiteral("Setmax"));
    Setmax->setGeometry(208, 3, 65, 21);
    SetMin = new QLineEdit(QStringLiteral("-4000"), Panel3);
    SetMin->setObjectName(QStringLiteral("SetMin"));
    SetMin->setGeometry(208, 26, 65, 21);
    filterKeys(Setmax, [this](QChar k) { return SetmaxKeyPress(k); });
    filterKeys(SetMin, [this](QChar k) { return SetmaxKeyPress(k); });

    KD = new QFrame(this);
    KD->setObjectName(QStringLiteral("KD"));
    KD->setGeometry(290, 88, 0, 0);
    KD->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setBackground(KD, Qt::white);
    KD->hide();
    KD1 = new QLabel(KD);
    KD1->setObjectName(QStringLiteral("KD1"));
    KD1->setScaledContents(true);
    KdFd =
        picturePanel(KD, QStringLiteral(":/pictures/zoomin_red.png"), QString(), {264, 5, 25, 25});
    KdFd->setObjectName(QStringLiteral("KdFd"));
    KdSx =
        picturePanel(KD, QStringLiteral(":/pictures/zoomout_red.png"), QString(), {288, 5, 25, 25});
    KdSx->setObjectName(QStringLiteral("KdSx"));
    KdFd->hide();
    KdSx->hide();
    oltext = designLabel(KD, QStringLiteral("OL !!"), fontPx(kArial, 35, true), {109, 72, 113, 49});
    oltext->setObjectName(QStringLiteral("oltext"));
    setBackground(oltext, Qt::gray);
    {
        QPalette pal = oltext->palette();
        pal.setColor(QPalette::WindowText, Qt::white);
        oltext->setPalette(pal);
    }
    oltext->hide();
}

void TFCOMM::buildMenu()
{
    MainMenu1 = new QMenu(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    auto item = [](QMenu *menu, const QString &caption) {
        QAction *a = menu->addAction(caption);
        return a;
    };
    ComSetup1 = MainMenu1->addMenu(QStringLiteral("ComSetup"));
    ComSetup1->setObjectName(QStringLiteral("ComSetup1"));
    COM11 = item(ComSetup1, QStringLiteral("COM1"));
    COM11->setObjectName(QStringLiteral("COM11"));
    COM21 = item(ComSetup1, QStringLiteral("COM2"));
    COM21->setObjectName(QStringLiteral("COM21"));
    COM31 = item(ComSetup1, QStringLiteral("COM3"));
    COM31->setObjectName(QStringLiteral("COM31"));
    COM41 = item(ComSetup1, QStringLiteral("COM4"));
    COM41->setObjectName(QStringLiteral("COM41"));
    for (QAction *a : {COM11, COM21, COM31, COM41})
        a->setCheckable(true);
    COM11->setChecked(true);
    Connect1 = MainMenu1->addMenu(QStringLiteral("Connect"));
    Connect1->setObjectName(QStringLiteral("Connect1"));
    START1 = item(Connect1, QStringLiteral("START"));
    START1->setObjectName(QStringLiteral("START1"));
    STOP1 = item(Connect1, QStringLiteral("STOP"));
    STOP1->setObjectName(QStringLiteral("STOP1"));
    START1->setCheckable(true);
    STOP1->setCheckable(true);
    STOP1->setEnabled(false);
    Record1 = MainMenu1->addMenu(QStringLiteral("Record"));
    Record1->setObjectName(QStringLiteral("Record1"));
    New1 = item(Record1, QStringLiteral("New"));
    New1->setObjectName(QStringLiteral("New1"));
    New1->setVisible(false);
    N10001 = item(Record1, QStringLiteral("1000"));
    N10001->setObjectName(QStringLiteral("N10001"));
    N50001 = item(Record1, QStringLiteral("5000"));
    N50001->setObjectName(QStringLiteral("N50001"));
    N100001 = item(Record1, QStringLiteral("10000"));
    N100001->setObjectName(QStringLiteral("N100001"));
    N500001 = item(Record1, QStringLiteral("50000"));
    N500001->setObjectName(QStringLiteral("N500001"));
    N1000001 = item(Record1, QStringLiteral("100000"));
    N1000001->setObjectName(QStringLiteral("N1000001"));
    limitess = item(Record1, QStringLiteral("limitless"));
    limitess->setObjectName(QStringLiteral("limitess"));
    for (QAction *a : {N10001, N50001, N100001, N500001, N1000001, limitess})
        a->setCheckable(true);
    N100001->setChecked(true);
    EXIT1 = MainMenu1->addAction(QStringLiteral("Exit"));
    EXIT1->setObjectName(QStringLiteral("EXIT1"));
    // Every top-level entry is hidden: nobody sees the menu.
    for (QAction *top :
         {ComSetup1->menuAction(), Connect1->menuAction(), Record1->menuAction(), EXIT1})
        top->setVisible(false);

    connect(New1, &QAction::triggered, this, [this] { RecordNewClick(); });
    connect(N10001, &QAction::triggered, this, [this] { N10001Click(); });
    connect(N50001, &QAction::triggered, this, [this] { N50001Click(); });
    connect(N100001, &QAction::triggered, this, [this] { N100001Click(); });
    connect(N500001, &QAction::triggered, this, [this] { N500001Click(); });
    connect(N1000001, &QAction::triggered, this, [this] { N1000001Click(); });
    connect(limitess, &QAction::triggered, this, [this] { limitessClick(); });
    connect(EXIT1, &QAction::triggered, this, [this] { BtExit1Click(); });
}

void TFCOMM::buildTimers()
{
    auto timer = [this](int interval, bool running, void (TFCOMM::*handler)()) {
        auto *t = new QTimer(this);
        t->setInterval(interval);
        connect(t, &QTimer::timeout, this, handler);
        if (running)
            t->start();
        return t;
    };
    ConTimer = timer(100, true, &TFCOMM::ConTimerTimer);
    ConTimer->setObjectName(QStringLiteral("ConTimer"));
    Trecord = timer(1000, true, &TFCOMM::TrecordTimer);
    Trecord->setObjectName(QStringLiteral("Trecord"));
    Timer2 = timer(2000, true, &TFCOMM::Timer2Timer);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer4 = timer(2000, false, &TFCOMM::Timer4Timer);
    Timer4->setObjectName(QStringLiteral("Timer4"));
    Timer5 = timer(2000, false, &TFCOMM::Timer5Timer);
    Timer5->setObjectName(QStringLiteral("Timer5"));
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
    recordGate = RecordGate{};

    const ModelSetup setup = applyModelSwitches(switches());
    if (setup.titleSet)
        setWindowTitle(setup.title.c_str());
    bindSerialCollector(setup.collector);
    COMM2->SetComPortSpeed(static_cast<TComPortBaudRate>(
        std::find(ComPortBaudRates.begin(), ComPortBaudRates.end(), setup.serialSpeed) -
        ComPortBaudRates.begin()));
    if (setup.firstDigitThree)
        LcdDa->setText(QStringLiteral("3"));
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
