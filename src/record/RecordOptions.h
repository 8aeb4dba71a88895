#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string_view>

namespace vireo {

// What a run of the recorder does, as its command line says it.
struct RecordOptions {
    enum class Link { Serial, Usb };
    enum class Format { Csv, Text };

    Link link = Link::Serial;
    // A tty path, or COM1 to COM4 as the window numbers the ports.
    QString port;
    // 1 to 4 when the port is COM1 to COM4, else 0.
    int comPort = 0;
    // The hidraw node of the adapter; empty for the first adapter found.
    QString usbPath;
    // Empty for standard output.
    QString out;
    Format format = Format::Csv;
    bool force = false;
    // The sampling interval in whole seconds, as the window's interval box holds it.
    std::optional<QString> interval;
    bool changesOnly = false;
    // The limit texts, written with the locale's decimal separator; none when not given.
    std::optional<QString> high;
    std::optional<QString> low;
    std::optional<std::int64_t> durationMs;
    std::optional<std::uint64_t> count;
    bool quiet = false;

    bool judged() const { return high || low; }
    bool toStdout() const { return out.isEmpty(); }
};

struct ParsedCommandLine {
    enum class Outcome { Run, Help, Version, Error };
    Outcome outcome = Outcome::Error;
    RecordOptions options;
    QString error;
    QString helpText;
};

// Reads the arguments (the program's name first). `decimalSep` is the locale's decimal
// separator: a limit may be written with it or with a point.
ParsedCommandLine parseRecordCommandLine(const QStringList &arguments, const QString &decimalSep);

// "90s", "15m", "8h", "2d" or a number of seconds; nothing for anything else or for zero.
std::optional<std::int64_t> parseDurationMs(std::string_view text);

} // namespace vireo
