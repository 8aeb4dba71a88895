#pragma once

#include "core/HidIntake.h"
#include "core/ModelTable.h"
#include "links/JvHidPnPInfo.h"
#include "record/MeterSource.h"

#include <functional>
#include <memory>
#include <optional>

namespace vireo {

class HidPlatform;
class TJvHidDevice;
class TJvHidDeviceController;

// The meter through its "USB to Serial" adapter: the window's HID controller, the adapter's
// configuration report and the intake of its reports. The adapter is held for the whole run;
// unplugged, it is waited for, and the same adapter (by its USB port and serial number) is
// configured and read again when it is back. Other devices coming and going change nothing.
class UsbSource : public MeterSource {
    Q_OBJECT
public:
    // `node` names the adapter's hidraw node; empty takes the first adapter found.
    UsbSource(const QString &node, const ModelSetup &setup, std::shared_ptr<HidPlatform> platform,
              QObject *parent = nullptr);
    ~UsbSource() override;

    bool open(QString *error) override;
    void close() override;
    QString name() const override;

private:
    bool claim(const std::function<bool(TJvHidDevice &)> &wanted);
    void startReading();
    void deviceChange();
    void takeReport(std::uint8_t reportId, const std::uint8_t *data, std::uint16_t size);

    const QString m_node;
    const ModelSetup m_setup;
    TJvHidDeviceController *m_controller;
    std::unique_ptr<TJvHidDevice> m_adapter;
    // The adapter this run reads, kept while it is unplugged.
    std::optional<TJvHidPnPInfo> m_identity;
    HidIntake m_intake;
    bool m_open = false;
};

} // namespace vireo
