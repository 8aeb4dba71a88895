#pragma once

#include "app/report/LogReportPreview.h"
#include "core/Judgement.h"
#include "core/RecordGate.h"
#include "store/StampSource.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QCheckBox;
class QLineEdit;
class QTimer;
class QToolButton;
class QWidget;

namespace vireo {

class FormDialogs;
class LogIntake;
class LogGrid;
class LogTable;
class RecoveryFile;
struct DurableError;

// The reading log: the record bar (RepeatSet, RecordSI, RecordSITime and the file, report and
// close buttons), the sampling timer Trecord, the record menu, the log table cds1 and its grid
// DBGrid1, the log files and printed report, and this run's recovery file, which keeps every
// logged row on disk until it is saved or cleared.
class ReadingLog : public QObject {
    Q_OBJECT
public:
    // Takes its controls from the window design in `window`.
    ReadingLog(QWidget *window, FormDialogs &dialogs);
    ~ReadingLog() override;

    // Creates the empty log table and shows it in the grid.
    void createTable();
    LogTable *table() { return cds1.get(); }
    RecordGate &gate() { return recordGate; }
    // The locale's decimal separator, with which logged values are read as numbers.
    void setDecimalSeparator(const std::string &decimalSep) { m_decimalSep = decimalSep; }
    // Offers a reading to the sampling and repeat gates: the number of its row when it is to
    // be logged, nothing when it is not.
    std::optional<std::int32_t> offer(const std::string &value, const std::string &func,
                                      const std::string &unit, const std::string &range);
    // Logs a reading the gates took as row recordNo, stamped with the moment and kept with the
    // verdict it was given.
    void append(std::int32_t recordNo, const std::string &value, const std::string &func,
                const std::string &unit, const std::string &range, Verdict verdict);
    // Offers back the rows that earlier runs logged and never saved, and restores them when
    // the user takes the offer.
    void restoreEarlierRuns();

    void RecordNewClick();
    void TrecordTimer();
    void RecordSITimeChange();
    bool RecordSITimeKeyPress(QChar key);
    void N10001Click();
    void N50001Click();
    void N100001Click();
    void N500001Click();
    void N1000001Click();
    void limitessClick();
    void saveasClick();
    bool SaveTableToFile(const LogTable &table, const QString &name);
    void OpenDataFilesClick();
    bool LoadTableFromFile(const QString &name, LogTable &table, bool clearFirst);
    void BtPrintClick();

signals:
    // The log was closed; the chart starts over.
    void logCleared();

private:
    void wire();
    void checkRecordLimit(QAction *item, std::int32_t limit);
    // The moment a row logged now carries.
    RowStamp stamp();
    void showRecoveryError(const DurableError &error);

    FormDialogs &m_dialogs;
    QWidget *m_window;
    QCheckBox *RepeatSet, *RecordSI;
    QLineEdit *RecordSITime;
    QToolButton *RecordNew, *OpenDataFiles, *saveas, *BtPrint;
    LogGrid *DBGrid1;
    QAction *New1, *N10001, *N50001, *N100001, *N500001, *N1000001, *limitess;
    QTimer *Trecord;
    std::unique_ptr<LogTable> cds1;
    std::string m_recoveryFolder;
    std::unique_ptr<RecoveryFile> m_recovery;
    // Where live readings join cds1 and the recovery file (they wait there while a file is
    // loaded or saved).
    std::unique_ptr<LogIntake> intake;
    RecordGate recordGate;
    std::int32_t MaxRecords = 10000;
    bool m_intervalErrorShown = false;
    LogReportPreview m_preview;
    QString m_lastOpenName;
    std::string m_decimalSep;
    StampSource m_stamps;
    std::string m_timeSeparator;
    std::chrono::steady_clock::time_point m_timeSeparatorUntil;
};

} // namespace vireo
