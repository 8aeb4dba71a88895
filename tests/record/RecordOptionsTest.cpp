#include "record/RecordOptions.h"

#include <gtest/gtest.h>

namespace vireo {
namespace {

using Outcome = ParsedCommandLine::Outcome;

ParsedCommandLine parse(const QStringList &args, const QString &decimalSep = QStringLiteral("."))
{
    return parseRecordCommandLine(QStringList{QStringLiteral("vireo-record")} + args, decimalSep);
}

TEST(RecordCommandLine, ReadsWhatTheUserMeansAndRefusesWhatItCannotDo)
{
    // --usb alone, with a node after it or joined to it; a dash after it is the next option.
    EXPECT_TRUE(parse({"--usb", "--out", "-"}).options.usbPath.isEmpty());
    EXPECT_TRUE(parse({"--usb", "--out", "-"}).options.toStdout());
    EXPECT_EQ(parse({"--usb", "/dev/hidraw2"}).options.usbPath, "/dev/hidraw2");
    EXPECT_EQ(parse({"--usb=/dev/hidraw3"}).options.usbPath, "/dev/hidraw3");

    const ParsedCommandLine p = parse({"--port", "com2", "--out", "run.XLS", "--interval", "5",
                                       "--high", "1.5", "--low", "-2", "--duration", "8h"},
                                      QStringLiteral(","));
    ASSERT_EQ(p.outcome, Outcome::Run) << p.error.toStdString();
    EXPECT_EQ(p.options.comPort, 2);
    EXPECT_EQ(p.options.format, RecordOptions::Format::Text);
    EXPECT_EQ(p.options.interval, QStringLiteral("5"));
    // Limits are judged as the window's boxes hold them: with the locale's separator.
    EXPECT_EQ(p.options.high, QStringLiteral("1,5"));
    EXPECT_EQ(p.options.low, QStringLiteral("-2"));
    EXPECT_EQ(p.options.durationMs, 8 * 3600 * 1000);

    const QStringList mistakes[] = {
        {},
        {"--port", "/dev/ttyS0", "--usb"},
        {"--port", "COM1", "--out", "log.xml"},
        {"--port", "COM1", "--interval", "1.5"},
        {"--port", "COM1", "--high", "lots"},
        {"--port", "COM1", "--count", "0"},
        {"--port", "COM1", "stray"},
    };
    for (const QStringList &args : mistakes)
        EXPECT_EQ(parse(args).outcome, Outcome::Error) << args.join(' ').toStdString();
}

TEST(RecordCommandLine, ReadsDurations)
{
    const std::pair<const char *, std::optional<std::int64_t>> cases[] = {
        {"90s", 90'000},      {"90", 90'000},         {"15m", 900'000},
        {"2d", 172'800'000},  {"0", std::nullopt},    {"s", std::nullopt},
        {"1w", std::nullopt}, {"1.5h", std::nullopt}, {"99999999999999999d", std::nullopt},
    };
    for (const auto &[text, ms] : cases)
        EXPECT_EQ(parseDurationMs(text), ms) << text;
}

} // namespace
} // namespace vireo
