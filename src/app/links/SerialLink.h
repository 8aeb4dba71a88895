#pragma once

#include "core/ModelTable.h"

#include <QObject>

#include <cstdint>

class QAction;
class QLabel;
class QMenu;
class QTimer;
class QWidget;

namespace vireo {

class ClickPanel;
class FormDialogs;
class LinkWatchdog;
class TCommPortDriver;
class ToggleButton;

// The serial link: the port panels and menu, the connect button and panels, the port driver
// COMM2, and the watchdog timer ConTimer with the link picture it keeps.
class SerialLink : public QObject {
    Q_OBJECT
public:
    // Takes its controls from the window design in `window`; ConTimer ticks `watchdog`.
    SerialLink(QWidget *window, FormDialogs &dialogs, LinkWatchdog &watchdog);

    // Where received bytes go and at which speed the port runs; set by the model.
    void bindSerialCollector(SerialCollector collector);
    void setSpeed(std::uint32_t bitsPerSecond);
    // A frame arrived on either link: the picture lights and the watchdog starts over.
    void frameSeen();

    TCommPortDriver &port() { return *COMM2; }

    void COM11Click();
    void COM21Click();
    void COM31Click();
    void COM41Click();
    void COMConClick();
    void BTCon1Click();
    void BtDiscon1Click();
    void StartClick();
    void StopClick();
    void Bcom1Click();
    void BCOM2Click();
    void ConTimerTimer();

signals:
    // Bytes of the port for the 11-byte (Heron) and the 14-byte (Wren) frame collectors.
    void heronBytes(const std::uint8_t *data, std::uint32_t size);
    void wrenBytes(const std::uint8_t *data, std::uint32_t size);
    // The watchdog gave up on a USB adapter that sends no meter bytes.
    void usbStalled();

private:
    void wire();
    void selectPort(int port);
    // CONok while frames are decoded, CONokN otherwise.
    void showLinkPicture(bool active);

    FormDialogs &m_dialogs;
    LinkWatchdog &m_watchdog;
    ClickPanel *BtCOM1, *BtCOM2, *BtCOM3, *BtCOM4;
    ToggleButton *COMCon;
    ClickPanel *BTCon, *BtDiscon;
    QLabel *CONok, *CONokN;
    QMenu *ComSetup1;
    QAction *COM11, *COM21, *COM31, *COM41, *START1, *STOP1;
    TCommPortDriver *COMM2;
    // The design's second port component; nothing opens it.
    TCommPortDriver *CommPortDriver1;
    QTimer *ConTimer;
};

} // namespace vireo
