#pragma once

#include "core/FrameCollector.h"
#include "core/ModelTable.h"
#include "record/MeterSource.h"

namespace vireo {

class TCommPortDriver;

// The meter on a serial port: the window's port driver, speed and frame collector. A device that
// goes away is waited for and read again when it is back, as in the window.
class SerialSource : public MeterSource {
    Q_OBJECT
public:
    // A device path, or COM1 to COM4 (`comPort` 1 to 4) numbered as the window numbers them.
    SerialSource(const QString &port, int comPort, const ModelSetup &setup,
                 QObject *parent = nullptr);

    bool open(QString *error) override;
    void close() override;
    QString name() const override { return m_port; }

private:
    const QString m_port;
    TCommPortDriver *m_driver;
    FrameCollector m_frames;
};

} // namespace vireo
