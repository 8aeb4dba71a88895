#pragma once

#include "core/DecoderQuirks.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vireo {

// The hidden model switches of the main window. One build serves one meter model;
// which switches are on decides the title, the serial collector and speed, the count
// class, the USB report handler and adapter speed, and the decoder's quirks.
struct ModelSwitches {
    bool IFWren = false;
    bool IFHeron = false;
    bool IFPlover = false;
    bool IFFinch = false;
    bool IFOsprey = false;
    bool IFKestrel = false;
    bool IFSiskin = false;
    // Present in the window for older builds; nothing reads them.
    bool IFLinnet = false;
    bool IFCurlew = false;
    bool IFPetrel = false;
    bool IFMerlin = false;
    bool Egret = false;
    bool Ibis = false;

    // The configuration this program ships with: only IFOsprey on.
    static ModelSwitches shipped();
};

enum class SerialCollector { None, Heron, Wren };
enum class UsbReportHandler { None, Heron, Wren };

// Full-scale constants of one count class ("4", "34" or "6").
struct CountClass {
    std::string ScaleKind;
    std::int32_t FullScaleCount = 0;
    std::int32_t ScaleCenter = 0;
    std::int32_t BarMidPos = 0;
    std::int32_t ScaleSpan = 0;
    float LimitHigh = 0;
    float LimitLow = 0;
    float MaxCount = 0;
    float MinCount = 0;
};

CountClass countClassFor(std::string_view scaleKind);

// What the start-up sequence derives from the switches.
struct ModelSetup {
    bool titleSet = false;
    std::string title;
    SerialCollector collector = SerialCollector::None;
    std::uint32_t serialSpeed = 2400;
    bool firstDigitThree = false;
    CountClass counts;
    // Bound as the selected adapter's report handler when the USB link connects.
    UsbReportHandler usbHandler = UsbReportHandler::None;
    // Line speed announced to the USB adapter in its configuration report.
    std::uint32_t adapterSpeed = 2400;
    DecoderQuirks quirks;
};

ModelSetup applyModelSwitches(const ModelSwitches &switches);

} // namespace vireo
