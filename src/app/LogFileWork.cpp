#include "app/LogFileWork.h"

#include "app/SlicedWork.h"
#include "app/WholeFile.h"
#include "core/LogFileText.h"
#include "core/LogFileXml.h"
#include "core/LogTable.h"

#include <QFile>

#include <algorithm>
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

} // namespace

QString saveLogFile(const LogTable &table, const QString &name, bool xml, QWidget *parent)
{
    WholeFileWriter file(name);
    const std::size_t rows = table.rowCount();
    std::string buffer;
    buffer.reserve(WriteBytes + StepRows * 128);
    if (xml)
        appendLogXmlHead(buffer);
    else
        appendLogTextHeader(buffer);
    std::size_t next = 0;
    const auto step = [&] {
        const std::size_t end = std::min(rows, next + StepRows);
        if (xml)
            appendLogXmlRows(table, next, end, buffer);
        else
            appendLogTextRows(table, next, end, buffer);
        next = end;
        if (next == rows && xml)
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

bool loadLogFile(const QString &name, bool xml, LogTable &table, QWidget *parent)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    const std::span<const std::uint8_t> data(
        reinterpret_cast<const std::uint8_t *>(bytes.constData()),
        static_cast<std::size_t>(bytes.size()));
    const QString label = QStringLiteral("Loading the table...");
    const bool large = data.size() >= LargeFileBytes;
    if (xml) {
        LogXmlLoader loader(data);
        runInSlices(
            parent, label, large, loader.totalBytes(), [&] { return loader.step(table, StepRows); },
            [&] { return loader.progress(); });
        return loader.ok();
    }
    LogTextLoader loader(data);
    runInSlices(
        parent, label, large, loader.totalBytes(), [&] { return loader.step(table, StepRows); },
        [&] { return loader.bytesRead(); });
    return loader.ok();
}

} // namespace vireo
