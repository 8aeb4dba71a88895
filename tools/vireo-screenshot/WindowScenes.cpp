#include "WindowScenes.h"

#include "app/HeronF.h"
#include "app/lcd/LcdPanel.h"
#include "app/window/FormDialogs.h"
#include "support/EventLoopWait.h"
#include "support/FakeAdapter.h"
#include "support/FakeHidPlatform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QSet>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <stdlib.h>
#include <unistd.h>

namespace vireo::pixels {

namespace {

// The chart gathers new points for a short while before it redraws; pictures wait longer.
constexpr int kChartSettleMs = 250;
constexpr int kStepTimeoutMs = 10000;
const std::string kAdapterPath = "/dev/hidraw-scenes";

// A frame as the meter's display shows it, and the measured value the window then reports.
struct Step {
    const char *name;
    const char *frameText;
    const char *value;
};

// Frames for the shipped model over USB. Together with the serial steps below they light
// every LCD member that any frame can light.
const Step kUsbSteps[] = {
    {"usb-volts-dc-hold-battery", "A01234B28AD", "1.234"},
    {"usb-millivolts-negative-ac-max", "A40123B445D", "-012.3"},
    {"usb-microamps-min", "A00456D022D", "045.6"},
    {"usb-megohms", "A512343022D", "12.34"},
    {"usb-kilohertz", "A123452022D", "23.45"},
    {"usb-celsius", "A002504822D", "0250"},
    {"usb-fahrenheit", "A007704022D", "0770"},
    {"usb-continuity", "A000125022D", "0012"},
    {"usb-diode", "A005121022D", "0.512"},
    {"usb-nanofarads", "A012346022D", "1.234"},
    {"usb-hfe", "A00123E022D", "0123"},
    {"usb-kilohm-overload-fail", "A100003102D", ".0L"},
};

// A model without the USB adapter's true-RMS display: plain AC and the serial-link marks.
const Step kSerialSteps[] = {
    {"serial-ac-link-marks", "A01234B004D", "1.234"},
};

int nibble(char hex)
{
    return hex <= '9' ? hex - '0' : hex - 'A' + 10;
}

// The meter bytes behind a frame text: positions 2 to 10 are the low nibbles of the data
// bytes, and carriage return and line feed end the frame.
std::vector<std::uint8_t> meterBytes(const char *frameText)
{
    std::vector<std::uint8_t> bytes;
    for (int i = 1; i <= 9; ++i)
        bytes.push_back(static_cast<std::uint8_t>(0x30 | nibble(frameText[i])));
    bytes.push_back(0x0D);
    bytes.push_back(0x0A);
    return bytes;
}

// No box may open while the scenes run: one would stand for a fault and stop the run.
class RefusingDialogs : public FormDialogs {
public:
    void information(const QString &text) override { said(text); }
    void plainMessage(const QString &text) override { said(text); }
    void error(const QString &, const QString &text) override { said(text); }
    bool askYesNo(const QString &text) override
    {
        said(text);
        return false;
    }
    bool askYesByDefault(const QString &text) override
    {
        said(text);
        return false;
    }
    vireo::SaveChoice saveFileName(const QString &, const QString &) override
    {
        said(QStringLiteral("save dialog"));
        return {};
    }
    QString openFileName(const QString &, const QString &) override
    {
        said(QStringLiteral("open dialog"));
        return {};
    }
    bool confirmReplace(const QString &name) override
    {
        said(name);
        return false;
    }

    bool quiet = true;

private:
    void said(const QString &text)
    {
        std::fprintf(stderr, "unexpected box: %s\n", qPrintable(text));
        quiet = false;
    }
};

bool settle(const std::function<bool()> &done)
{
    return test::waitFor(done, kStepTimeoutMs);
}

void pause(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::processEvents();
}

template <typename T> T *control(QWidget &window, const char *name)
{
    T *found = window.findChild<T *>(QString::fromLatin1(name));
    if (found == nullptr)
        std::fprintf(stderr, "the window has no control %s\n", name);
    return found;
}

class Recorder {
public:
    explicit Recorder(std::vector<Capture> &out) : m_out(out) {}

    bool failed(const char *what)
    {
        std::fprintf(stderr, "scene step did not take effect: %s\n", what);
        return false;
    }

