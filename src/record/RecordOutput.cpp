#include "record/RecordOutput.h"

#include "core/LogFileCsv.h"
#include "core/LogFileText.h"
#include "core/NumberText.h"
#include "store/DurableFile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vireo {

namespace {

// What a log of the format begins with, its line end included.
std::string headerOf(RecordOptions::Format format)
{
    std::string header;
    if (format == RecordOptions::Format::Csv) {
        appendLogCsvHeader(header);
    } else {
        appendLogTextHeader(header);
    }
    return header;
}

// The record number at the start of the file's last whole line, unless that line is the header.
std::optional<std::int32_t> lastNumberIn(QFile &file, qint64 headerSize)
{
    constexpr qint64 Tail = 4096;
    const qint64 from = std::max(headerSize, file.size() - Tail);
    if (!file.seek(from))
        return std::nullopt;
    const QByteArray tail = file.readAll();
    // A last line without its line break was cut short by a crash and is cut off on opening.
    const qsizetype end = tail.lastIndexOf('\n');
    if (end < 0)
        return std::nullopt;
    const qsizetype start = end > 0 ? tail.lastIndexOf('\n', end - 1) + 1 : 0;
    if (start == 0 && from != headerSize)
        return std::nullopt;
    const QByteArray line = tail.mid(start, end - start);
    qsizetype fieldEnd = 0;
    while (fieldEnd < line.size() && line.at(fieldEnd) != ',' && line.at(fieldEnd) != '\t')
        ++fieldEnd;
    return textToInt32(std::string_view(line.constData(), static_cast<std::size_t>(fieldEnd)));
}

} // namespace

RecordOutput::RecordOutput(const RecordOptions &options, std::string decimalSep, QObject *parent)
    : QObject(parent), m_options(options), m_decimalSep(std::move(decimalSep))
{
}

RecordOutput::~RecordOutput()
{
    close();
}

QString RecordOutput::where() const
{
    return m_options.toStdout() ? QStringLiteral("standard output") : m_options.out;
}

bool RecordOutput::checkExisting(QString *error)
{
    // Only a file that holds something is looked at: opening a pipe to read it would wait for
    // a writer.
    if (!QFileInfo(m_options.out).isFile())
        return true;
    QFile file(m_options.out);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0)
        return true;
    const std::string header = headerOf(m_options.format);
    const QByteArray start = file.read(static_cast<qint64>(header.size()));
    if (start.toStdString() != header) {
        *error = QStringLiteral("%1 is not a log of this kind: it does not begin with the line "
                                "\"%2\". Name another file, or give --force to start it afresh.")
                     .arg(m_options.out, QString::fromStdString(header.substr(0, header.size() - 2))
                                             .replace(QLatin1Char('\t'), QStringLiteral("\\t")));
        return false;
    }
    m_lastRecordNo = lastNumberIn(file, static_cast<qint64>(header.size()));
    return true;
}

bool RecordOutput::open(QString *error)
{
    const std::string header = headerOf(m_options.format);
    if (m_options.toStdout()) {
        // Standard output appended to an existing file (">>") goes on after its header.
        struct stat status = {};
        if (::fstat(STDOUT_FILENO, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size == 0)
            writeOut(header);
        return true;
    }
    if (!m_options.force && !checkExisting(error))
        return false;
    DurableFile::Options file;
    file.path = m_options.out.toStdString();
    file.start = m_options.force ? DurableFile::Start::Fresh : DurableFile::Start::Append;
    file.header = header;
    // A second recorder started on the same file by mistake must not mix its rows in.
    file.lock = true;
    file.onError = [this](const DurableError &failure) {
        const QString reason = failure.code == EWOULDBLOCK
                                   ? QStringLiteral("another program is writing it")
                                   : QString::fromStdString(failure.reason);
        const QString message = QStringLiteral("cannot write %1: %2.")
                                    .arg(QString::fromStdString(failure.path), reason);
        // The writer's own thread: the run hears of it on its own.
        QMetaObject::invokeMethod(
            this, [this, message] { fail(message); }, Qt::QueuedConnection);
    };
    m_file = std::make_unique<DurableFile>(std::move(file));
    return true;
}

void RecordOutput::append(const LogRow &row)
{
    if (m_failed)
        return;
    m_line.clear();
    if (m_options.format == RecordOptions::Format::Csv)
        appendLogCsvRow(row, m_decimalSep, m_line);
    else
        appendLogTextRow(row, m_line);
    if (m_file)
        m_file->append(m_line);
    else
        writeOut(m_line);
}

void RecordOutput::writeOut(std::string_view bytes)
{
    while (!bytes.empty() && !m_failed) {
        const ssize_t written = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
        } else if (written < 0 && errno == EAGAIN) {
            pollfd wait = {STDOUT_FILENO, POLLOUT, 0};
            ::poll(&wait, 1, -1);
        } else if (written == 0 || errno != EINTR) {
            fail(QStringLiteral("cannot write to standard output: %1.")
                     .arg(QString::fromLocal8Bit(std::strerror(written == 0 ? EIO : errno))));
        }
    }
}

void RecordOutput::fail(const QString &message)
{
    if (std::exchange(m_failed, true))
        return;
    emit failed(message);
}

void RecordOutput::close()
{
    if (m_file)
        m_file->close();
}

} // namespace vireo
