#include "record/RecordOptions.h"

#include <gtest/gtest.h>

namespace vireo {
namespace {

using Outcome = ParsedCommandLine::Outcome;

ParsedCommandLine parse(const QStringList &args, const QString &decimalSep = QStringLiteral("."))
{
    return parseRecordCommandLine(QStringList{QStringLiteral("vireo-record")} + args, decimalSep);
}

TEST(RecordCommandLine, NamesTheLinkTheOutputAndTheGates)
{
    ParsedCommandLine p = parse({"--usb"});
    ASSERT_EQ(p.outcome, Outcome::Run) << p.error.toStdString();
    EXPECT_EQ(p.options.link, RecordOptions::Link::Usb);
    EXPECT_TRUE(p.options.usbPath.isEmpty());
    EXPECT_TRUE(p.options.toStdout());
    EXPECT_FALSE(p.options.judged());

    // A node after --usb, or joined to it; a dash after it is the next option.
    EXPECT_EQ(parse({"--usb", "/dev/hidraw2", "--quiet"}).options.usbPath, "/dev/hidraw2");
    EXPECT_EQ(parse({"--usb=/dev/hidraw3"}).options.usbPath, "/dev/hidraw3");
    p = parse({"--usb", "--out", "-"});
    EXPECT_TRUE(p.options.usbPath.isEmpty());
    EXPECT_TRUE(p.options.toStdout());

    p = parse({"--port", "com2", "--out", "run.XLS", "--interval", "5", "--changes-only", "--high",
               "1.5", "--low", "-2", "--duration", "8h", "--count", "100", "--force"},
              QStringLiteral(","));
    ASSERT_EQ(p.outcome, Outcome::Run) << p.error.toStdString();
    const RecordOptions &o = p.options;
    EXPECT_EQ(o.port, "COM2");
    EXPECT_EQ(o.comPort, 2);
    EXPECT_EQ(o.format, RecordOptions::Format::Text);
    EXPECT_EQ(o.interval, QStringLiteral("5"));
    EXPECT_TRUE(o.changesOnly);
    // The limits are judged as the window's boxes hold them: with the locale's separator.
    EXPECT_EQ(o.high, QStringLiteral("1,5"));
    EXPECT_EQ(o.low, QStringLiteral("-2"));
    EXPECT_EQ(o.durationMs, 8 * 3600 * 1000);
    EXPECT_EQ(o.count, 100u);
    EXPECT_TRUE(o.force);

    p = parse({"--port", "/dev/ttyUSB0", "--out", "log.csv", "--high", "2,5"}, QStringLiteral(","));
    EXPECT_EQ(p.options.comPort, 0);
    EXPECT_EQ(p.options.format, RecordOptions::Format::Csv);
    EXPECT_EQ(p.options.high, QStringLiteral("2,5"));
    EXPECT_FALSE(p.options.low);

    EXPECT_EQ(parse({"--help"}).outcome, Outcome::Help);
    EXPECT_EQ(parse({"--version"}).outcome, Outcome::Version);
}

TEST(RecordCommandLine, RefusesWhatItCannotDo)
{
    const QStringList mistakes[] = {
        {},
        {"--port", "/dev/ttyS0", "--usb"},
        {"--port", "COM1", "--out", "log.xml"},
        {"--port", "COM1", "--interval", "1.5"},
        {"--port", "COM1", "--interval", "-1"},
        {"--port", "COM1", "--high", "lots"},
        {"--port", "COM1", "--duration", "0s"},
        {"--port", "COM1", "--duration", "1w"},
        {"--port", "COM1", "--count", "0"},
        {"--port", "COM1", "stray"},
    };
    for (const QStringList &args : mistakes) {
        const ParsedCommandLine p = parse(args);
        EXPECT_EQ(p.outcome, Outcome::Error) << args.join(' ').toStdString();
        EXPECT_FALSE(p.error.isEmpty());
    }
}

TEST(RecordCommandLine, ReadsDurations)
{
    const std::pair<const char *, std::optional<std::int64_t>> cases[] = {
        {"90s", 90'000},       {"90", 90'000},         {"15m", 900'000},
        {"2d", 172'800'000},   {"0", std::nullopt},    {"s", std::nullopt},
        {"-5s", std::nullopt}, {"1.5h", std::nullopt}, {"99999999999999999d", std::nullopt},
    };
    for (const auto &[text, ms] : cases)
        EXPECT_EQ(parseDurationMs(text), ms) << text;
}

} // namespace
} // namespace vireo