    void take(QWidget &window, const QString &name)
    {
        pause(kChartSettleMs);
        Capture c;
        c.name = name;
        c.image = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const auto children = window.findChildren<QWidget *>();
        for (QWidget *w : children) {
            // Qt names the inner parts of its own widgets "qt_..."; the design names suffice.
            if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")) ||
                !w->isVisibleTo(&window))
                continue;
            const QRect rect(w->mapTo(&window, QPoint(0, 0)), w->size());
            if (rect.intersects(window.rect()))
                c.places.push_back({w->objectName(), rect.intersected(window.rect())});
        }
        // The LCD members are the panel's painted state: their places name differences too.
        if (auto *panel = window.findChild<LcdPanel *>(QStringLiteral("Panel1"))) {
            const QPoint origin = panel->mapTo(&window, QPoint(0, 0));
            for (std::size_t i = 0; i < kLcdMemberCount; ++i) {
                const auto member = static_cast<LcdMember>(i);
                m_members.insert(panel->memberName(member));
                if (!panel->isShown(member))
                    continue;
                m_lit.insert(panel->memberName(member));
                c.places.push_back(
                    {panel->memberName(member), panel->place(member).translated(origin).intersected(
                                                    QRect(origin, panel->size()))});
            }
        }
        m_out.push_back(std::move(c));
    }

    bool sawPanel() const { return !m_members.isEmpty(); }

    // The LCD members that no picture showed, leaving out those that no frame lights.
    QStringList unlitMembers() const
    {
        QStringList unlit;
        for (const QString &name : m_members) {
            if (!m_lit.contains(name) && !kNeverLit.contains(name))
                unlit << name;
        }
        unlit.sort();
        return unlit;
    }

private:
    inline static const QStringList kNeverLit = {QStringLiteral("LCDBF"), QStringLiteral("LCDRec"),
                                                 QStringLiteral("LcdRPM")};
    std::vector<Capture> &m_out;
    QSet<QString> m_members;
    QSet<QString> m_lit;
};

// Opens the window and lets the chart's start-up page-size timer run out, so that nothing
// changes behind a picture. The link watchdog stands still, or the link picture would turn
// idle between a frame and its picture.
bool openWindow(TFCOMM &window)
{
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return false;
    auto *watchdog = control<QTimer>(window, "ConTimer");
    auto *pageTimer = control<QTimer>(window, "Timer2");
    if (watchdog == nullptr || pageTimer == nullptr)
        return false;
    watchdog->stop();
    return settle([&] { return !pageTimer->isActive(); });
}

// Waits until the window shows the frame's reading as measured: it judges the reading in the
// same call that takes the frame, so the frame has then been taken whole.
bool judged(QWidget &window, const char *value)
{
    auto *measured = control<QLineEdit>(window, "T1VALUE");
    return measured != nullptr &&
           settle([&] { return measured->text() == QString::fromLatin1(value); });
}

bool runUsbWindow(Recorder &rec, RefusingDialogs &dialogs)
{
    auto hid = std::make_shared<FakeHidPlatform>();
    TFCOMM window(ModelSwitches::shipped(), &dialogs, hid);
    if (!openWindow(window))
        return rec.failed("open the USB window");
    rec.take(window, QStringLiteral("usb-opened"));

    auto *devices = control<QListWidget>(window, "DevListBox");
    auto *connect = control<QAbstractButton>(window, "USBCon");
    auto *pageSize = control<QLineEdit>(window, "Maxrecord");
    auto *pageTimer = control<QTimer>(window, "Timer2");
    auto *firstPage = control<QAbstractButton>(window, "BtFirst");
    if (!devices || !connect || !pageSize || !pageTimer || !firstPage)
        return false;
    hid->plug(test::fakeAdapter(kAdapterPath, "usb-scenes"));
    if (!settle([&] { return devices->count() == 1; }))
        return rec.failed("adapter listed");
    QTest::mouseClick(connect, Qt::LeftButton);
    if (!connect->isChecked())
        return rec.failed("USB Connect pressed");

    auto send = [&](const char *frameText) {
        for (auto &report : test::adapterReports(meterBytes(frameText)))
            hid->queueReport(kAdapterPath, report);
    };
    // A reading rising from 1.234 V to 1.262 V, DC, AUTO range.
    for (int step = 0; step < 15; ++step) {
        const std::string value = std::to_string(1234 + 2 * step);
        send(("A0" + value + "B00AD").c_str());
        const std::string shown = value.substr(0, 1) + "." + value.substr(1);
        if (!judged(window, shown.c_str()))
            return rec.failed("walk of readings");
    }
    rec.take(window, kReadmeScene);

    // Pages of five readings, typed as a user does; the page size applies when its timer ends.
    QTest::mouseClick(pageSize, Qt::LeftButton);
    QTest::keyClick(pageSize, Qt::Key_End);
    while (!pageSize->text().isEmpty())
        QTest::keyClick(pageSize, Qt::Key_Backspace);
    QTest::keyClicks(pageSize, QStringLiteral("5"));
    if (pageSize->text() != QLatin1String("5") || !pageTimer->isActive())
        return rec.failed("page size typed");
    if (!settle([&] { return !pageTimer->isActive(); }))
        return rec.failed("page size applied");

    for (const Step &step : kUsbSteps) {
        send(step.frameText);
        if (!judged(window, step.value))
            return rec.failed(step.name);
        rec.take(window, QString::fromLatin1(step.name));
    }
    QTest::mouseClick(firstPage, Qt::LeftButton);
    rec.take(window, QStringLiteral("usb-first-page"));
    return true;
}

// A pseudo-terminal stands in for the serial port the window opens as COM1.
class MeterLine {
public:
    MeterLine()
    {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
            return;
        if (const char *slave = ptsname(m_master))
            path = QString::fromLocal8Bit(slave);
    }
    ~MeterLine()
    {
        if (m_master >= 0)
            ::close(m_master);
    }
    MeterLine(const MeterLine &) = delete;
    MeterLine &operator=(const MeterLine &) = delete;

