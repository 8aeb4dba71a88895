// The meter links: port selection, the serial connection and the link watchdog.
#include "app/HeronF.h"

#include "app/FormDialogs.h"
#include "app/FormWidgets.h"
#include "links/ComDrv32.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

namespace vireo {

void TFCOMM::buildLinks()
{
    COMM2 = new TCommPortDriver(this);
    COMM2->setObjectName(QStringLiteral("COMM2"));
    COMM2->SetComPort(pnCOM1);
    COMM2->SetComPortSpeed(br2400);
    CommPortDriver1 = new TCommPortDriver(this);
    CommPortDriver1->setObjectName(QStringLiteral("CommPortDriver1"));
    CommPortDriver1->SetComPort(pnCOM1);

    connect(BtCOM1, &ClickPanel::clicked, this, [this] { COM21Click(); });
    connect(BtCOM2, &ClickPanel::clicked, this, [this] { COM31Click(); });
    connect(BtCOM3, &ClickPanel::clicked, this, [this] { COM41Click(); });
    connect(BtCOM4, &ClickPanel::clicked, this, [this] { COM11Click(); });
    connect(COM11, &QAction::triggered, this, [this] { COM11Click(); });
    connect(COM21, &QAction::triggered, this, [this] { COM21Click(); });
    connect(COM31, &QAction::triggered, this, [this] { COM31Click(); });
    connect(COM41, &QAction::triggered, this, [this] { COM41Click(); });
    connect(BTCon, &ClickPanel::clicked, this, [this] { BTCon1Click(); });
    connect(START1, &QAction::triggered, this, [this] { BTCon1Click(); });
    connect(BtDiscon, &ClickPanel::clicked, this, [this] { BtDiscon1Click(); });
    connect(STOP1, &QAction::triggered, this, [this] { BtDiscon1Click(); });

    for (ToggleButton *b : {COMCon, USBCon, ReadBtn}) {
        connect(b, &ToggleButton::clicked, this, [this, b] {
            // The button is already in its new state; the others of its group let go
            // without running their handlers.
            if (b->isDown()) {
                for (ToggleButton *other : {COMCon, USBCon, ReadBtn}) {
                    if (other != b && other->groupIndex() == b->groupIndex())
                        other->setDown(false);
                }
            }
            if (b == COMCon)
                COMConClick();
            else if (b == USBCon)
                USBConClick();
            else
                ReadBtnClick();
        });
    }
}

void TFCOMM::bindSerialCollector(SerialCollector collector)
{
    switch (collector) {
    case SerialCollector::Heron:
        COMM2->OnReceiveData = [this](TCommPortDriver *, const std::uint8_t *data,
                                      std::int32_t size) {
            HHeronBRData(data, static_cast<std::uint32_t>(size));
        };
        break;
    case SerialCollector::Wren:
        COMM2->OnReceiveData = [this](TCommPortDriver *, const std::uint8_t *data,
                                      std::int32_t size) {
            HWrenBRData(data, static_cast<std::uint32_t>(size));
        };
        break;
    case SerialCollector::None:
        COMM2->OnReceiveData = nullptr;
        break;
    }
}

void TFCOMM::selectPort(int port)
{
    QAction *items[] = {COM11, COM21, COM31, COM41};
    ClickPanel *panels[] = {BtCOM1, BtCOM2, BtCOM3, BtCOM4};
    for (int i = 0; i < 4; ++i) {
        items[i]->setChecked(i == port);
        panels[i]->setVisible(i == port);
    }
    COMM2->SetComPort(static_cast<TComPortNumber>(port));
}

void TFCOMM::COM11Click()
{
    selectPort(0);
}
void TFCOMM::COM21Click()
{
    selectPort(1);
}
void TFCOMM::COM31Click()
{
    selectPort(2);
}
void TFCOMM::COM41Click()
{
    selectPort(3);
}

void TFCOMM::COMConClick()
{
    if (COMCon->isDown())
        BTCon1Click();
    else
        BtDiscon1Click();
}

void TFCOMM::BTCon1Click()
{
    ComSetup1->setEnabled(false);
    START1->setChecked(true);
    START1->setEnabled(false);
    STOP1->setEnabled(true);
    STOP1->setChecked(false);
    if (!COMM2->OpenPort()) {
        // Showing the open state over a port that is not open would leave the user waiting
        // for readings that cannot come: say why and stay closed.
        BtDiscon1Click();
        COMCon->setDown(false);
        dialogs().information(QStringLiteral("Serial port COM%1 could not be opened, please "
                                             "check and re-try.\n%2")
                                  .arg(static_cast<int>(COMM2->ComPort()) + 1)
                                  .arg(COMM2->lastOpenError()));
        return;
    }
    BTCon->hide();
    BtDiscon->show();
    for (ClickPanel *p : {BtCOM1, BtCOM2, BtCOM3, BtCOM4})
        p->setEnabled(false);
}

void TFCOMM::BtDiscon1Click()
{
    ComSetup1->setEnabled(true);
    START1->setChecked(false);
    START1->setEnabled(true);
    STOP1->setEnabled(false);
    STOP1->setChecked(true);
    COMM2->ClosePort();
    BTCon->show();
    BtDiscon->hide();
    for (ClickPanel *p : {BtCOM1, BtCOM2, BtCOM3, BtCOM4})
        p->setEnabled(true);
}

void TFCOMM::StartClick()
{
    COMM2->OpenPort();
}
void TFCOMM::StopClick()
{
    COMM2->ClosePort();
}
void TFCOMM::Bcom1Click()
{
    COMM2->SetComPort(pnCOM1);
}
void TFCOMM::BCOM2Click()
{
    COMM2->SetComPort(pnCOM2);
}

void TFCOMM::ConTimerTimer()
{
    const LinkWatchdog::Tick tick = watchdog.tick();
    if (tick.usbStalled)
        stopStalledUsbReading();
    if (tick.linkIdle) {
        CONok->hide();
        CONokN->show();
    }
}

} // namespace vireo
