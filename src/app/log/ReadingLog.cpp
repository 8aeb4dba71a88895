#include "app/log/ReadingLog.h"

#include "app/log/LogGrid.h"
#include "app/log/LogIntake.h"
#include "app/window/EditKeyFilter.h"
#include "app/window/FormDialogs.h"
#include "app/window/WindowDesign.h"
#include "core/KeyFilters.h"
#include "core/LogTable.h"
#include "core/TimeFormat.h"
#include "store/RecoveryFile.h"

#include <QAction>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QLocale>
#include <QTimer>
#include <QToolButton>

namespace vireo {

RowStamp ReadingLog::stamp()
{
    // Reading the locale costs more than the rest of a row, and a meter at line rate logs many
    // rows a second: its time separator is read again once a second.
    const auto now = std::chrono::steady_clock::now();
    if (now >= m_timeSeparatorUntil) {
        m_timeSeparator =
            timeSeparator(QLocale::system().timeFormat(QLocale::ShortFormat).toStdString());
        m_timeSeparatorUntil = now + std::chrono::seconds(1);
    }
    return m_stamps.now(m_timeSeparator);
}

ReadingLog::ReadingLog(QWidget *window, FormDialogs &dialogs)
    : QObject(window), m_dialogs(dialogs), m_window(window),
      RepeatSet(designed<QCheckBox>(window, "RepeatSet")),
      RecordSI(designed<QCheckBox>(window, "RecordSI")),
      RecordSITime(designed<QLineEdit>(window, "RecordSITime")),
      RecordNew(designed<QToolButton>(window, "RecordNew")),
      OpenDataFiles(designed<QToolButton>(window, "OpenDataFiles")),
      saveas(designed<QToolButton>(window, "saveas")),
      BtPrint(designed<QToolButton>(window, "BtPrint")),
      DBGrid1(designed<LogGrid>(window, "DBGrid1")), New1(designed<QAction>(window, "New1")),
      N10001(designed<QAction>(window, "N10001")), N50001(designed<QAction>(window, "N50001")),
      N100001(designed<QAction>(window, "N100001")), N500001(designed<QAction>(window, "N500001")),
      N1000001(designed<QAction>(window, "N1000001")),
      limitess(designed<QAction>(window, "limitess")), Trecord(new QTimer(this)),
      m_recoveryFolder(RecoveryFile::defaultFolder()),
      m_recovery(std::make_unique<RecoveryFile>(m_recoveryFolder, [this](const DurableError &e) {
          // On the file's own thread: the box is shown on the window's.
          QMetaObject::invokeMethod(
              this, [this, e] { showRecoveryError(e); }, Qt::QueuedConnection);
      }))
{
    Trecord->setObjectName(QStringLiteral("Trecord"));
    Trecord->setInterval(1000);
    wire();
    Trecord->start();
}

ReadingLog::~ReadingLog() = default;

void ReadingLog::wire()
{
    connect(RecordSITime, &QLineEdit::textChanged, this, &ReadingLog::RecordSITimeChange);
    filterKeys(RecordSITime, [this](QChar k) { return RecordSITimeKeyPress(k); });
    connect(RecordNew, &QToolButton::clicked, this, &ReadingLog::RecordNewClick);
    connect(OpenDataFiles, &QToolButton::clicked, this, &ReadingLog::OpenDataFilesClick);
    connect(saveas, &QToolButton::clicked, this, &ReadingLog::saveasClick);
    connect(BtPrint, &QToolButton::clicked, this, &ReadingLog::BtPrintClick);
    connect(New1, &QAction::triggered, this, &ReadingLog::RecordNewClick);
    connect(N10001, &QAction::triggered, this, &ReadingLog::N10001Click);
    connect(N50001, &QAction::triggered, this, &ReadingLog::N50001Click);
    connect(N100001, &QAction::triggered, this, &ReadingLog::N100001Click);
    connect(N500001, &QAction::triggered, this, &ReadingLog::N500001Click);
    connect(N1000001, &QAction::triggered, this, &ReadingLog::N1000001Click);
    connect(limitess, &QAction::triggered, this, &ReadingLog::limitessClick);
    connect(Trecord, &QTimer::timeout, this, &ReadingLog::TrecordTimer);
}

void ReadingLog::createTable()
{
    cds1 = std::make_unique<LogTable>();
    DBGrid1->setTable(cds1.get());
    intake = std::make_unique<LogIntake>(*cds1, *DBGrid1, *m_recovery, m_decimalSep);
    recordGate = RecordGate{};
}

std::optional<std::int32_t> ReadingLog::offer(const std::string &value, const std::string &func,
                                              const std::string &unit, const std::string &range)
{
    const GateDecision decision =
        recordGate.offer({value, func, unit, range}, RepeatSet->isChecked(), RecordSI->isChecked(),
                         RecordSITime->text().toStdString());
    if (decision.action == GateDecision::Action::Fail) {
        // A pasted interval that is no integer fails every reading until it is mended: say so
        // once per text, not once per frame, and never stack boxes while one is open.
        if (!m_intervalErrorShown) {
            m_intervalErrorShown = true;
            m_dialogs.error(QGuiApplication::applicationDisplayName(),
                            QString::fromStdString(decision.error));
        }
        return std::nullopt;
    }
    if (decision.action != GateDecision::Action::Log)
        return std::nullopt;
    return decision.recordNo;
}

void ReadingLog::append(std::int32_t recordNo, const std::string &value, const std::string &func,
                        const std::string &unit, const std::string &range, Verdict verdict)
{
    const RowStamp now = stamp();
    intake->append(LogRow{recordNo, now.time, func, value, unit, range, now.dateTime, verdict});
}

void ReadingLog::RecordNewClick()
{
    if (!m_dialogs.askYesNo(QStringLiteral("Do you want to delete this record?")))
        return;
    if (cds1->rowCount() > 0) {
        cds1->clear();
        DBGrid1->reset();
    }
    // No row is left that only the recovery file would keep.
    m_recovery->startAfresh();
    recordGate.logCleared();
    emit logCleared();
}

void ReadingLog::TrecordTimer()
{
    recordGate.tick(RecordSI->isChecked());
}

void ReadingLog::RecordSITimeChange()
{
    m_intervalErrorShown = false;
    const std::string error = recordGate.intervalChanged(RecordSITime->text().toStdString());
    if (!error.empty()) {
        m_intervalErrorShown = true;
        m_dialogs.error(QGuiApplication::applicationDisplayName(), QString::fromStdString(error));
    }
}

bool ReadingLog::RecordSITimeKeyPress(QChar key)
{
    return intervalKeyAccepted(key.unicode());
}

void ReadingLog::checkRecordLimit(QAction *item, std::int32_t limit)
{
    MaxRecords = limit;
    for (QAction *a : {N10001, N50001, N100001, N500001, N1000001, limitess})
        a->setChecked(a == item);
}

void ReadingLog::N10001Click()
{
    checkRecordLimit(N10001, 1000);
}
void ReadingLog::N50001Click()
{
    checkRecordLimit(N50001, 5000);
}
void ReadingLog::N100001Click()
{
    checkRecordLimit(N100001, 10000);
}
void ReadingLog::N500001Click()
{
    checkRecordLimit(N500001, 50000);
}
void ReadingLog::N1000001Click()
{
    checkRecordLimit(N1000001, 100000);
}
void ReadingLog::limitessClick()
{
    checkRecordLimit(limitess, 10000000);
}

} // namespace vireo
