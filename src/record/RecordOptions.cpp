#include "record/RecordOptions.h"

#include "core/NumberText.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <charconv>
#include <limits>

namespace vireo {

namespace {

const QString kUsbNode = QStringLiteral("usb-node");

// "--usb" alone reads the first adapter found, "--usb PATH" (or "--usb=PATH") the node PATH; the
// parser knows options that always or never take a value, so the node is handed on under a
// hidden name of its own.
QStringList withUsbNode(const QStringList &arguments)
{
    QStringList out;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (i > 0 && arg.startsWith(QLatin1String("--usb="))) {
            out << QStringLiteral("--usb") << QStringLiteral("--usb-node=") + arg.mid(6);
        } else if (i > 0 && arg == QLatin1String("--usb") && i + 1 < arguments.size() &&
                   !arguments.at(i + 1).startsWith(QLatin1Char('-'))) {
            out << arg << QStringLiteral("--usb-node=") + arguments.at(++i);
        } else {
            out << arg;
        }
    }
    return out;
}

// The limit as the window's limit box would hold it: with the locale's decimal separator. A
// point is taken as well, so that a command line works the same in every locale.
std::optional<QString> limitText(const QString &text, const QString &decimalSep)
{
    const std::string value = text.toStdString();
    if (textToFloat(value, decimalSep.toStdString()))
        return text;
    if (!textToFloat(value, "."))
        return std::nullopt;
    QString local = text;
    local.replace(QLatin1Char('.'), decimalSep);
    return local;
}

bool isComPort(const QString &port)
{
    return port.size() == 4 && port.startsWith(QLatin1String("COM"), Qt::CaseInsensitive) &&
           port.at(3) >= QLatin1Char('1') && port.at(3) <= QLatin1Char('4');
}

} // namespace

std::optional<std::int64_t> parseDurationMs(std::string_view text)
{
    std::int64_t unitMs = 1000;
    if (!text.empty()) {
        switch (text.back()) {
        case 's':
            text.remove_suffix(1);
            break;
        case 'm':
            unitMs = 60'000;
            text.remove_suffix(1);
            break;
        case 'h':
            unitMs = 3'600'000;
            text.remove_suffix(1);
            break;
        case 'd':
            unitMs = 86'400'000;
            text.remove_suffix(1);
            break;
        default:
            break;
        }
    }
    std::int64_t count = 0;
    const char *end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, count);
    if (text.empty() || result.ec != std::errc() || result.ptr != end || count <= 0 ||
        count > std::numeric_limits<std::int64_t>::max() / unitMs)
        return std::nullopt;
    return count * unitMs;
}

