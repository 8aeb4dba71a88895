#include "SimOptions.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <system_error>

namespace vireo::sim {

const char *const kUsage = R"(Usage: vireo-meter-sim [options]

Plays a digital multimeter that streams 11-byte display frames (nine data bytes, CR, LF).
By default it opens a pseudo-terminal, prints the path of its slave side on stdout (one line,
and again for every new pseudo-terminal of a vanish cycle) and streams to it. Point the link
program at that path, e.g. VIREO_COM1=/dev/pts/3.

On a pseudo-terminal frames are sent only while a reader has the port open, starting with
the line feed that ends a previous frame, so every whole frame sent can be decoded; --count
and --vanish-after count only frames that were sent.

What to send:
  --scenario demo|steady  demo (default) walks through every function, range and display
                          flag with moving values; steady repeats one reading (1.234 V DC)
  --steady                same as --scenario steady
  --replay FILE           frames from FILE, one per line: nine hex digits (the data nibbles,
                          sent as 0x30-0x3F, then CR LF), or bytes as two-digit hex values
                          separated by blanks (sent as they are); '#' starts a comment

Where to send:
  --device PATH           write to this tty (set raw, 19200 baud 8N1) instead
  --link PATH             keep a symbolic link at PATH to the current pseudo-terminal

Pace and length:
  --rate N                frames per second (default 4, as a real meter)
  --line-rate             back to back at 19200 baud 8N1 (about 174 frames per second)
  --count N               stop after N frames (default: run until interrupted)

Faults:
  --drop-bytes P          lose each byte with probability P
  --garbage P             insert a random byte after each byte with probability P
  --chunking              random write sizes with short pauses between them
  --parity-noise          bit 7 carries odd parity, as a meter sending 7 data bits with odd
                          parity reads at 8N1
  --cr-in-data P          with probability P a frame has one data byte equal to CR
  --vanish-after N        after N frames send part of the next one, close the port and exit
  --vanish-cycle          with --vanish-after: reopen after --down-ms and go on (a new
                          pseudo-terminal; use --link for a stable path)
  --down-ms MS            how long the port stays away in a vanish cycle (default 500)

  --seed N                seed of the fault and chunking randomness (default 1)
  --help                  this text

SIGINT and SIGTERM end the program cleanly. SIGUSR1 prints the number of frames sent so far
on stderr ("frames sent: N").
)";

namespace {

template <typename T> bool parseNumber(std::string_view text, T &value)
{
    if (text.empty())
        return false;
    const char *end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

bool parseProbability(std::string_view text, double &value)
{
    return parseNumber(text, value) && value >= 0.0 && value <= 1.0;
}

} // namespace

std::optional<SimOptions> parseOptions(int argc, char **argv, std::string &error)
{
    SimOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        std::string_view inlineValue;
        bool hasInlineValue = false;
        if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
            inlineValue = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            hasInlineValue = true;
        }
        auto value = [&](std::string_view &out) {
            if (hasInlineValue) {
                out = inlineValue;
                return true;
            }
            if (i + 1 >= argc) {
                error = std::string(arg) + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        auto bad = [&](std::string_view v) {
            error = "invalid value for " + std::string(arg) + ": '" + std::string(v) + "'";
            return std::nullopt;
        };
        std::string_view v;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--steady") {
            options.scenario = Scenario::Steady;
        } else if (arg == "--line-rate") {
            options.lineRate = true;
        } else if (arg == "--chunking") {
            options.chunking = true;
        } else if (arg == "--parity-noise") {
            options.parityNoise = true;
        } else if (arg == "--vanish-cycle") {
            options.vanishCycle = true;
        } else if (arg == "--scenario") {
            if (!value(v))
                return std::nullopt;
            if (v == "demo")
                options.scenario = Scenario::Demo;
            else if (v == "steady")
                options.scenario = Scenario::Steady;
            else
                return bad(v);
        } else if (arg == "--replay") {
            if (!value(v))
                return std::nullopt;
            options.scenario = Scenario::Replay;
            options.replayFile = v;
        } else if (arg == "--device") {
            if (!value(v))
                return std::nullopt;
            options.device = v;
        } else if (arg == "--link") {
            if (!value(v))
                return std::nullopt;
            options.link = v;
        } else if (arg == "--rate") {
            if (!value(v))
                return std::nullopt;
            if (!parseNumber(v, options.rate) || !(options.rate > 0.0) || options.rate > 10000.0)
                return bad(v);
        } else if (arg == "--count") {
            if (!value(v))
                return std::nullopt;
            if (!parseNumber(v, options.count) || options.count == 0)
                return bad(v);
        } else if (arg == "--vanish-after") {
            if (!value(v))
                return std::nullopt;
            if (!parseNumber(v, options.vanishAfter) || options.vanishAfter == 0)
                return bad(v);
        } else if (arg == "--down-ms") {
            if (!value(v))
                return std::nullopt;
            if (!parseNumber(v, options.downMs) || options.downMs < 0)
                return bad(v);
        } else if (arg == "--seed") {
            if (!value(v))
                return std::nullopt;
            if (!parseNumber(v, options.seed))
                return bad(v);
        } else if (arg == "--drop-bytes" || arg == "--garbage" || arg == "--cr-in-data") {
            if (!value(v))
                return std::nullopt;
            double &target = arg == "--drop-bytes" ? options.dropBytes
                             : arg == "--garbage"  ? options.garbage
                                                   : options.crInData;
            if (!parseProbability(v, target))
                return bad(v);
        } else {
            error = "unknown option '" + std::string(argv[i]) + "'";
            return std::nullopt;
        }
    }
    if (!options.device.empty() && !options.link.empty()) {
        error = "--link applies to a pseudo-terminal, not to --device";
        return std::nullopt;
    }
    if (options.vanishCycle && options.vanishAfter == 0) {
        error = "--vanish-cycle needs --vanish-after N";
        return std::nullopt;
    }
    return options;
}

} // namespace vireo::sim
