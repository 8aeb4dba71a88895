#pragma once

#include "core/FrameCollector.h"
#include "core/ModelTable.h"

#include <QObject>

#include <cstdint>
#include <string>

class QAction;
class QMenu;
class QWidget;

namespace vireo {

class ClickPanel;
class FormDialogs;
class TCommPortDriver;
class ToggleButton;

// The serial link: the port panels and menu, the connect button and panels, the port driver
// COMM2 and the frame collectors that turn its bytes into display frames.
class SerialLink : public QObject {
    Q_OBJECT
public:
    // Takes its controls from the window design in `window`.
    SerialLink(QWidget *window, FormDialogs &dialogs);

    // Which collector takes the received bytes and at which speed the port runs; set by the
    // model.
    void bindSerialCollector(SerialCollector collector);
    void setSpeed(std::uint32_t bitsPerSecond);

    // The 11-byte collector: each framed text is handed on as frameReceived.
    void HHeronBRData(const std::uint8_t *DataPtr, std::uint32_t DataSize);
    // The 14-byte collector: frames are only stored.
    void HWrenBRData(const std::uint8_t *DataPtr, std::uint32_t DataSize);

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

signals:
    // A display frame ("A", nine digits, "D") for the decoder, as the USB link hands one on.
    void frameReceived(const std::string &FrameText);

private:
    void wire();
    void selectPort(int port);

    FormDialogs &m_dialogs;
    ClickPanel *BtCOM1, *BtCOM2, *BtCOM3, *BtCOM4;
    ToggleButton *COMCon;
    ClickPanel *BTCon, *BtDiscon;
    QMenu *ComSetup1;
    QAction *COM11, *COM21, *COM31, *COM41, *START1, *STOP1;
    TCommPortDriver *COMM2;
    // The design's second port component; nothing opens it.
    TCommPortDriver *CommPortDriver1;
    FrameCollector frames; // RxNibbles, FrameText
};

} // namespace vireo
