#include "record/SerialSource.h"

#include "links/ComDrv32.h"

namespace vireo {

SerialSource::SerialSource(const QString &port, int comPort, const ModelSetup &setup,
                           QObject *parent)
    : MeterSource(parent), m_port(port), m_driver(new TCommPortDriver(this))
{
    if (comPort >= 1 && comPort <= 4)
        m_driver->SetComPort(static_cast<TComPortNumber>(comPort - 1));
    else
        m_driver->SetDevicePath(port);
    if (const std::optional<TComPortBaudRate> speed = baudRateOf(setup.serialSpeed))
        m_driver->SetComPortSpeed(*speed);
    // The other frame family is never decoded: nothing of it could become a row.
    if (setup.collector == SerialCollector::Heron)
        m_driver->OnReceiveData = [this](TCommPortDriver *, const std::uint8_t *data,
                                         std::int32_t size) {
            collectHeron(m_frames, {data, static_cast<std::size_t>(size)},
                         [this] { emit frame(m_frames.FrameText); });
        };
}

bool SerialSource::open(QString *error)
{
    if (m_driver->OpenPort())
        return true;
    *error = m_driver->lastOpenError();
    return false;
}

void SerialSource::close()
{
    m_driver->ClosePort();
}

} // namespace vireo
