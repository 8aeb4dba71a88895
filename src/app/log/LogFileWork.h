#pragma once

#include <QString>

class QWidget;

namespace vireo {

class LogTable;

// Log files of any length: the table written or read a slice at a time, under a progress box
// when the log is long (see runInSlices()).

// Writes the table to the file as the XML data packet or as tab-separated text. Returns the
// system's reason for a failure, or an empty text when the file was written.
QString saveLogFile(const LogTable &table, const QString &name, bool xml, QWidget *parent);

// Appends the rows of the file to the table. False when the file cannot be read or does not
// make rows; a text file then keeps the rows of its earlier lines, a data packet adds nothing.
bool loadLogFile(const QString &name, bool xml, LogTable &table, QWidget *parent);

} // namespace vireo
