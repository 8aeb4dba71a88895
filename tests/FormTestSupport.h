#pragma once

#include "app/HeronF.h"
#include "app/chart/TrendChart.h"
#include "app/log/ReadingLog.h"
#include "app/scale/LimitsPanel.h"
#include "app/scale/ScalePanel.h"
#include "app/uCharControl.h"
#include "app/window/FormDialogs.h"
#include "support/EventLoopWait.h"
#include "support/FakeAdapter.h"
#include "support/FakeHidPlatform.h"

#include "app/log/LogGrid.h"
#include "core/LogStamp.h"
#include "core/LogTable.h"

#include <QAbstractButton>
#include <QAbstractSeries>
#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStringList>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <memory>
#include <string>

namespace vireo::test {

// Answers the window's boxes and dialogs the way a test scripted them, and remembers what the
// window said.
class ScriptedDialogs : public FormDialogs {
public:
    void information(const QString &text) override { said << QStringLiteral("info:") + text; }
    void plainMessage(const QString &text) override { said << QStringLiteral("plain:") + text; }
    void error(const QString &title, const QString &text) override
    {
        said << QStringLiteral("error:") + title + QStringLiteral(":") + text;
    }
    bool askYesNo(const QString &text) override
    {
        said << QStringLiteral("ask:") + text;
        return yes;
    }
    bool askYesByDefault(const QString &text) override
    {
        said << QStringLiteral("offer:") + text;
        return takeOffer;
    }
    SaveChoice saveFileName(const QString &filter, const QString &) override
    {
        said << QStringLiteral("save:") + filter;
        const int type = saveTypes.empty() ? 0 : saveTypes.front();
        if (!saveTypes.empty())
            saveTypes.pop_front();
        return {next(saveNames), type};
    }
    QString openFileName(const QString &filter, const QString &) override
    {
        said << QStringLiteral("open:") + filter;
        return next(openNames);
    }
    bool confirmReplace(const QString &name) override
    {
        said << QStringLiteral("replace:") + name;
        return replace;
    }

    QStringList said;
    bool yes = true;
    bool takeOffer = true;
    bool replace = true;
    std::deque<QString> saveNames;
    // The file type chosen with each save name (its position in the filter); the first when
    // none is given.
    std::deque<int> saveTypes;
    std::deque<QString> openNames;

private:
    static QString next(std::deque<QString> &names)
    {
        if (names.empty())
            return {};
        QString n = names.front();
        names.pop_front();
        return n;
    }
};

// The window's control of the design name `name`.
template <class T> T *named(QObject &form, const char *name)
{
    return form.findChild<T *>(QLatin1String(name));
}

// Like named(), for controls a test cannot go on without: a missing one ends the run.
template <class T> T &control(QObject &form, const char *name)
{
    T *found = named<T>(form, name);
    if (found == nullptr) {
        ADD_FAILURE() << "the window has no control " << name;
        std::abort();
    }
    return *found;
}

// The window's log table.
inline const LogTable &logTable(QObject &form)
{
    return *control<ReadingLog>(form, "ReadingLog").table();
}

// A log row as one line of its texts, its date and its verdict, so that rows compare byte for
// byte.
inline std::string rowLine(const LogTable &table, std::size_t row)
{
    const LogRow r = table.row(row);
    std::string line = r.No ? std::to_string(*r.No) : std::string();
    for (const std::string_view text : {r.Time, r.Func, r.Value, r.Unit, r.Range}) {
        line += '\t';
        line += text;
    }
    line += '\t';
    if (r.DateTime)
        line += isoDateTime(*r.DateTime);
    line += '\t';
    if (r.Verdict)
        line += *r.Verdict == Verdict::Pass ? "Pass" : "Fail";
    return line;
}

// Runs the event loop, and with it the window's timers, until `actual` equals `expected`
// or five seconds pass, then checks it as EXPECT_EQ does. (Qt's QTRY_COMPARE reports to Qt's
// own test log, which a gtest run never reads.)
#define EXPECT_SOON_EQ(actual, expected)                                                           \
    do {                                                                                           \
        vireo::test::waitFor([&] { return (actual) == (expected); }, 5000);                        \
        EXPECT_EQ(actual, expected);                                                               \
    } while (false)

// Replaces an edit box's text by typing: the old text selected with the keyboard, then the new
// one typed over it (or deleted), so that the box's key filter sees every character.
inline void typeInto(QLineEdit &edit, const QString &text)
{
    if (edit.isVisible())
        QTest::mouseClick(&edit, Qt::LeftButton);
    QTest::keyClick(&edit, Qt::Key_End);
    QTest::keyClick(&edit, Qt::Key_Home, Qt::ShiftModifier);
    if (text.isEmpty())
        QTest::keyClick(&edit, Qt::Key_Backspace);
    else
        QTest::keyClicks(&edit, text);
}

// A window with scripted boxes and an in-memory USB adapter, through which the tests send
// the meter's display frames.
struct FormFixture {
    explicit FormFixture(const ModelSwitches &sw = ModelSwitches::shipped())
        : hid(std::make_shared<FakeHidPlatform>()),
          form(std::make_unique<TFCOMM>(sw, &dialogs, hid))
    {
    }

