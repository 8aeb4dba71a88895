#include "core/HidIntake.h"

#include <gtest/gtest.h>

#include <vector>

namespace vireo {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Feeds `bytes` as data reports of at most `perReport` meter bytes, then one end report.
std::optional<std::string> sendBurst(HidIntake &intake, const Bytes &bytes,
                                     std::size_t perReport = 3)
{
    for (std::size_t i = 0; i < bytes.size(); i += perReport) {
        const std::size_t n = std::min(perReport, bytes.size() - i);
        Bytes report{static_cast<std::uint8_t>(0xF0 | n)};
        report.insert(report.end(), bytes.begin() + i, bytes.begin() + i + n);
        if (report.size() < 8)
            report.resize(8, 0x00);
        EXPECT_TRUE(intake.take(0, report).historyLine);
    }
    return intake.take(0, Bytes{0xF0, 0, 0, 0, 0, 0, 0, 0}).finishedBurst;
}

TEST(HidIntake, DataReportAddsCountedBytesAndEndReportHandsOverTheBurst)
{
    HidIntake intake;
    const HidReportOutcome data = intake.take(0x00, Bytes{0xF3, 0x31, 0x32, 0x33, 0xAA, 0xBB});
    EXPECT_EQ(data.historyLine, "R 00  F3 31 32 33 AA BB ");
    EXPECT_FALSE(data.finishedBurst);
    EXPECT_EQ(intake.HidHexText, "313233");
    EXPECT_TRUE(intake.HidBurstActive);

    const HidReportOutcome end = intake.take(0x00, Bytes{0xF0, 0x00});
    EXPECT_FALSE(end.historyLine);
    EXPECT_EQ(end.finishedBurst, "313233");
    EXPECT_EQ(intake.HidHexText, "");
    EXPECT_FALSE(intake.HidBurstActive);

    // With no burst running, an end report finishes nothing.
    EXPECT_FALSE(intake.take(0x00, Bytes{0xF0}).finishedBurst);
}

TEST(HidIntake, CountBeyondTheReportTakesWhatTheReportHolds)
{
    HidIntake intake;
    const HidReportOutcome data = intake.take(0x07, Bytes{0x09, 0x0D, 0x0A});
    EXPECT_EQ(data.historyLine, "R 07  09 0D 0A ");
    EXPECT_EQ(intake.HidHexText, "0D0A");
}

TEST(HidIntake, CountsZeroAndAboveNineEndABurst)
{
    for (std::uint8_t first : {0x00, 0x0A, 0x1B, 0x0C, 0x0D, 0xFE, 0x0F}) {
        HidIntake intake;
        intake.take(0, Bytes{0x01, 0x41});
        const HidReportOutcome end = intake.take(0, Bytes{first, 0x41, 0x42});
        EXPECT_EQ(end.finishedBurst, "41") << int(first);
        EXPECT_FALSE(end.historyLine) << int(first);
        EXPECT_EQ(end.kind, HidReportKind::Idle) << int(first);
    }
}

TEST(HidIntake, EmptyReportEndsABurstWithoutCountingAsIdle)
{
    HidIntake intake;
    EXPECT_EQ(intake.take(0, Bytes{0xF2, 0x30, 0x31}).kind, HidReportKind::Data);
    const HidReportOutcome end = intake.take(0, Bytes{});
    EXPECT_EQ(end.finishedBurst, "3031");
    EXPECT_EQ(end.kind, HidReportKind::Empty);
    EXPECT_EQ(intake.take(0, Bytes{0x0F}).kind, HidReportKind::Idle);
}

TEST(HidIntake, ElevenByteBurstBecomesADecodableFrame)
{
    HidIntake intake;
    const auto burst =
        sendBurst(intake, {0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x0D, 0x0A});
    ASSERT_TRUE(burst);
    const HeronBurstFrame frame = finishHeronBurst(*burst);
    EXPECT_EQ(frame.FrameText, "A012345678D");
    EXPECT_TRUE(frame.framed);
}

TEST(HidIntake, HeronFinisherUsesElevenBytesAndRejectsShortBursts)
{
    HidIntake intake;
    const auto twelve = sendBurst(
        intake, {0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x0D, 0x0A, 0x3F}, 9);
    ASSERT_TRUE(twelve);
    EXPECT_EQ(finishHeronBurst(*twelve).FrameText, "A012345678D");
    EXPECT_TRUE(finishHeronBurst(*twelve).framed);

    const auto ten =
        sendBurst(intake, {0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x0D});
    ASSERT_TRUE(ten);
    const HeronBurstFrame short10 = finishHeronBurst(*ten);
    EXPECT_EQ(short10.FrameText, "012345678D");
    EXPECT_FALSE(short10.framed);

    // Eleven bytes that do not end in CR LF are not a frame.
    EXPECT_FALSE(finishHeronBurst("3031323334353637383930").framed);
    EXPECT_EQ(finishHeronBurst("").FrameText, "");
}

TEST(HidIntake, WrenFinisherTakesFourteenLowDigits)
{
    EXPECT_EQ(finishWrenBurst("3132"), "12");
    EXPECT_EQ(finishWrenBurst("303132333435363738393A3B3C3D3E3F"), "0123456789ABCD");
}

TEST(HidIntake, BurstThatNeverEndsKeepsOnlyWhatTheFinishersRead)
{
    HidIntake intake;
    for (int i = 0; i < 10000; ++i)
        intake.take(0, Bytes{0x09, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38});
    EXPECT_EQ(intake.HidHexText.size(), 2 * HidIntake::MaxBurstBytes);
    const auto burst = intake.take(0, Bytes{0x00}).finishedBurst;
    ASSERT_TRUE(burst);
    EXPECT_EQ(finishWrenBurst(*burst), "01234567801234");
}

TEST(HidIntake, FeatureReportCarriesTheSpeedLittleEndian)
{
    EXPECT_EQ(adapterFeatureReport(19200),
              (AdapterFeatureReport{0x00, 0x00, 0x4B, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(adapterFeatureReport(2400),
              (AdapterFeatureReport{0x00, 0x60, 0x09, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(featureReportLine(adapterFeatureReport(19200)), "00 4B 00 00 03 00 00 00 00 ");
}

TEST(HidIntake, DeviceNames)
{
    EXPECT_EQ(HidDeviceName(u"USB to Serial", u"", 0x1A86, 0xE008), "USB to Serial");
    EXPECT_EQ(HidDeviceName(u"", u"", 0x1234, 0xABCD), "Device VID=1234 PID=ABCD");
    EXPECT_EQ(HidDeviceName(u"", u"", 0x00AB, 0x000C), "Device VID=00AB PID=000C");
    EXPECT_EQ(HidDeviceName(u"USB to Serial", u"0042", 1, 2), "USB to Serial (Serial=0042)");
    // UTF-16 in, UTF-8 out; a broken surrogate does not produce broken text.
    EXPECT_EQ(HidDeviceName(u"\u00B5Meter \U0001F50C", u"\xD800", 0, 0),
              "\xC2\xB5Meter \xF0\x9F\x94\x8C (Serial=\xEF\xBF\xBD)");
}

} // namespace
} // namespace vireo
