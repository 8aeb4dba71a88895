#pragma once

#include <QString>

#include <string_view>

class QWidget;

namespace vireo {

class EarlierRuns;
class LogTable;
class RecoveryFile;

// Log files of any length: the table written or read a slice at a time, under a progress box
// when the log is long (see runInSlices()).

enum class LogFileFormat {
    // Tab-separated text (.xls, .txt).
    Text,
    // The XML data packet (.xml).
    Xml,
    // CSV with dates (.csv); its Number column reads the values with the decimal separator.
    Csv,
};

// Writes the table to the file. Returns the system's reason for a failure, or an empty text
// when the file was written.
QString saveLogFile(const LogTable &table, const QString &name, LogFileFormat format,
                    std::string_view decimalSep, QWidget *parent);

// Appends the rows of the file to the table. False when the file cannot be read or does not
// make rows; a text or CSV file then keeps the rows before the damage, a data packet adds
// nothing.
bool loadLogFile(const QString &name, LogFileFormat format, LogTable &table, QWidget *parent);

// Restores the rows that earlier runs left unsaved into the table and into this run's
// recovery file.
void restoreLogRows(EarlierRuns &runs, LogTable &table, RecoveryFile &into,
                    std::string_view decimalSep, QWidget *parent);

} // namespace vireo
