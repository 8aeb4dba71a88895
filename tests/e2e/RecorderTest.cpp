// The recorder logs what the window logs: the same frames, the same gates, the same rows, over
// the serial link (vireo-record itself, on the simulator) and over the USB adapter (in-process,
// on the stand-in for hidapi and libudev); and the window opens what the recorder wrote.
#include "FormTestSupport.h"

#include "core/LogFileText.h"
#include "core/MeterFrame.h"
#include "links/LinuxHidPlatform.h"
#include "record/RecordOutput.h"
#include "record/Recorder.h"
#include "record/UsbSource.h"
#include "support/HidDoubleDevices.h"
#include "support/HidDoubleLibrary.h"
#include "support/RecorderProcesses.h"
#include "support/SerialTestSupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vireo {
namespace {

using test::FormFixture;
using test::waitFor;
using F = MeterFrame::Function;
using O2 = MeterFrame::Option2;

MeterFrame frame(int count, std::uint8_t function = F::Voltage, std::uint8_t range = 0,
                 std::uint8_t status = 0, std::uint8_t option2 = O2::DC | O2::AUTO)
{
    MeterFrame f;
    f.function = function;
    f.range = range;
    f.setCount(count);
    f.status |= status;
    f.option2 = option2;
    return f;
}

// Repeats and returns to an earlier reading for the repeat gate, every column changing on its
// own, an overload, and a frame whose digits cannot be read. A link opened on a busy machine may
// miss the first frames: those are unreadable ones, which make no row either way.
std::vector<MeterFrame> replay()
{
    MeterFrame unreadable = frame(1234);
    unreadable.digits[1] = 0xA;
    std::vector<MeterFrame> frames(10, unreadable);
    frames.insert(frames.end(),
                  {frame(1234), frame(1234), frame(1234), frame(1235), frame(1234), frame(-12),
                   frame(1234, F::Voltage, 0, 0, O2::AC | O2::AUTO),
                   frame(1234, F::Voltage, 0, 0, O2::DC),
                   frame(1500, F::Resistance, 2, 0, O2::AUTO),
                   frame(0, F::Resistance, 2, MeterFrame::Status::Overload, O2::AUTO),
                   frame(0, F::Resistance, 2, MeterFrame::Status::Overload, O2::AUTO),
                   frame(235, F::Temperature, 0, MeterFrame::Status::Celsius, 0), unreadable,
                   frame(1830, F::Microampere), frame(1234), frame(1234)});
    return frames;
}

// The texts of a row that do not depend on when it was logged.
using RowTexts = std::array<QString, 5>;

RowTexts windowRow(const FormFixture &fx, std::size_t row)
{
    return {fx.cell(row, LogColumn::No), fx.cell(row, LogColumn::Func),
            fx.cell(row, LogColumn::Value), fx.cell(row, LogColumn::Unit),
            fx.cell(row, LogColumn::Range)};
}

std::vector<RowTexts> rowsOf(const LogTable &table)
{
    std::vector<RowTexts> rows;
    const QRegularExpression time(QStringLiteral(R"(^\d\d\D\d\d\D\d\d$)"));
    for (std::size_t i = 0; i < table.rowCount(); ++i) {
        const auto text = [&](LogColumn c) {
            return QString::fromStdString(std::string(table.text(i, c)));
        };
        EXPECT_TRUE(time.match(text(LogColumn::Time)).hasMatch()) << i;
        rows.push_back({QString::number(table.no(i).value_or(-1)), text(LogColumn::Func),
                        text(LogColumn::Value), text(LogColumn::Unit), text(LogColumn::Range)});
    }
    return rows;
}

// The recorder over the USB stand-in, fed the frames in the cable's reports.
std::vector<RowTexts> recordOverUsb(const std::vector<MeterFrame> &frames, const QString &out)
{
    test::HidDoubleControl &cable = test::HidDoubleLibrary::instance().control();
    cable.reset();
    const std::string node = cable.add(test::bridgeDevice("hidraw0", "1-2:1.0"));
    const ModelSetup setup = applyModelSwitches(ModelSwitches::shipped());
    RecordOptions options;
    options.link = RecordOptions::Link::Usb;
    options.out = out;
    options.changesOnly = true;
    options.quiet = true;
    const QString decimalSep = QLocale::system().decimalPoint();
    UsbSource source({}, setup,
                     std::make_shared<LinuxHidPlatform>(test::HidDoubleLibrary::instance().api()));
    RecordOutput output(options, decimalSep.toStdString());
    Recorder recorder(options, setup, decimalSep, source, output);
    QSignalSpy taken(&source, &MeterSource::frame);
    EXPECT_TRUE(recorder.start());
    for (const MeterFrame &f : frames) {
        const auto bytes = f.bytes();
        cable.queueInput(node, test::bridgeReport({bytes.begin(), bytes.begin() + 7}));
        cable.queueInput(node, test::bridgeReport({bytes.begin() + 7, bytes.end()}));
        cable.queueInput(node, test::bridgeReport({}));
    }
    EXPECT_TRUE(waitFor([&] { return taken.size() == qsizetype(frames.size()); }));
    recorder.stop();
    cable.reset();
    LogTable table;
    EXPECT_TRUE(test::loadCsvFile(out, table).complete);
    return rowsOf(table);
}

TEST(Recorder, LogsTheRowsTheWindowLogsForTheSameFramesAndGates)
{
    QTemporaryDir dir;
    const QString replayFile = dir.filePath(QStringLiteral("replay.txt"));
    const std::vector<MeterFrame> frames = replay();
    {
        QFile file(replayFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (const MeterFrame &f : frames)
            file.write(QByteArray::fromStdString(f.nibbleText() + '\n'));
    }
    const QStringList play = {"--replay", replayFile, "--rate",
                              "50",       "--count",  QString::number(frames.size())};

    // The window, Repeat unchecked.
    test::SimProcess windowSim(play);
    test::ScopedEnv com1("VIREO_COM1", windowSim.path());
    FormFixture fx;
    QTest::mouseClick(&fx.get<QAbstractButton>("RepeatSet"), Qt::LeftButton);
    QTest::mouseClick(&fx.get<QAbstractButton>("COMCon"), Qt::LeftButton);
    ASSERT_TRUE(fx.dialogs.said.isEmpty()) << fx.dialogs.said.join('\n').toStdString();
    ASSERT_TRUE(windowSim.finished());
    test::runEventLoopFor(300);
    std::vector<RowTexts> logged;
    for (std::size_t i = 0; i < fx.rows(); ++i)
        logged.push_back(windowRow(fx, i));
    // The repeats (two of 1.234 V, one of the overload, the last one) and the unreadable frames
    // make no row.
    ASSERT_EQ(logged.size(), 11u);
    // Disconnected, or the window would look for its vanished port again and take the next
    // simulator's, which the system gives the same name.
    QTest::mouseClick(&fx.get<QAbstractButton>("COMCon"), Qt::LeftButton);

    // The recorder with the same gate, to both of its formats.
    const QString csv = dir.filePath(QStringLiteral("serial.csv"));
    const QString xls = dir.filePath(QStringLiteral("serial.xls"));
    for (const QString &out : {csv, xls}) {
        test::SimProcess sim(play);
        test::RecorderRun recorder({"--port", sim.path(), "--changes-only", "--out", out});
        ASSERT_TRUE(sim.finished());
        ASSERT_TRUE(waitFor([&] { return test::fileLines(out) == qsizetype(logged.size()) + 1; }))
            << recorder.messages().toStdString();
        recorder.signal(SIGTERM);
        EXPECT_EQ(recorder.exitCode(), 0);
    }
    LogTable fromCsv;
    EXPECT_TRUE(test::loadCsvFile(csv, fromCsv).complete);
    EXPECT_EQ(rowsOf(fromCsv), logged);
    LogTable fromXls;
    EXPECT_TRUE(loadLogText(test::bytesOf(test::fileBytes(xls)), fromXls));
    EXPECT_EQ(rowsOf(fromXls), logged);
    EXPECT_EQ(recordOverUsb(frames, dir.filePath(QStringLiteral("usb.csv"))), logged);

    // The window opens both of the recorder's logs as its own: the same rows again, twice.
    for (const QString &name : {xls, csv}) {
        const std::size_t before = fx.rows();
        fx.dialogs.openNames.push_back(name);
        QTest::mouseClick(&fx.get<QAbstractButton>("OpenDataFiles"), Qt::LeftButton);
        ASSERT_TRUE(waitFor([&] { return fx.rows() == before + logged.size(); }))
            << name.toStdString();
        for (std::size_t i = 0; i < logged.size(); ++i)
            EXPECT_EQ(windowRow(fx, before + i), logged[i]) << name.toStdString() << " " << i;
    }
}

} // namespace
} // namespace vireo
