#include "core/ModelTable.h"

namespace vireo {

ModelSwitches ModelSwitches::shipped()
{
    ModelSwitches s;
    s.IFOsprey = true;
    return s;
}

CountClass countClassFor(std::string_view scaleKind)
{
    std::int32_t full = 4000;
    if (scaleKind == "6")
        full = 6000;
    else if (scaleKind == "34")
        full = 3400;
    CountClass c;
    c.ScaleKind = full == 6000 ? "6" : full == 3400 ? "34" : "4";
    c.FullScaleCount = full;
    c.ScaleCenter = full / 10;
    c.BarMidPos = full / 100;
    c.ScaleSpan = 2 * full / 100;
    c.LimitHigh = static_cast<float>(full + 2);
    c.LimitLow = -static_cast<float>(full + 2);
    c.MaxCount = -static_cast<float>(full + 1);
    c.MinCount = static_cast<float>(full + 1);
    return c;
}

namespace {

// Everything one model changes. Fields marked "leaves alone" let a row say nothing about them.
struct ModelRow {
    bool ModelSwitches::*sw;
    const char *title; // nullptr: the row leaves the title and the collector alone
    SerialCollector collector;
    std::uint32_t speed;   // 0: the row leaves the serial speed alone
    const char *scaleKind; // nullptr: the row leaves the count class alone
    bool firstDigitThree;
    UsbReportHandler usbHandler; // None: the row binds no handler
    std::uint32_t adapterSpeed;  // 0: the row names no adapter speed
    DecoderQuirks quirks;
};

// Tested in this order. A later row's title, collector, serial speed and count class overwrite
// an earlier one's; the earliest row naming a USB handler binds it; the slowest adapter speed
// any row names is announced; quirks add up.
constexpr ModelRow kModelRows[] = {
    {&ModelSwitches::IFWren,
     "OEM Tanager Interface Program _Ver: 2.00",
     SerialCollector::Wren,
     0,
     nullptr,
     true,
     UsbReportHandler::Wren,
     2400,
     {}},
    {&ModelSwitches::Egret,
     "Egret Interface Program _Ver: 2.00",
     SerialCollector::Wren,
     0,
     nullptr,
     true,
     UsbReportHandler::None,
     0,
     {}},
    {&ModelSwitches::IFHeron,
     "Heron Interface Program _Ver: 1.00",
     SerialCollector::Heron,
     0,
     nullptr,
     false,
     UsbReportHandler::None,
     2400,
     {.narrowFrequencyAxis = true}},
    {&ModelSwitches::IFPlover,
     "Plover Interface Program _Ver: 2.06",
     SerialCollector::Heron,
     0,
     "34",
     false,
     UsbReportHandler::None,
     0,
     {.narrowFrequencyAxis = true, .continuityInOhm = true}},
    {&ModelSwitches::IFOsprey,
     "Vireo Interface Program Ver: 3.10",
     SerialCollector::Heron,
     19200,
     "4",
     false,
     UsbReportHandler::Heron,
     19200,
     {.trueRmsAcMarks = true, .noSerialMarks = true}},
    {&ModelSwitches::IFKestrel,
     "Kestrel USB Interface Program _Ver: 1.00",
     SerialCollector::Heron,
     19200,
     "4",
     false,
     UsbReportHandler::None,
     0,
     {}},
    {&ModelSwitches::IFSiskin,
     "Siskin Interface Program _Ver: 1.00",
     SerialCollector::Heron,
     0,
     "6",
     false,
     UsbReportHandler::None,
     2400,
     {}},
    {&ModelSwitches::IFFinch,
     nullptr,
     SerialCollector::None,
     0,
     nullptr,
     false,
     UsbReportHandler::None,
     0,
     {.swappedCurrentFunctions = true,
      .offsetVoltageAxis = true,
      .threeDigitDiodeAndContinuity = true,
      .frequencyAxisIgnoresCelsiusBit = true}},
};

} // namespace

ModelSetup applyModelSwitches(const ModelSwitches &switches)
{
    ModelSetup setup;
    std::string scaleKind = "4";
    std::uint32_t adapterSpeed = 0;
    for (const ModelRow &row : kModelRows) {
        if (!(switches.*row.sw))
            continue;
        if (row.title != nullptr) {
            setup.titleSet = true;
            setup.title = row.title;
            setup.collector = row.collector;
        }
        if (row.speed != 0)
            setup.serialSpeed = row.speed;
        if (row.scaleKind != nullptr)
            scaleKind = row.scaleKind;
        setup.firstDigitThree = setup.firstDigitThree || row.firstDigitThree;
        if (setup.usbHandler == UsbReportHandler::None)
            setup.usbHandler = row.usbHandler;
        if (row.adapterSpeed != 0 && (adapterSpeed == 0 || row.adapterSpeed < adapterSpeed))
            adapterSpeed = row.adapterSpeed;
        setup.quirks |= row.quirks;
    }
    setup.counts = countClassFor(scaleKind);
    if (adapterSpeed != 0)
        setup.adapterSpeed = adapterSpeed;
    return setup;
}

} // namespace vireo
