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

struct ModelRow {
    bool ModelSwitches::*sw;
    const char *title;
    SerialCollector collector;
    std::uint32_t speed;   // 0: the row leaves the speed alone
    const char *scaleKind; // nullptr: the row leaves the count class alone
    bool firstDigitThree;
};

// Tested in this order; a later row overwrites what an earlier one set.
constexpr ModelRow kModelRows[] = {
    {&ModelSwitches::IFWren, "OEM Tanager Interface Program _Ver: 2.00", SerialCollector::Wren, 0,
     nullptr, true},
    {&ModelSwitches::Egret, "Egret Interface Program _Ver: 2.00", SerialCollector::Wren, 0, nullptr,
     true},
    {&ModelSwitches::IFHeron, "Heron Interface Program _Ver: 1.00", SerialCollector::Heron, 0,
     nullptr, false},
    {&ModelSwitches::IFPlover, "Plover Interface Program _Ver: 2.06", SerialCollector::Heron, 0,
     "34", false},
    {&ModelSwitches::IFOsprey, "Vireo Interface Program Ver: 3.10", SerialCollector::Heron, 19200,
     "4", false},
    {&ModelSwitches::IFKestrel, "Kestrel USB Interface Program _Ver: 1.00", SerialCollector::Heron,
     19200, "4", false},
    {&ModelSwitches::IFSiskin, "Siskin Interface Program _Ver: 1.00", SerialCollector::Heron, 0,
     "6", false},
};

} // namespace

ModelSetup applyModelSwitches(const ModelSwitches &switches)
{
    ModelSetup setup;
    std::string scaleKind = "4";
    for (const ModelRow &row : kModelRows) {
        if (!(switches.*row.sw))
            continue;
        setup.titleSet = true;
        setup.title = row.title;
        setup.collector = row.collector;
        if (row.speed != 0)
            setup.serialSpeed = row.speed;
        if (row.scaleKind != nullptr)
            scaleKind = row.scaleKind;
        setup.firstDigitThree = setup.firstDigitThree || row.firstDigitThree;
    }
    setup.counts = countClassFor(scaleKind);
    return setup;
}

UsbReportHandler usbReportHandlerFor(const ModelSwitches &switches)
{
    if (switches.IFWren)
        return UsbReportHandler::Wren;
    if (switches.IFOsprey)
        return UsbReportHandler::Heron;
    return UsbReportHandler::None;
}

std::uint32_t adapterSpeedFor(const ModelSwitches &switches)
{
    std::uint32_t speed = 2400;
    if (switches.IFOsprey)
        speed = 19200;
    if (switches.IFWren || switches.IFHeron || switches.IFSiskin)
        speed = 2400;
    return speed;
}

} // namespace vireo