    template <class T> T &get(const char *name) const { return control<T>(*form, name); }

    // Shows the window and takes the last step of start-up, as the program does.
    void start()
    {
        form->show();
        form->offerEarlierRuns();
    }

    // Plugs the adapter in and presses "USB Connect", as a user does.
    void connectUsb()
    {
        hid->plug(fakeAdapter(kAdapterPath, "usb-fixture"));
        auto &devices = get<QListWidget>("DevListBox");
        if (!waitFor([&] { return devices.count() == 1; }))
            ADD_FAILURE() << "the adapter was not listed";
        auto &button = get<QAbstractButton>("USBCon");
        QTest::mouseClick(&button, Qt::LeftButton);
        if (!button.isChecked())
            ADD_FAILURE() << "USB Connect did not stay down";
        connected = true;
    }

    // Sends display frame texts ("A", nine digits, "D") as the meter's bytes through the
    // adapter and returns once the window has taken them all. A one-byte burst after the last
    // marks its end in the parked USB text, even when the same frame comes twice.
    void show(const std::vector<std::string> &frameTexts)
    {
        if (!connected)
            connectUsb();
        for (const std::string &frameText : frameTexts) {
            std::vector<std::uint8_t> bytes;
            for (std::size_t i = 1; i + 1 < frameText.size(); ++i) {
                const char c = frameText[i];
                const int nibble = c <= '9' ? c - '0' : c - 'A' + 10;
                bytes.push_back(static_cast<std::uint8_t>(0x30 | nibble));
            }
            bytes.push_back(0x0D);
            bytes.push_back(0x0A);
            sendBurst(bytes);
        }
        marker = marker == 1 ? 2 : 1;
        sendBurst({static_cast<std::uint8_t>(0x30 | marker)});
        auto &usbText = get<QLabel>("USBtxt");
        const QString expected = QString::number(marker);
        if (!waitFor([&] { return usbText.text() == expected; }, 60000))
            ADD_FAILURE() << "the window did not take the frames";
    }
    void show(const std::string &frameText) { show(std::vector<std::string>{frameText}); }
    // Readings of 1.000 V DC upwards, one a thousandth higher than the one before.
    void logReadings(int count)
    {
        std::vector<std::string> frames;
        for (int i = 0; i < count; ++i)
            frames.push_back("A0" + std::to_string(1000 + i % 9000) + "B00AD");
        show(frames);
    }

    // The log as the grid shows it.
    std::size_t rows() const { return get<LogGrid>("DBGrid1").shownRowCount(); }
    QString cell(std::size_t row, LogColumn column) const
    {
        return get<LogGrid>("DBGrid1").cellText(row, column);
    }

    // The chart's series and axes, by their design names.
    template <class T> T &chartPart(const char *name) const
    {
        QChart *chart = get<QChartView>("Chtshow").chart();
        QList<QObject *> parts;
        for (QAbstractSeries *s : chart->series())
            parts << s;
        for (QAbstractAxis *a : chart->axes())
            parts << a;
        for (QObject *part : parts) {
            if (part->objectName() == QLatin1String(name))
                return *static_cast<T *>(part);
        }
        ADD_FAILURE() << "the chart has no part " << name;
        std::abort();
    }

    ScriptedDialogs dialogs;
    std::shared_ptr<FakeHidPlatform> hid;
    std::unique_ptr<TFCOMM> form;

private:
    static constexpr const char *kAdapterPath = "/dev/hidraw-fixture";

    // Sends some meter bytes as the adapter's reports, the report that ends the burst last.
    void sendBurst(const std::vector<std::uint8_t> &bytes)
    {
        for (const auto &report : adapterReports(bytes))
            hid->queueReport(kAdapterPath, report);
    }

    bool connected = false;
    int marker = 0;
};

} // namespace vireo::test
