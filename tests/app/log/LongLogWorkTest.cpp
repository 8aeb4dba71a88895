// Loading and saving logs of a million rows in the real window, with a meter still sending:
// the work shows its progress, the window keeps painting, and the readings that arrive
// meanwhile are logged after the work, in order.
#include "FormTestSupport.h"

#include "app/log/LogGrid.h"
#include "core/LogFileText.h"
#include "core/LogFileXml.h"
#include "core/LogTable.h"

#include "support/SerialTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <string>

using namespace vireo;
using vireo::test::FormFixture;

namespace {

constexpr std::size_t Rows = 1'000'000;

void fillLog(LogTable &table, std::size_t rows)
{
    for (std::size_t i = 1; i <= rows; ++i)
        table.append({static_cast<std::int32_t>(i), "12:00:00", i % 2 ? "DC" : "AC",
                      i % 3 ? "1,234" : "-0,5", "V", "AUTO"});
}

void writeFile(const QString &path, const std::string &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes.data(), static_cast<qint64>(bytes.size())),
              static_cast<qint64>(bytes.size()));
}

// Watches one piece of work in the shown window: a meter sends a reading every few
// milliseconds, and what the user sees meanwhile is counted.
class LongWork : public QObject {
public:
    explicit LongWork(FormFixture &fx) : m_fx(fx)
    {
        m_fx.form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_fx.form.get()));
        m_meter.setInterval(5);
        connect(&m_meter, &QTimer::timeout, this, [this] {
            // Readings that differ, so that each one is logged.
            m_fx.show("A0" + std::to_string(1000 + m_sent % 9000) + "B00AD");
            ++m_sent;
            auto *box = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget());
            if (box && box->isVisible() && box->objectName() == QStringLiteral("workProgress")) {
                m_sentWhileBusy = m_sent;
                m_progressSeen = std::max(m_progressSeen, box->value());
            }
        });
    }

    // Clicks the button with the meter sending; returns when the work and its message are
    // done.
    void click(QToolButton *button)
    {
        m_sent = 0;
        qApp->installEventFilter(this);
        m_meter.start();
        QTest::mouseClick(button, Qt::LeftButton);
        m_meter.stop();
        qApp->removeEventFilter(this);
    }

    int sent() const { return m_sent; }
    int sentWhileBusy() const { return m_sentWhileBusy; }
    int progressSeen() const { return m_progressSeen; }
    int paints() const { return m_paints; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && m_sentWhileBusy > 0)
            ++m_paints;
        return QObject::eventFilter(watched, event);
    }

private:
    FormFixture &m_fx;
    QTimer m_meter;
    int m_sent = 0;
    int m_sentWhileBusy = 0;
    int m_progressSeen = -1;
    int m_paints = 0;
};

