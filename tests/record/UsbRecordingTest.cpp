// The recorder over the real Linux HID backend, on the stand-in for hidapi and libudev playing
// the meter's cable and a mouse.
#include "core/ModelTable.h"
#include "links/LinuxHidPlatform.h"
#include "record/RecordOutput.h"
#include "record/Recorder.h"
#include "record/UsbSource.h"
#include "support/HidDoubleDevices.h"
#include "support/HidDoubleLibrary.h"
#include "support/RecorderProcesses.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace vireo {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::bridgeDevice;
using test::bridgeReport;
using test::waitFor;

// 1.234 V DC AUTO, as the meter sends it.
const Bytes kFrame = {0x30, 0x31, 0x32, 0x33, 0x34, 0x3B, 0x30, 0x30, 0x3A, 0x0D, 0x0A};

test::HidDoubleControl &control()
{
    return test::HidDoubleLibrary::instance().control();
}

std::shared_ptr<HidPlatform> doublePlatform()
{
    return std::make_shared<LinuxHidPlatform>(test::HidDoubleLibrary::instance().api());
}

class UsbRecording : public ::testing::Test {
protected:
    UsbRecording()
    {
        control().reset();
        // A frame in two reports every 20 ms, and the empty report that ends its burst.
        QObject::connect(&meter, &QTimer::timeout, [this] {
            control().queueInput(node, bridgeReport(Bytes(kFrame.begin(), kFrame.begin() + 7)));
            control().queueInput(node, bridgeReport(Bytes(kFrame.begin() + 7, kFrame.end())));
            control().queueInput(node, bridgeReport({}));
        });
    }
    ~UsbRecording() override
    {
        meter.stop();
        control().reset();
    }

    void startMeter(const std::string &at)
    {
        node = at;
        meter.start(20);
    }

    const ModelSetup setup = applyModelSwitches(ModelSwitches::shipped());
    QTimer meter;
    std::string node;
};

TEST_F(UsbRecording, ReadsTheAdapterAndTheSameAdapterAgainWhenPluggedInAgain)
{
    const std::string cable = control().add(bridgeDevice("hidraw0", "1-2:1.0"));
    control().add(test::mouseDevice("hidraw1"));
    QTemporaryDir dir;
    RecordOptions options;
    options.link = RecordOptions::Link::Usb;
    options.out = dir.filePath(QStringLiteral("usb.csv"));
    options.quiet = true;
    UsbSource source({}, setup, doublePlatform());
    RecordOutput output(options, ".");
    Recorder recorder(options, setup, QStringLiteral("."), source, output);
    QSignalSpy frames(&source, &MeterSource::frame);
    QSignalSpy notices(&source, &MeterSource::notice);
    ASSERT_TRUE(recorder.start());
    // Configured at once, at the meter's speed.
    EXPECT_EQ(control().sentFeatures(cable), (std::vector<Bytes>{{0x00, 0x00, 0x4B, 0, 0, 0x03}}));
    startMeter(cable);
    ASSERT_TRUE(waitFor([&] { return frames.size() >= 5; }));

    // Another device plugged in changes nothing; the cable pulled out is waited for, and when
    // it comes back (a new node, the same USB port) it is configured and read again.
    control().plug(test::mouseDevice("hidraw3", 2));
    ASSERT_TRUE(waitFor([&] { return frames.size() >= 10; }));
    EXPECT_TRUE(notices.isEmpty());
    meter.stop();
    control().unplug(cable);
    ASSERT_TRUE(waitFor([&] { return notices.size() == 1; }));
    const std::string again = control().plug(bridgeDevice("hidraw2", "1-2:1.0", 2));
    ASSERT_TRUE(waitFor([&] { return control().sentFeatures(again).size() == 1; }));
    ASSERT_EQ(notices.size(), 2);
    EXPECT_TRUE(notices.at(1).at(0).toString().endsWith(QStringLiteral(" is back.")));
    const qsizetype before = frames.size();
    startMeter(again);
    ASSERT_TRUE(waitFor([&] { return frames.size() >= before + 5; }));

    recorder.stop();
    EXPECT_EQ(recorder.exitCode(), Recorder::Done);
    LogTable table;
    const LogCsvLoad load = test::loadCsvFile(options.out, table);
    EXPECT_TRUE(load.complete);
    ASSERT_EQ(load.rows, static_cast<std::size_t>(frames.size()));
    for (std::size_t i = 0; i < table.rowCount(); ++i) {
        EXPECT_EQ(table.no(i), static_cast<std::int32_t>(i + 1));
        EXPECT_EQ(table.text(i, LogColumn::Value), "1.234");
    }
}

TEST_F(UsbRecording, AnAdapterThatCannotBeOpenedIsRefusedWithWhy)
{
    QString error;
    EXPECT_FALSE(UsbSource({}, setup, doublePlatform()).open(&error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("No \"USB to Serial\" adapter is plugged in.")))
        << error.toStdString();

    test::HidDoubleDevice locked = bridgeDevice("hidraw0", "1-2:1.0");
    locked.accessDenied = true;
    control().add(locked);
    UsbSource source({}, setup, doublePlatform());
    EXPECT_FALSE(source.open(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("permission denied"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("60-vireo.rules")));
    EXPECT_TRUE(error.contains(QStringLiteral("sudo usermod -aG plugdev")));
}

} // namespace
} // namespace vireo
