#include "app/links/SerialLink.h"

#include "app/window/ClickPanel.h"
#include "app/window/FormDialogs.h"
#include "app/window/ToggleButton.h"
#include "app/window/WindowDesign.h"
#include "links/ComDrv32.h"

#include <QAction>
#include <QMenu>

namespace vireo {

SerialLink::SerialLink(QWidget *window, FormDialogs &dialogs)
    : QObject(window), m_dialogs(dialogs), BtCOM1(designed<ClickPanel>(window, "BtCOM1")),
      BtCOM2(designed<ClickPanel>(window, "BtCOM2")),
      BtCOM3(designed<ClickPanel>(window, "BtCOM3")),
      BtCOM4(designed<ClickPanel>(window, "BtCOM4")),
      COMCon(designed<ToggleButton>(window, "COMCon")),
      BTCon(designed<ClickPanel>(window, "BTCon")),
      BtDiscon(designed<ClickPanel>(window, "BtDiscon")),
      ComSetup1(designed<QMenu>(window, "ComSetup1")), COM11(designed<QAction>(window, "COM11")),
      COM21(designed<QAction>(window, "COM21")), COM31(designed<QAction>(window, "COM31")),
      COM41(designed<QAction>(window, "COM41")), START1(designed<QAction>(window, "START1")),
      STOP1(designed<QAction>(window, "STOP1")), COMM2(new TCommPortDriver(this)),
      CommPortDriver1(new TCommPortDriver(this))
{
    COMM2->setObjectName(QStringLiteral("COMM2"));
    COMM2->SetComPort(pnCOM1);
    COMM2->SetComPortSpeed(br2400);
    CommPortDriver1->setObjectName(QStringLiteral("CommPortDriver1"));
    CommPortDriver1->SetComPort(pnCOM1);
    wire();
}

void SerialLink::wire()
{
    // Each port panel shows the selected port; clicking it moves on to the next one.
    connect(BtCOM1, &ClickPanel::clicked, this, &SerialLink::COM21Click);
    connect(BtCOM2, &ClickPanel::clicked, this, &SerialLink::COM31Click);
    connect(BtCOM3, &ClickPanel::clicked, this, &SerialLink::COM41Click);
    connect(BtCOM4, &ClickPanel::clicked, this, &SerialLink::COM11Click);
    connect(COM11, &QAction::triggered, this, &SerialLink::COM11Click);
    connect(COM21, &QAction::triggered, this, &SerialLink::COM21Click);
    connect(COM31, &QAction::triggered, this, &SerialLink::COM31Click);
    connect(COM41, &QAction::triggered, this, &SerialLink::COM41Click);
    connect(COMCon, &ToggleButton::clicked, this, &SerialLink::COMConClick);
    connect(BTCon, &ClickPanel::clicked, this, &SerialLink::BTCon1Click);
    connect(START1, &QAction::triggered, this, &SerialLink::BTCon1Click);
    connect(BtDiscon, &ClickPanel::clicked, this, &SerialLink::BtDiscon1Click);
    connect(STOP1, &QAction::triggered, this, &SerialLink::BtDiscon1Click);
}

void SerialLink::bindSerialCollector(SerialCollector collector)
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

void SerialLink::setSpeed(std::uint32_t bitsPerSecond)
{
    if (const std::optional<TComPortBaudRate> speed = baudRateOf(bitsPerSecond))
        COMM2->SetComPortSpeed(*speed);
}

void SerialLink::HHeronBRData(const std::uint8_t *DataPtr, std::uint32_t DataSize)
{
    collectHeron(frames, std::span<const std::uint8_t>(DataPtr, DataSize),
                 [this] { emit frameReceived(frames.FrameText); });
}

void SerialLink::HWrenBRData(const std::uint8_t *DataPtr, std::uint32_t DataSize)
{
    collectWren(frames, std::span<const std::uint8_t>(DataPtr, DataSize));
}

void SerialLink::selectPort(int port)
{
    QAction *items[] = {COM11, COM21, COM31, COM41};
    ClickPanel *panels[] = {BtCOM1, BtCOM2, BtCOM3, BtCOM4};
    for (int i = 0; i < 4; ++i) {
        items[i]->setChecked(i == port);
        panels[i]->setVisible(i == port);
    }
    COMM2->SetComPort(static_cast<TComPortNumber>(port));
}

void SerialLink::COM11Click()
{
    selectPort(0);
}
void SerialLink::COM21Click()
{
    selectPort(1);
}
void SerialLink::COM31Click()
{
    selectPort(2);
}
void SerialLink::COM41Click()
{
    selectPort(3);
}

void SerialLink::COMConClick()
{
    if (COMCon->isDown())
        BTCon1Click();
    else
        BtDiscon1Click();
}

void SerialLink::BTCon1Click()
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
        m_dialogs.information(QStringLiteral("Serial port COM%1 could not be opened, please "
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

void SerialLink::BtDiscon1Click()
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

void SerialLink::StartClick()
{
    COMM2->OpenPort();
}
void SerialLink::StopClick()
{
    COMM2->ClosePort();
}
void SerialLink::Bcom1Click()
{
    COMM2->SetComPort(pnCOM1);
}
void SerialLink::BCOM2Click()
{
    COMM2->SetComPort(pnCOM2);
}

} // namespace vireo
