#pragma once

#include "core/LogTable.h"
#include "record/RecordOptions.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vireo {

class DurableFile;

// Where the rows of a run go: a log file that reaches the disk within a second of each row,
// written by a thread of its own, or standard output. A file that exists is appended to (rows
// go on after its last whole line), or started afresh when asked.
class RecordOutput : public QObject {
    Q_OBJECT
public:
    RecordOutput(const RecordOptions &options, std::string decimalSep, QObject *parent = nullptr);
    ~RecordOutput() override;
    RecordOutput(const RecordOutput &) = delete;
    RecordOutput &operator=(const RecordOutput &) = delete;

    // Starts the file. False, with the reason, for a file that holds something other than a
    // log of this format: rows appended to it would spoil both.
    bool open(QString *error);
    // The number of the last row of the file this run appends to, when it has one.
    std::optional<std::int32_t> lastRecordNo() const { return m_lastRecordNo; }
    QString where() const;

    void append(const LogRow &row);
    // Writes what is pending and syncs it; the file then ends with a whole row.
    void close();

signals:
    // The output cannot be written (a full disk, a lost mount, a closed pipe); rows that come
    // after are dropped. Once only.
    void failed(const QString &message);

private:
    bool checkExisting(QString *error);
    void writeOut(std::string_view bytes);
    void fail(const QString &message);

    const RecordOptions &m_options;
    const std::string m_decimalSep;
    std::unique_ptr<DurableFile> m_file;
    std::optional<std::int32_t> m_lastRecordNo;
    std::string m_line;
    bool m_failed = false;
};

} // namespace vireo
