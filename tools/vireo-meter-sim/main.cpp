// vireo-meter-sim: a digital multimeter on a pseudo-terminal or a tty, for the demo, the tests
// and soak runs. See --help.
#include "FrameSource.h"
#include "LineFaults.h"
#include "SimOptions.h"
#include "SimPort.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

using namespace vireo::sim;

namespace {

// Long enough for a reader that has just opened the port to have discarded what waited.
constexpr int kSettleMs = 100;
// Bytes of the next frame sent before the line goes away mid-stream.
constexpr std::size_t kPartialFrameBytes = 5;
// 19200 baud, and ten bit times per byte with start and stop bits.
constexpr double kLineBytesPerSecond = 19200.0 / 10.0;

volatile std::sig_atomic_t g_countAsked = 0;

extern "C" void onStopSignal(int)
{
    g_stop = 1;
}

extern "C" void onCountSignal(int)
{
    g_countAsked = 1;
}

void installSignalHandlers()
{
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no restart: a pending sleep or write returns at once
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    struct sigaction count {};
    count.sa_handler = onCountSignal;
    sigemptyset(&count.sa_mask);
    count.sa_flags = SA_RESTART;
    sigaction(SIGUSR1, &count, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

// Benchmarks ask how many frames went out, to relate the reader's CPU time to them.
void reportCountIfAsked(std::uint64_t sent)
{
    if (g_countAsked == 0)
        return;
    g_countAsked = 0;
    std::fprintf(stderr, "frames sent: %llu\n", static_cast<unsigned long long>(sent));
    std::fflush(stderr);
}

void announce(const SimPort &port)
{
    std::printf("%s\n", port.path().c_str());
    std::fflush(stdout);
}

// Keeps frames on an absolute schedule, so chunking pauses and write times do not slow the
// average rate; after a long stall it starts afresh instead of bursting to catch up.
class Pacer {
public:
    void restart() { m_next = Clock::now(); }
    bool wait(double seconds)
    {
        m_next +=
            std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
        const auto now = Clock::now();
        if (m_next < now - std::chrono::seconds(1))
            m_next = now;
        return sleepUntil(m_next);
    }

private:
    using Clock = std::chrono::steady_clock;
    Clock::time_point m_next = Clock::now();
};

bool send(SimPort &port, LineFaults &faults, const std::vector<std::uint8_t> &bytes)
{
    std::size_t at = 0;
    for (const std::size_t size : faults.chunkSizes(bytes.size())) {
        if (at > 0 && !sleepUntil(std::chrono::steady_clock::now() + faults.chunkPause()))
            return true;
        if (!port.write(std::span(bytes).subspan(at, size)))
            return false;
        at += size;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    std::string error;
    const auto options = parseOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "vireo-meter-sim: %s (see --help)\n", error.c_str());
        return 2;
    }
    if (options->help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    auto source = FrameSource::create(*options, error);
    if (!source) {
        std::fprintf(stderr, "vireo-meter-sim: %s\n", error.c_str());
        return 2;
    }
    installSignalHandlers();
    std::mt19937 random(options->seed);
    LineFaults faults(*options, random);
    SimPort port;
    if (!port.open(options->device, options->link, error)) {
        std::fprintf(stderr, "vireo-meter-sim: %s\n", error.c_str());
        return 1;
    }
    announce(port);

    std::uint64_t sent = 0;
    std::uint64_t sentThisCycle = 0;
    bool attached = false;
    Pacer pacer;
    while (!g_stop) {
        reportCountIfAsked(sent);
        if (!port.readerPresent()) {
            attached = false;
            sleepMs(20);
            continue;
        }
        if (!attached) {
            if (!sleepMs(kSettleMs) || !port.readerPresent())
                continue;
            attached = true;
            // The end of a frame before, so that the first whole frame can be decoded.
            const std::vector<std::uint8_t> lineFeed{0x0A};
            port.write(lineFeed);
            pacer.restart();
        }

        const std::vector<std::uint8_t> bytes = faults.apply(source->next());
        if (!send(port, faults, bytes)) {
            std::fprintf(stderr, "vireo-meter-sim: writing to %s failed\n", port.path().c_str());
            return 1;
        }
        ++sent;
        ++sentThisCycle;

        if (options->count != 0 && sent >= options->count) {
            port.linger();
            break;
        }
        if (options->vanishAfter != 0 && sentThisCycle >= options->vanishAfter) {
            const auto &next = source->next().bytes;
            const std::size_t partial = std::min(kPartialFrameBytes, next.size());
            port.write(std::span(next).first(partial));
            port.linger();
            port.close();
            if (!options->vanishCycle || !sleepMs(options->downMs))
                break;
            if (!port.open(options->device, options->link, error)) {
                std::fprintf(stderr, "vireo-meter-sim: %s\n", error.c_str());
                return 1;
            }
            announce(port);
            attached = false;
            sentThisCycle = 0;
            continue;
        }
        const double seconds = options->lineRate
                                   ? static_cast<double>(bytes.size()) / kLineBytesPerSecond
                                   : 1.0 / options->rate;
        pacer.wait(seconds);
    }
    port.close();
    return 0;
}
