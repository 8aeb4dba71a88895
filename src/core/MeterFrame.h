#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vireo {

// One display frame of the 11-byte meter family, by field. Encodes to the bytes a meter
// sends (nine data bytes, carriage return, line feed) for the simulator and for tests.
struct MeterFrame {
    static constexpr std::size_t DataSize = 9;
    static constexpr std::size_t WireSize = DataSize + 2;
    // Display counts of the 4000-count class fit four digits; anything larger is clipped.
    static constexpr int MaxCount = 9999;

    // Function nibble values.
    struct Function {
        static constexpr std::uint8_t Diode = 0x1;
        static constexpr std::uint8_t Frequency = 0x2;
        static constexpr std::uint8_t Resistance = 0x3;
        static constexpr std::uint8_t Temperature = 0x4;
        static constexpr std::uint8_t Continuity = 0x5;
        static constexpr std::uint8_t Capacitance = 0x6;
        static constexpr std::uint8_t Ampere = 0x9;
        static constexpr std::uint8_t Voltage = 0xB;
        static constexpr std::uint8_t Microampere = 0xD;
        static constexpr std::uint8_t HFE = 0xE;
        static constexpr std::uint8_t Milliampere = 0xF;
    };
    struct Status {
        static constexpr std::uint8_t Celsius = 8;
        static constexpr std::uint8_t Negative = 4;
        static constexpr std::uint8_t Battery = 2;
        static constexpr std::uint8_t Overload = 1;
    };
    struct Option1 {
        static constexpr std::uint8_t HOLD = 8;
        static constexpr std::uint8_t MAX = 4;
        static constexpr std::uint8_t MIN = 2;
    };
    struct Option2 {
        static constexpr std::uint8_t DC = 8;
        static constexpr std::uint8_t AC = 4;
        static constexpr std::uint8_t AUTO = 2;
        static constexpr std::uint8_t NoRS232 = 1;
    };

    // Every field is a nibble; only the low four bits of each are sent.
    std::uint8_t range = 0;
    std::array<std::uint8_t, 4> digits{};
    std::uint8_t function = Function::Voltage;
    std::uint8_t status = 0;
    std::uint8_t option1 = 0;
    std::uint8_t option2 = Option2::DC | Option2::AUTO;

    // Sets the four digits and the sign bit from a signed display count (decimal point
    // ignored), clipped to four digits.
    void setCount(int count);

    // The nine data nibbles in wire order.
    std::array<std::uint8_t, DataSize> nibbles() const;
    // The bytes on the wire. Data bytes carry 0x3 in the high nibble, as the meters'
    // display chips send them ("0"-"9" and ":"-"?"), so none of them is a carriage return.
    std::array<std::uint8_t, WireSize> bytes() const;
    // The nine data nibbles as upper-case hex digits.
    std::string nibbleText() const;
    // What the serial collector assembles for this frame: the previous frame's line feed,
    // the nine data nibbles and this frame's carriage return ("A" + nine digits + "D").
    std::string frameText() const;

    // Reads nine hex digits (either case) as the data nibbles; nothing for other texts.
    static std::optional<MeterFrame> fromNibbleText(std::string_view text);

    bool operator==(const MeterFrame &) const = default;
};

} // namespace vireo
