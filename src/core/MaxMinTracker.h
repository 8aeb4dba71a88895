#pragma once

#include "core/MeterReading.h"
#include "core/ModelTable.h"

#include <string>

namespace vireo {

// The max/min readout beside the LCD panel.
struct MaxMinReadout {
    std::string MaxText;
    std::string MinText;
    std::string MaxTextU;
    std::string MinTextU;

    bool operator==(const MaxMinReadout &) const = default;
};

// Running maximum and minimum of the readings; restarts when the unit or the decimal
// point position changes, so that a range or function change starts a new max/min.
struct MaxMinTracker {
    float MaxCount = 0;
    float MinCount = 0;
    std::string MaxValueText;
    std::string MinValueText;
    std::string PrevUnitText = "113"; // no frame produces this, so the first frame restarts
    int PrevPointPos = 0;

    static MaxMinTracker forCounts(const CountClass &counts);

    // Takes one reading into the max/min and returns the readout to show.
    MaxMinReadout take(const MeterReading &reading, const CountClass &counts);
};

} // namespace vireo
