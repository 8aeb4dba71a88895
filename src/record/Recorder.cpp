#include "record/Recorder.h"

#include "core/Judgement.h"
#include "core/LogFileCsv.h"
#include "core/LogTable.h"
#include "core/MeterReading.h"
#include "core/TimeFormat.h"
#include "record/MeterSource.h"
#include "record/RecordOutput.h"
#include "record/Say.h"

#include <QLocale>
#include <QTimer>

#include <algorithm>
#include <climits>

namespace vireo {

namespace {

std::string localeTimeSeparator()
{
    return timeSeparator(QLocale::system().timeFormat(QLocale::ShortFormat).toStdString());
}

void appendWord(std::string &line, std::string_view word)
{
    if (word.empty())
        return;
    line += ' ';
    line += word;
}

} // namespace

Recorder::Recorder(const RecordOptions &options, const ModelSetup &setup, const QString &decimalSep,
                   MeterSource &source, RecordOutput &output, QObject *parent)
    : QObject(parent), m_options(options), m_setup(setup), m_source(source), m_output(output),
      m_decimalSep(decimalSep.toStdString()), m_timeSeparator(localeTimeSeparator()),
      m_interval(options.interval.value_or(QString()).toStdString()),
      m_high(options.high.value_or(QString()).toStdString()),
      m_low(options.low.value_or(QString()).toStdString()), m_second(new QTimer(this)),
      m_deadlineTimer(new QTimer(this))
{
    // The window's sampling timer: a free-running second, not measured from the last row.
    m_second->setInterval(1000);
    connect(m_second, &QTimer::timeout, this, &Recorder::everySecond);
    m_deadlineTimer->setSingleShot(true);
    connect(m_deadlineTimer, &QTimer::timeout, this, &Recorder::armDeadline);
    connect(&m_source, &MeterSource::frame, this, &Recorder::takeFrame);
    connect(&m_source, &MeterSource::notice, this, [](const QString &text) { say(text); });
    connect(&m_output, &RecordOutput::failed, this, &Recorder::outputFailed);
}

bool Recorder::start()
{
    QString error;
    if (!m_source.open(&error)) {
        say(error);
        m_exitCode = DeviceUnavailable;
        return false;
    }
    if (!m_output.open(&error)) {
        say(error);
        m_source.close();
        m_exitCode = OutputFailed;
        return false;
    }
    if (const std::optional<std::int32_t> last = m_output.lastRecordNo())
        m_gate.RecordNo = *last < INT32_MAX ? *last + 1 : 1;
    say(QStringLiteral("logging %1 to %2.").arg(m_source.name(), m_output.where()));
    m_second->start();
    if (m_options.durationMs) {
        m_deadline = QDeadlineTimer(*m_options.durationMs, Qt::PreciseTimer);
        armDeadline();
    }
    return true;
}

void Recorder::armDeadline()
{
    // A timer counts at most some 24 days at a time; a longer run is waited for in steps.
    constexpr std::int64_t StepMs = 24LL * 3600 * 1000;
    const std::int64_t left = m_deadline.remainingTime();
    if (left == 0) {
        stop();
        return;
    }
    m_deadlineTimer->start(static_cast<int>(std::min(left, StepMs)));
}

void Recorder::stop()
{
    if (std::exchange(m_stopped, true))
        return;
    m_second->stop();
    m_deadlineTimer->stop();
    m_source.close();
    m_output.close();
    emit finished(m_exitCode);
}

void Recorder::outputFailed(const QString &message)
{
    say(message + QStringLiteral(" The rows logged before it are in the file; the run ends."));
    m_exitCode = OutputFailed;
    stop();
}

void Recorder::everySecond()
{
    m_gate.tick(m_options.interval.has_value());
    if (m_watchdog.tick().linkIdle && !std::exchange(m_silenceSaid, true))
        say(QStringLiteral("the meter on %1 sends nothing; waiting for it.").arg(m_source.name()));
}

void Recorder::takeFrame(const std::string &frameText)
{
    if (m_stopped)
        return;
    m_watchdog.frameSeen();
    if (std::exchange(m_silenceSaid, false))
        say(QStringLiteral("the meter on %1 sends again.").arg(m_source.name()));

    MeterReading reading;
    // A frame with unreadable digits is no reading: it leaves the log as it was.
    if (!readFrame(frameText, m_setup.quirks, m_decimalSep, m_setup.counts, reading))
        return;
    const GateDecision decision =
        m_gate.offer({reading.ValueText, reading.FuncText, reading.UnitText, reading.RangeText},
                     !m_options.changesOnly, m_options.interval.has_value(), m_interval);
    if (decision.action != GateDecision::Action::Log)
        return;

    const RowStamp stamp = m_stamps.now(m_timeSeparator);
    std::optional<Verdict> verdict;
    if (m_options.judged())
        verdict = judge(reading.ValueText, m_high, m_low, m_decimalSep);
    const LogRow row{decision.recordNo, stamp.time,        reading.FuncText, reading.ValueText,
                     reading.UnitText,  reading.RangeText, stamp.dateTime,   verdict};
    m_output.append(row);
    if (!m_options.quiet)
        printReading(row);
    if (m_options.count && ++m_rows >= *m_options.count)
        stop();
}

void Recorder::printReading(const LogRow &row)
{
    // 2026-12-09 17:42:03.125  1.234 V DC AUTO: the local date and time as the row keeps it.
    m_line.clear();
    appendIsoDateTime(*row.DateTime, m_line);
    m_line.resize(std::min<std::size_t>(m_line.size(), 23));
    std::replace(m_line.begin(), m_line.end(), 'T', ' ');
    m_line += ' ';
    appendWord(m_line, row.Value);
    appendWord(m_line, writtenUnit(row.Unit));
    appendWord(m_line, row.Func);
    appendWord(m_line, row.Range);
    if (row.Verdict)
        appendWord(m_line, *row.Verdict == Verdict::Pass ? "Pass" : "Fail");
    m_line += '\n';
    writeWhole(STDERR_FILENO, m_line);
}

} // namespace vireo
