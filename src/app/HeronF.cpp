#include "app/HeronF.h"

#include "app/chart/TrendChart.h"
#include "app/lcd/LcdPanel.h"
#include "app/links/LinkStatus.h"
#include "app/links/SerialLink.h"
#include "app/links/UsbLink.h"
#include "app/log/ReadingLog.h"
#include "app/scale/LimitsPanel.h"
#include "app/scale/ScalePanel.h"
#include "app/window/ClickPanel.h"
#include "app/window/FormDialogs.h"
#include "app/window/WidgetDialogs.h"
#include "app/window/WindowDesign.h"
#include "core/NumberText.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <utility>

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

const QString kSansSerif = QStringLiteral("MS Sans Serif");

// The model switch boxes of the window design, in the order of ModelSwitches' fields.
constexpr const char *kModelBoxes[] = {"IFWren",    "IFHeron",  "IFPlover", "IFFinch",  "IFOsprey",
                                       "IFKestrel", "IFSiskin", "IFLinnet", "IFCurlew", "IFPetrel",
                                       "IFMerlin",  "Egret",    "Ibis"};

std::array<bool *, 13> switchFields(ModelSwitches &s)
{
    return {&s.IFWren,    &s.IFHeron,  &s.IFPlover, &s.IFFinch,  &s.IFOsprey,
            &s.IFKestrel, &s.IFSiskin, &s.IFLinnet, &s.IFCurlew, &s.IFPetrel,
            &s.IFMerlin,  &s.Egret,    &s.Ibis};
}

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
    // Both sizes: title bars and task lists ask for 16 x 16, switchers for 32 x 32.
    QIcon icon(QStringLiteral(":/pictures/icon32.png"));
    icon.addFile(QStringLiteral(":/pictures/icon16.png"));
    setWindowIcon(icon);
    setFixedSize(620, 427);
    setFont(fontPx(kSansSerif, 11, true));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    buildDesign(this, windowDesign());
    Panel1 = designed<LcdPanel>(this, "Panel1");
    PBar2 = designed<QProgressBar>(this, "PBar2");
    ModelSwitches ticks = sw;
    const auto on = switchFields(ticks);
    for (std::size_t i = 0; i < m_modelBoxes.size(); ++i) {
        m_modelBoxes[i] = designed<QCheckBox>(this, kModelBoxes[i]);
        m_modelBoxes[i]->setChecked(*on[i]);
    }
    buildComponents(std::move(hidPlatform));
    wire();

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

void TFCOMM::offerEarlierRuns()
{
    m_offerAfterPaint = true;
    update();
}

void TFCOMM::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    // Earlier runs' files are read through before the offer, which takes a while when they are
    // long: the window is painted first, and the offer comes once this paint is on screen.
    if (std::exchange(m_offerAfterPaint, false))
        QMetaObject::invokeMethod(m_log, &ReadingLog::restoreEarlierRuns, Qt::QueuedConnection);
}

ModelSwitches TFCOMM::switches() const
{
    ModelSwitches s;
    const auto fields = switchFields(s);
    for (std::size_t i = 0; i < m_modelBoxes.size(); ++i)
        *fields[i] = m_modelBoxes[i]->isChecked();
    return s;
}

void TFCOMM::buildComponents(std::shared_ptr<HidPlatform> hidPlatform)
{
    auto named = [](QObject *component, const char *name) {
        component->setObjectName(QLatin1String(name));
    };
    m_linkStatus = new LinkStatus(this);
    named(m_linkStatus, "LinkStatus");
    m_serial = new SerialLink(this, *m_dialogs);
    named(m_serial, "SerialLink");
    m_usb = new UsbLink(this, *m_dialogs, *m_linkStatus, std::move(hidPlatform),
                        [this] { return switches(); });
    named(m_usb, "UsbLink");
    m_limits = new LimitsPanel(this);
    named(m_limits, "LimitsPanel");
    m_scale = new ScalePanel(this, *m_dialogs);
    named(m_scale, "ScalePanel");
    m_chart = new TrendChart(this, *m_dialogs);
    named(m_chart, "TrendChart");
    m_log = new ReadingLog(this, *m_dialogs);
    named(m_log, "ReadingLog");
}