ParsedCommandLine parseRecordCommandLine(const QStringList &arguments, const QString &decimalSep)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Logs the readings of a digital multimeter to a file, without a window: every reading\n"
        "that passes the gates becomes a row, on disk within a second."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("Read the meter on the serial device PATH (a tty such as /dev/ttyUSB0), "
                       "or on COM1 to COM4 as the window numbers the ports."),
        QStringLiteral("PATH"));
    const QCommandLineOption usb(
        QStringLiteral("usb"),
        QStringLiteral("Read the meter through the \"USB to Serial\" adapter: the first one "
                       "found, or the hidraw node given after the option (--usb /dev/hidraw2)."));
    QCommandLineOption usbNode(kUsbNode, QString(), QStringLiteral("PATH"));
    usbNode.setFlags(QCommandLineOption::HiddenFromHelp);
    const QCommandLineOption out(
        QStringLiteral("out"),
        QStringLiteral("The log file: .csv for CSV with dates, .txt or .xls for the "
                       "tab-separated log of the window. An existing file is appended to. "
                       "Without it, or with -, CSV goes to standard output."),
        QStringLiteral("FILE"));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("Start an existing log file afresh instead."));
    const QCommandLineOption interval(
        QStringLiteral("interval"),
        QStringLiteral("Log at most one reading per sampling interval of SECONDS."),
        QStringLiteral("SECONDS"));
    const QCommandLineOption changesOnly(
        QStringLiteral("changes-only"),
        QStringLiteral("Log a reading only when it differs from the last one logged."));
    const QCommandLineOption high(QStringLiteral("high"),
                                  QStringLiteral("Judge every row against this high limit."),
                                  QStringLiteral("NUMBER"));
    const QCommandLineOption low(QStringLiteral("low"),
                                 QStringLiteral("Judge every row against this low limit."),
                                 QStringLiteral("NUMBER"));
    const QCommandLineOption duration(QStringLiteral("duration"),
                                      QStringLiteral("Stop after this long: 90s, 15m, 8h, 2d."),
                                      QStringLiteral("TIME"));
    const QCommandLineOption count(QStringLiteral("count"), QStringLiteral("Stop after N rows."),
                                   QStringLiteral("N"));
    const QCommandLineOption quiet(
        QStringLiteral("quiet"),
        QStringLiteral("Do not print each logged reading on standard error."));
    for (const QCommandLineOption &option :
         {port, usb, usbNode, out, force, interval, changesOnly, high, low, duration, count, quiet})
        parser.addOption(option);

    ParsedCommandLine parsed;
    const auto fail = [&parsed](const QString &error) {
        parsed.outcome = ParsedCommandLine::Outcome::Error;
        parsed.error = error;
        return parsed;
    };
    if (!parser.parse(withUsbNode(arguments)))
        return fail(parser.errorText());
    parsed.helpText = parser.helpText();
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        parsed.outcome = ParsedCommandLine::Outcome::Help;
        return parsed;
    }
    if (parser.isSet(version)) {
        parsed.outcome = ParsedCommandLine::Outcome::Version;
        return parsed;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("Unexpected argument '%1'.")
                        .arg(parser.positionalArguments().constFirst()));

    RecordOptions &o = parsed.options;
    if (parser.isSet(port) == parser.isSet(usb))
        return fail(QStringLiteral("Name the meter's link: --port PATH or --usb."));
    if (parser.isSet(port)) {
        o.port = parser.value(port);
        if (o.port.isEmpty())
            return fail(QStringLiteral("--port needs the path of a serial device."));
        if (isComPort(o.port)) {
            o.port = o.port.toUpper();
            o.comPort = o.port.at(3).digitValue();
        }
    } else {
        o.link = RecordOptions::Link::Usb;
        o.usbPath = parser.value(usbNode);
    }

    o.out = parser.value(out);
    if (o.out == QLatin1String("-"))
        o.out.clear();
    if (!o.out.isEmpty()) {
        const QString suffix = QFileInfo(o.out).suffix().toLower();
        if (suffix == QLatin1String("txt") || suffix == QLatin1String("xls"))
            o.format = RecordOptions::Format::Text;
        else if (suffix != QLatin1String("csv"))
            return fail(QStringLiteral("The log file's name must end in .csv, .txt or .xls: %1")
                            .arg(o.out));
    }
    o.force = parser.isSet(force);

    if (parser.isSet(interval)) {
        const QString text = parser.value(interval);
        bool digitsOnly = !text.isEmpty();
        for (const QChar c : text)
            digitsOnly = digitsOnly && c.isDigit() && c.unicode() < 0x80;
        if (!digitsOnly || !textToInt32(text.toStdString()))
            return fail(QStringLiteral("--interval takes whole seconds: '%1'").arg(text));
        o.interval = text;
    }
    o.changesOnly = parser.isSet(changesOnly);
    for (const auto &[option, limit] : {std::pair{&high, &o.high}, std::pair{&low, &o.low}}) {
        if (!parser.isSet(*option))
            continue;
        *limit = limitText(parser.value(*option), decimalSep);
        if (!*limit)
            return fail(QStringLiteral("--%1 takes a number: '%2'")
                            .arg(option->names().constFirst(), parser.value(*option)));
    }

    if (parser.isSet(duration)) {
        o.durationMs = parseDurationMs(parser.value(duration).toStdString());
        if (!o.durationMs)
            return fail(QStringLiteral("--duration takes a time such as 90s, 15m, 8h or 2d: '%1'")
                            .arg(parser.value(duration)));
    }
    if (parser.isSet(count)) {
        bool ok = false;
        const qulonglong n = parser.value(count).toULongLong(&ok);
        if (!ok || n == 0)
            return fail(
                QStringLiteral("--count takes a number of rows: '%1'").arg(parser.value(count)));
        o.count = n;
    }
    o.quiet = parser.isSet(quiet);
    parsed.outcome = ParsedCommandLine::Outcome::Run;
    return parsed;
}

} // namespace vireo
