#include "core/DecoderQuirks.h"

namespace vireo {

DecoderQuirks &DecoderQuirks::operator|=(const DecoderQuirks &other)
{
    swappedCurrentFunctions = swappedCurrentFunctions || other.swappedCurrentFunctions;
    offsetVoltageAxis = offsetVoltageAxis || other.offsetVoltageAxis;
    threeDigitDiodeAndContinuity =
        threeDigitDiodeAndContinuity || other.threeDigitDiodeAndContinuity;
    frequencyAxisIgnoresCelsiusBit =
        frequencyAxisIgnoresCelsiusBit || other.frequencyAxisIgnoresCelsiusBit;
    narrowFrequencyAxis = narrowFrequencyAxis || other.narrowFrequencyAxis;
    continuityInOhm = continuityInOhm || other.continuityInOhm;
    trueRmsAcMarks = trueRmsAcMarks || other.trueRmsAcMarks;
    noSerialMarks = noSerialMarks || other.noSerialMarks;
    return *this;
}

} // namespace vireo
