// The recorder over the real Linux HID backend, on the stand-in for hidapi and libudev playing
// the meter's cable and a mouse.
#include "core/MeterFrame.h"
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

using test::bridgeDevice;
using test::waitFor;

TEST(UsbRecording, ReadsTheAdapterAndTheSameAdapterAgainWhenPluggedInAgain)
{
    test::HidDoubleControl &hid = test::HidDoubleLibrary::instance().control();
    hid.reset();
    std::string cable = hid.add(bridgeDevice("hidraw0", "1-2:1.0"));
    hid.add(test::mouseDevice("hidraw1"));
    // 1.234 V DC AUTO every 20 ms, in two reports and the empty one that ends the burst.
    const auto bytes = MeterFrame{.digits = {1, 2, 3, 4}}.bytes();
    QTimer meter;
    QObject::connect(&meter, &QTimer::timeout, [&] {
        hid.queueInput(cable, test::bridgeReport({bytes.begin(), bytes.begin() + 7}));
        hid.queueInput(cable, test::bridgeReport({bytes.begin() + 7, bytes.end()}));
        hid.queueInput(cable, test::bridgeReport({}));
    });

    QTemporaryDir dir;
    RecordOptions options;
    options.link = RecordOptions::Link::Usb;
    options.out = dir.filePath(QStringLiteral("usb.csv"));
    options.quiet = true;
    const ModelSetup setup = applyModelSwitches(ModelSwitches::shipped());
    UsbSource source({}, setup,
                     std::make_shared<LinuxHidPlatform>(test::HidDoubleLibrary::instance().api()));
    RecordOutput output(options, ".");
    Recorder recorder(options, setup, QStringLiteral("."), source, output);
    QSignalSpy frames(&source, &MeterSource::frame);
    QSignalSpy notices(&source, &MeterSource::notice);
    ASSERT_TRUE(recorder.start());
    // Configured at once, at the meter's speed.
    EXPECT_EQ(hid.sentFeatures(cable),
              (std::vector<std::vector<std::uint8_t>>{{0x00, 0x00, 0x4B, 0, 0, 0x03}}));
    meter.start(20);
    ASSERT_TRUE(waitFor([&] { return frames.size() >= 5; }));

    // Another device plugged in changes nothing; the cable pulled out is waited for, and when
    // it comes back (a new node, the same USB port) it is configured and read again.
    hid.plug(test::mouseDevice("hidraw3", 2));
    ASSERT_TRUE(waitFor([&] { return frames.size() >= 10; }));
    EXPECT_TRUE(notices.isEmpty());
    meter.stop();
    hid.unplug(cable);
    ASSERT_TRUE(waitFor([&] { return notices.size() == 1; }));
    cable = hid.plug(bridgeDevice("hidraw2", "1-2:1.0", 2));
    ASSERT_TRUE(waitFor([&] { return hid.sentFeatures(cable).size() == 1; }));
    ASSERT_EQ(notices.size(), 2);
    EXPECT_TRUE(notices.at(1).at(0).toString().endsWith(QStringLiteral(" is back.")));
    const qsizetype before = frames.size();
    meter.start(20);
    ASSERT_TRUE(waitFor([&] { return frames.size() >= before + 5; }));

    recorder.stop();
    meter.stop();
    hid.reset();
    LogTable table;
    EXPECT_TRUE(test::loadCsvFile(options.out, table).complete);
    ASSERT_EQ(table.rowCount(), static_cast<std::size_t>(frames.size()));
    for (std::size_t i = 0; i < table.rowCount(); ++i) {
        EXPECT_EQ(table.no(i), static_cast<std::int32_t>(i + 1));
        EXPECT_EQ(table.text(i, LogColumn::Value), "1.234");
    }
}

} // namespace
} // namespace vireo
