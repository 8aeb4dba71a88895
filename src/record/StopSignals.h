#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

namespace vireo {

// SIGINT, SIGTERM and SIGHUP end a run in order instead of killing it: the handler only writes
// the signal's number into a pipe, and the event loop reads it and asks the run to stop, so
// that nothing but the loop's own thread touches the run. A broken pipe on standard output is
// an error of the write, not a death.
class StopSignals : public QObject {
    Q_OBJECT
public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;
    StopSignals(const StopSignals &) = delete;
    StopSignals &operator=(const StopSignals &) = delete;

signals:
    void stopRequested(int signalNumber);

private:
    void readPipe();

    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace vireo
