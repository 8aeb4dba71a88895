#pragma once

#include "core/HidIntake.h"
#include "core/LinkWatchdog.h"

#include <QObject>

class QLabel;
class QTimer;
class QWidget;

namespace vireo {

// The state of the meter link, whichever link brings the frames: the watchdog timer ConTimer,
// the watchdog it ticks and the link picture (CONok while frames are decoded, CONokN
// otherwise).
class LinkStatus : public QObject {
    Q_OBJECT
public:
    // Takes its controls from the window design in `window`; ConTimer runs from the start.
    explicit LinkStatus(QWidget *window);

    // A frame arrived on either link: the picture lights and the watchdog starts over.
    void frameSeen();
    // An input report of the USB adapter, with or without meter bytes.
    void reportTaken(HidReportKind kind) { m_watchdog.reportTaken(kind); }
    // A USB reading starts or stops: earlier idle reports no longer count against it.
    void usbReadingRestarted() { m_watchdog.usbReadingRestarted(); }

    void ConTimerTimer();

signals:
    // The watchdog gave up on a USB adapter that sends no meter bytes.
    void usbStalled();

private:
    void wire();
    void showLinkPicture(bool active);

    QLabel *CONok, *CONokN;
    QTimer *ConTimer;
    LinkWatchdog m_watchdog;
};

} // namespace vireo
