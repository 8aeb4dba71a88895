#include "core/MaxMinTracker.h"

namespace vireo {

MaxMinTracker MaxMinTracker::forCounts(const CountClass &counts)
{
    MaxMinTracker t;
    t.MaxCount = counts.MaxCount;
    t.MinCount = counts.MinCount;
    return t;
}

MaxMinReadout MaxMinTracker::take(const MeterReading &r, const CountClass &counts)
{
    if (r.UnitText == PrevUnitText && r.point == PrevPointPos) {
        if (r.ReadingCount >= MaxCount) {
            MaxValueText = r.ValueText;
            MaxCount = r.ReadingCount;
        }
        if (r.ReadingCount <= MinCount) {
            MinValueText = r.ValueText;
            MinCount = r.ReadingCount;
        }
    } else {
        const auto full = static_cast<float>(counts.FullScaleCount + 1);
        PrevUnitText = r.UnitText;
        MaxCount = -full;
        MinCount = full;
    }
    PrevPointPos = r.point;
    return {MaxValueText, MinValueText, r.UnitText, r.UnitText};
}

} // namespace vireo