// The live readings the work held back, logged after the rows before them, numbered on, as
// the grid shows them.
void expectLiveRowsFrom(FormFixture &fx, std::size_t first, int firstNo, int count)
{
    ASSERT_EQ(fx.rows(), first + static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(fx.cell(first + static_cast<std::size_t>(i), LogColumn::No),
                  QString::number(firstNo + i))
            << "live row " << i;
}

TEST(LongLogWork, SavingAMillionRowsShowsProgressAndLogsTheReadingsAfter)
{
    QTemporaryDir dir;
    LogTable day;
    fillLog(day, Rows);
    writeFile(dir.filePath("earlier.txt"), saveLogText(day));
    for (const char *name : {"day.xls", "day.xml"}) {
        QTemporaryDir home;
        const vireo::test::ScopedEnv stateHome("XDG_STATE_HOME", home.path());
        FormFixture fx;
        // The day's log, loaded as a user would before any meter sends.
        fx.dialogs.openNames = {dir.filePath("earlier.txt")};
        QTest::mouseClick(&fx.get<QToolButton>("OpenDataFiles"), Qt::LeftButton);
        ASSERT_EQ(fx.rows(), Rows);
        LongWork work(fx);
        fx.dialogs.saveNames = {dir.filePath(QString::fromLatin1(name))};
        work.click(&fx.get<QToolButton>("saveas"));

        EXPECT_GT(work.sentWhileBusy(), 0) << name;
        EXPECT_GE(work.progressSeen(), 0) << name;
        EXPECT_GT(work.paints(), 0) << name;
        ASSERT_TRUE(fx.dialogs.said.back().startsWith("plain:")) << name;
        EXPECT_FALSE(fx.dialogs.said.back().contains("can not")) << name;
        expectLiveRowsFrom(fx, Rows, 1, work.sent());
        // Only the readings the save held back are unsaved: the recovery file keeps them alone.
        const auto recovered = [&] {
            const QDir folder(home.filePath("vireo-link"));
            const QStringList files = folder.entryList({"run-*.csv"}, QDir::Files);
            QFile file(files.size() == 1 ? folder.filePath(files[0]) : QString());
            return file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QByteArrayList();
        };
        EXPECT_SOON_EQ(recovered().size(), work.sent() + 2);
        EXPECT_TRUE(recovered().value(1).startsWith("1,")) << name;

        // The file holds the log as it was when the save began.
        LogTable saved;
        QFile file(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const std::span<const std::uint8_t> data(
            reinterpret_cast<const std::uint8_t *>(bytes.constData()),
            static_cast<std::size_t>(bytes.size()));
        ASSERT_TRUE(QString::fromLatin1(name).endsWith("xml") ? loadLogXml(data, saved)
                                                              : loadLogText(data, saved));
        ASSERT_EQ(saved.rowCount(), Rows) << name;
        EXPECT_EQ(saved.no(Rows - 1), static_cast<int>(Rows));
        EXPECT_EQ(saved.text(Rows - 1, LogColumn::Func), "AC");
    }
}

TEST(LongLogWork, LoadingAMillionRowsKeepsThemTogetherAndTheReadingsAfter)
{
    QTemporaryDir dir;
    LogTable day;
    fillLog(day, Rows);
    writeFile(dir.filePath("day.txt"), saveLogText(day));
    const std::string packet = saveLogXml(day);
    writeFile(dir.filePath("day.xml"), packet);
    writeFile(dir.filePath("half.xml"), packet.substr(0, packet.size() / 2));

    FormFixture fx;
    LongWork work(fx);
    fx.dialogs.openNames = {dir.filePath("day.txt")};
    work.click(&fx.get<QToolButton>("OpenDataFiles"));
    EXPECT_GT(work.sentWhileBusy(), 0);
    EXPECT_GE(work.progressSeen(), 0);
    EXPECT_GT(work.paints(), 0);
    ASSERT_EQ(fx.cell(0, LogColumn::No), "1");
    ASSERT_EQ(fx.cell(Rows - 1, LogColumn::No), QString::number(Rows));
    expectLiveRowsFrom(fx, Rows, 1, work.sent());
    const int liveAfterText = work.sent();

    fx.dialogs.openNames = {dir.filePath("day.xml")};
    work.click(&fx.get<QToolButton>("OpenDataFiles"));
    EXPECT_GT(work.sentWhileBusy(), 0);
    const std::size_t xmlFirst = Rows + static_cast<std::size_t>(liveAfterText);
    ASSERT_GE(fx.rows(), xmlFirst + Rows);
    EXPECT_EQ(fx.cell(xmlFirst, LogColumn::No), "1");
    EXPECT_EQ(fx.cell(xmlFirst + Rows - 1, LogColumn::No), QString::number(Rows));
    expectLiveRowsFrom(fx, xmlFirst + Rows, liveAfterText + 1, work.sent());

    // A long packet cut in half adds nothing, and the readings of meanwhile still arrive.
    const std::size_t before = fx.rows();
    const int nextNo = fx.cell(before - 1, LogColumn::No).toInt() + 1;
    fx.dialogs.openNames = {dir.filePath("half.xml")};
    work.click(&fx.get<QToolButton>("OpenDataFiles"));
    EXPECT_EQ(fx.dialogs.said.back(), "error:Error:Failed to Load File!");
    expectLiveRowsFrom(fx, before, nextNo, work.sent());
}

} // namespace