    bool send(const std::vector<std::uint8_t> &bytes)
    {
        return ::write(m_master, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    QString path;

private:
    int m_master = -1;
};

bool runSerialWindow(Recorder &rec, RefusingDialogs &dialogs)
{
    MeterLine line;
    if (line.path.isEmpty())
        return rec.failed("open a pseudo-terminal");
    qputenv("VIREO_COM1", line.path.toLocal8Bit());
    ModelSwitches heron;
    heron.IFHeron = true;
    TFCOMM window(heron, &dialogs, std::make_shared<FakeHidPlatform>());
    if (!openWindow(window))
        return rec.failed("open the serial window");
    auto *connect = control<QAbstractButton>(window, "COMCon");
    if (connect == nullptr)
        return false;
    QTest::mouseClick(connect, Qt::LeftButton);
    if (!connect->isChecked())
        return rec.failed("COM Connect pressed");
    // The line feed that ends the frame before the first one.
    line.send({0x0A});
    for (const Step &step : kSerialSteps) {
        line.send(meterBytes(step.frameText));
        if (!judged(window, step.value))
            return rec.failed(step.name);
        rec.take(window, QString::fromLatin1(step.name));
    }
    QTest::mouseClick(connect, Qt::LeftButton);
    qunsetenv("VIREO_COM1");
    return true;
}

} // namespace

std::vector<Capture> renderScenes()
{
    std::vector<Capture> captures;
    Recorder rec(captures);
    RefusingDialogs dialogs;
    if (!runUsbWindow(rec, dialogs) || !runSerialWindow(rec, dialogs) || !dialogs.quiet)
        return {};
    if (!rec.sawPanel()) {
        std::fprintf(stderr, "the window has no LCD panel Panel1\n");
        return {};
    }
    if (const QStringList unlit = rec.unlitMembers(); !unlit.isEmpty()) {
        std::fprintf(stderr, "no scene lights %s\n", qPrintable(unlit.join(QStringLiteral(", "))));
        return {};
    }
    return captures;
}

QStringList controlsUnder(const std::vector<NamedPlace> &places, const QRect &rect)
{
    std::vector<const NamedPlace *> over;
    for (const NamedPlace &p : places) {
        if (p.rect.intersects(rect))
            over.push_back(&p);
    }
    QStringList names;
    for (const NamedPlace *p : over) {
        bool holdsAnother = false;
        for (const NamedPlace *q : over)
            holdsAnother =
                holdsAnother || (q != p && p->rect.contains(q->rect) && q->rect != p->rect);
        if (!holdsAnother)
            names << p->name;
    }
    return names;
}

} // namespace vireo::pixels