void TFCOMM::wire()
{
    connect(designed<QPushButton>(this, "BitBtn1"), &QPushButton::clicked, this,
            &TFCOMM::BitBtn1Click);
    connect(designed<ClickPanel>(this, "BtExit"), &ClickPanel::clicked, this,
            &TFCOMM::BtExit1Click);
    connect(designed<QAction>(this, "EXIT1"), &QAction::triggered, this, &TFCOMM::BtExit1Click);

    connect(m_serial, &SerialLink::frameReceived, this, &TFCOMM::LcdDisplayHeron);
    connect(m_usb, &UsbLink::frameReceived, this, &TFCOMM::LcdDisplayHeron);
    connect(m_linkStatus, &LinkStatus::usbStalled, m_usb, &UsbLink::stopStalledUsbReading);
    connect(m_usb, &UsbLink::infoRequested, this, &TFCOMM::showDeviceInfo);

    connect(m_chart, &TrendChart::newClicked, m_log, &ReadingLog::RecordNewClick);
    connect(m_log, &ReadingLog::logCleared, m_chart, &TrendChart::clear);
    connect(m_chart, &TrendChart::enlargedChanged, m_limits, &LimitsPanel::setCovered);
    connect(m_scale, &ScalePanel::enlargedChanged, m_chart, &TrendChart::setCovered);
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

std::string TFCOMM::GetDecimalSeparator() const
{
    return QLocale::system().decimalPoint().toStdString();
}

void TFCOMM::readDecimalSeparator()
{
    std::string sep = GetDecimalSeparator();
    if (sep == DecimalSep)
        return;
    DecimalSep = std::move(sep);
    // The limit boxes are read, mended and typed into with the same separator, and the log
    // reads its values as numbers with it.
    m_limits->setDecimalSeparator(DecimalSep);
    m_log->setDecimalSeparator(DecimalSep);
}

void TFCOMM::FormCreate()
{
    readDecimalSeparator();
    m_chart->createChartControl();
    m_log->createTable();

    const ModelSetup setup = applyModelSwitches(switches());
    if (setup.titleSet)
        setWindowTitle(setup.title.c_str());
    m_serial->bindSerialCollector(setup.collector);
    m_serial->setSpeed(setup.serialSpeed);
    if (setup.firstDigitThree)
        Panel1->setCaption(LcdMember::LcdDa, QStringLiteral("3"));
    counts = setup.counts;
    quirks = setup.quirks;
    tracker = MaxMinTracker::forCounts(counts);
    m_scale->applyCounts(counts);

    const auto fullScale = static_cast<double>(counts.FullScaleCount);
    m_chart->setAxisRange({-fullScale, fullScale});
    m_scale->KDsetup(1);
    m_scale->KDrun(counts.ScaleCenter);
}

void TFCOMM::LcdDisplayHeron(const std::string &FrameText)
{
    readDecimalSeparator();
    m_linkStatus->frameSeen();
    Memo1.append(FrameText);

    DecodedFrame frame = LcdDecode(FrameText, quirks, DecimalSep, counts, tracker);
    // A frame with unreadable digits leaves the panel, the log and the chart as they were.
    if (frame.decoded)
        applyDecodedFrame(frame);
}

void TFCOMM::applyDecodedFrame(DecodedFrame &decoded)
{
    Panel1->showMembers(decoded.lcd);
    reading = std::move(decoded.reading);
    if (reading.axis)
        m_chart->setAxisRange(*reading.axis);

    m_scale->showMaxMin(decoded.maxMin.MaxText, decoded.maxMin.MinText, decoded.maxMin.MaxTextU,
                        decoded.maxMin.MinTextU);

    m_scale->KDrun(reading.needle);
    INDataToTable();
    // The bar's scale ends at 60; leading digits beyond that fill it.
    const int bar = std::clamp(decoded.lcd.bar, PBar2->minimum(), PBar2->maximum());
    if (bar != PBar2->value()) {
        // The bar repaints itself at once on a new value; held back, it joins the one repaint
        // that follows the poll instead of costing a paint and a flush of its own.
        PBar2->setUpdatesEnabled(false);
        PBar2->setValue(bar);
        PBar2->setUpdatesEnabled(true);
    }
}

void TFCOMM::INDataToTable()
{
    // A reading is a log row, a chart point and a judgement, or none of them. The row keeps
    // the verdict the limits panel shows for it.
    const std::optional<std::int32_t> recordNo =
        m_log->offer(reading.ValueText, reading.FuncText, reading.UnitText, reading.RangeText);
    if (!recordNo)
        return;
    const Verdict verdict = m_limits->judgeReading(reading.ValueText);
    m_log->append(*recordNo, reading.ValueText, reading.FuncText, reading.UnitText,
                  reading.RangeText, verdict);
    if (const std::optional<double> number = textToFloat(reading.ValueText, DecimalSep))
        m_chart->plotValue(*number);
    else
        m_chart->plotAxisEdge(reading.overloadEdge);
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
