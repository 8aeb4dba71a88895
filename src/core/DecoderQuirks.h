#pragma once

namespace vireo {

// The ways a model's display frames differ from the shipped model's. A build with several
// model switches on has every quirk of each.
struct DecoderQuirks {
    // Function 9 is the ranged milliampere function and function F the 10 A one.
    bool swappedCurrentFunctions = false;
    // The voltage range whose point sits on the third digit plots on -600..400.
    bool offsetVoltageAxis = false;
    // Diode and continuity show three digits; continuity adds the ohm sign to its unit.
    bool threeDigitDiodeAndContinuity = false;
    // The lowest frequency range plots on the narrow axis whatever the Celsius bit says.
    bool frequencyAxisIgnoresCelsiusBit = false;
    // The lowest frequency range plots on -6..6 while the Celsius bit is clear.
    bool narrowFrequencyAxis = false;
    // Continuity lights the ohm sign and reads in ohm.
    bool continuityInOhm = false;
    // AC lights the true-RMS marks in place of the AC mark.
    bool trueRmsAcMarks = false;
    // The RS-232 marks never show.
    bool noSerialMarks = false;

    DecoderQuirks &operator|=(const DecoderQuirks &other);
    bool operator==(const DecoderQuirks &) const = default;
};

} // namespace vireo
