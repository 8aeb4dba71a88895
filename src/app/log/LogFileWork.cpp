#include "app/log/LogFileWork.h"

#include "app/log/SlicedWork.h"
#include "app/log/WholeFile.h"
#include "core/LogFileCsv.h"
#include "core/LogFileText.h"
#include "core/LogFileXml.h"
#include "core/LogTable.h"
#include "store/EarlierRuns.h"

#include <QFile>

#include <algorithm>
#include <optional>
#include <span>
#include <string>

namespace vireo {

namespace {

// Rows per slice step: a few milliseconds of work.
constexpr std::size_t StepRows = 16 * 1024;
// From here on the work takes long enough to be worth a progress box: about half a second
// on a slow machine.
constexpr std::size_t LargeRows = 500'000;
constexpr std::size_t LargeFileBytes = 16 * 1024 * 1024;
// Written to the file whenever this much has been built, so memory stays small however long
// the log.
constexpr std::size_t WriteBytes = 1024 * 1024;
constexpr std::size_t ReadBytes = 4 * 1024 * 1024;

} // namespace

QString saveLogFile(const LogTable &table, const QString &name, LogFileFormat format,
                    std::string_view decimalSep, QWidget *parent)
{
    WholeFileWriter file(name);
    const std::size_t rows = table.rowCount();
    std::string buffer;
    buffer.reserve(WriteBytes + StepRows * 128);
    switch (format) {
    case LogFileFormat::Text:
        appendLogTextHeader(buffer);
        break;
    case LogFileFormat::Xml:
        appendLogXmlHead(buffer);
        break;
    case LogFileFormat::Csv:
        appendLogCsvHeader(buffer);
        break;
    }
    std::size_t next = 0;
    const auto step = [&] {
        const std::size_t end = std::min(rows, next + StepRows);
        switch (format) {
        case LogFileFormat::Text:
            appendLogTextRows(table, next, end, buffer);
            break;
        case LogFileFormat::Xml:
            appendLogXmlRows(table, next, end, buffer);
            break;
        case LogFileFormat::Csv:
            appendLogCsvRows(table, next, end, decimalSep, buffer);
            break;
        }
        next = end;
        if (next == rows && format == LogFileFormat::Xml)
            appendLogXmlTail(buffer);
        if (buffer.size() >= WriteBytes || next == rows) {
            if (!file.write(buffer))
                return false;
            buffer.clear();
        }
        return next < rows;
    };
    runInSlices(parent, QStringLiteral("Saving the table..."), rows >= LargeRows, rows, step,
                [&] { return next; });
    return file.commit();
}

bool loadLogFile(const QString &name, LogFileFormat format, LogTable &table, QWidget *parent)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const auto size = static_cast<std::size_t>(std::max<qint64>(0, file.size()));
    QByteArray bytes;
    bytes.resize(static_cast<qsizetype>(size));
    std::size_t read = 0;
    bool readFailed = false;
    std::optional<LogTextLoader> text;
    std::optional<LogXmlLoader> packet;
    std::optional<LogCsvReader> csv;
    const auto startLoading = [&] {
        const std::span<const std::uint8_t> data(
            reinterpret_cast<const std::uint8_t *>(bytes.constData()),
            static_cast<std::size_t>(bytes.size()));
        switch (format) {
        case LogFileFormat::Text:
            text.emplace(data);
            break;
        case LogFileFormat::Xml:
            packet.emplace(data);
            break;
        case LogFileFormat::Csv:
            csv.emplace(data);
            break;
        }
    };
    const auto started = [&] { return text || packet || csv; };
    // The file is read in pieces too: hundreds of megabytes take a while even from the cache.
    const auto step = [&] {
        if (!started()) {
            const qint64 got = file.read(bytes.data() + read,
                                         static_cast<qint64>(std::min(ReadBytes, size - read)));
            if (got < 0) {
                readFailed = true;
                return false;
            }
            read += static_cast<std::size_t>(got);
            // A file that ends sooner than its size said (or has no size, as a pipe) is
            // whatever it held.
            if (got == 0 || read == size) {
                bytes.resize(static_cast<qsizetype>(read));
                if (read == size)
                    bytes.append(file.readAll());
                startLoading();
            }
            return true;
        }
        if (packet)
            return packet->step(table, StepRows);
        return csv ? csv->step(table, StepRows) : text->step(table, StepRows);
    };
    // Reading the file and making rows of it take about as long as each other.
    const auto done = [&] {
        const std::size_t loaded = packet ? packet->progress()
                                   : text ? text->bytesRead()
                                   : csv  ? csv->bytesRead()
                                          : 0;
        return (read + loaded) / 2;
    };
    runInSlices(parent, QStringLiteral("Loading the table..."), size >= LargeFileBytes, size, step,
                done);
    if (readFailed || file.error() != QFileDevice::NoError)
        return false;
    if (packet)
        return packet->ok();
    return csv ? csv->ok() : text->ok();
}

void restoreLogRows(EarlierRuns &runs, LogTable &table, RecoveryFile &into,
                    std::string_view decimalSep, QWidget *parent)
{
    runInSlices(
        parent, QStringLiteral("Restoring the table..."), runs.rowCount() >= LargeRows,
        runs.rowCount(), [&] { return runs.restoreStep(table, into, decimalSep, StepRows); },
        [&] { return runs.rowsRestored(); });
}

} // namespace vireo
