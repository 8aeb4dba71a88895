#include "app/links/LinkStatus.h"

#include "app/window/WindowDesign.h"

#include <QLabel>
#include <QTimer>

namespace vireo {

LinkStatus::LinkStatus(QWidget *window)
    : QObject(window), CONok(designed<QLabel>(window, "CONok")),
      CONokN(designed<QLabel>(window, "CONokN")), ConTimer(new QTimer(this))
{
    ConTimer->setObjectName(QStringLiteral("ConTimer"));
    ConTimer->setInterval(100);
    wire();
    ConTimer->start();
}

void LinkStatus::wire()
{
    connect(ConTimer, &QTimer::timeout, this, &LinkStatus::ConTimerTimer);
}

void LinkStatus::frameSeen()
{
    showLinkPicture(true);
    m_watchdog.frameSeen();
}

void LinkStatus::showLinkPicture(bool active)
{
    // Every frame and every third watchdog tick ask for the picture that already shows;
    // showing a shown widget is not free.
    if (CONok->isHidden() == active)
        CONok->setVisible(active);
    if (CONokN->isHidden() != active)
        CONokN->setVisible(!active);
}

void LinkStatus::ConTimerTimer()
{
    const LinkWatchdog::Tick tick = m_watchdog.tick();
    if (tick.usbStalled)
        emit usbStalled();
    if (tick.linkIdle)
        showLinkPicture(false);
}

} // namespace vireo
