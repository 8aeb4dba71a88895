#pragma once

#include "core/LinkWatchdog.h"
#include "core/ModelTable.h"
#include "core/RecordGate.h"
#include "record/RecordOptions.h"
#include "store/StampSource.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QString>

#include <cstdint>
#include <string>

class QTimer;

namespace vireo {

class MeterSource;
class RecordOutput;
struct LogRow;

// One run of the recorder: the road of a reading from the link to the output, as the window
// takes it from the link to its log: the decoder, the sampling and repeat gates, the row with
// its date and time, the judgement against the limits. Also when the run ends: after a time,
// after a number of rows, on a signal, or when the output cannot be written.
class Recorder : public QObject {
    Q_OBJECT
public:
    enum ExitCode { Done = 0, DeviceUnavailable = 2, OutputFailed = 3 };

    // `decimalSep` is the locale's, with which the decoder writes values and the limits read.
    Recorder(const RecordOptions &options, const ModelSetup &setup, const QString &decimalSep,
             MeterSource &source, RecordOutput &output, QObject *parent = nullptr);

    // Opens the link, then the output, and starts logging; false, with the reason said and the
    // exit code set, when either cannot be opened.
    bool start();
    // Ends the run in order: the link closed, every row handed over written and synced.
    void stop();
    int exitCode() const { return m_exitCode; }

    // The road of one frame text framed by "A" and "D".
    void takeFrame(const std::string &frameText);

signals:
    void finished(int exitCode);

private:
    void everySecond();
    void armDeadline();
    void outputFailed(const QString &message);
    void printReading(const LogRow &row);

    const RecordOptions &m_options;
    const ModelSetup m_setup;
    MeterSource &m_source;
    RecordOutput &m_output;
    const std::string m_decimalSep;
    const std::string m_timeSeparator;
    const std::string m_interval;
    const std::string m_high;
    const std::string m_low;
    StampSource m_stamps;
    RecordGate m_gate;
    LinkWatchdog m_watchdog;
    QTimer *m_second;
    QTimer *m_deadlineTimer;
    QDeadlineTimer m_deadline;
    std::uint64_t m_rows = 0;
    bool m_silenceSaid = false;
    bool m_stopped = false;
    int m_exitCode = Done;
    std::string m_line;
};

} // namespace vireo
