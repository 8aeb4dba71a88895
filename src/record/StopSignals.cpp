#include "record/StopSignals.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace vireo {

namespace {

// One pair for the process: a signal handler can reach nothing else.
int g_pipe[2] = {-1, -1};

void onSignal(int signalNumber)
{
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    // A full pipe already holds a stop that the loop has yet to read.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

StopSignals::StopSignals(QObject *parent) : QObject(parent)
{
    if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &StopSignals::readPipe);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signalNumber, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
}

StopSignals::~StopSignals()
{
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP})
        ::signal(signalNumber, SIG_DFL);
}

void StopSignals::readPipe()
{
    std::array<unsigned char, 16> bytes{};
    const ssize_t got = ::read(g_pipe[0], bytes.data(), bytes.size());
    if (got > 0)
        emit stopRequested(bytes[0]);
}

} // namespace vireo
