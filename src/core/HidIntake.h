#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vireo {

// An input report as the link watchdog counts it: a report with a payload but no meter bytes
// is idle; one without any payload is neither idle nor data.
enum class HidReportKind : std::uint8_t { Empty, Idle, Data };

// What one input report of the USB adapter did to the burst being collected.
struct HidReportOutcome {
    HidReportKind kind = HidReportKind::Empty;
    // Set for a data report: "R <id>  " and the payload bytes, for the history list.
    std::optional<std::string> historyLine;
    // Set when this report ended a burst: the burst's hex text, ready for a finisher.
    std::optional<std::string> finishedBurst;
};

// Collects the meter bytes that the adapter packs into input reports. The low four bits of a
// report's first payload byte count the meter bytes that follow (1 to 9); the first report
// without meter bytes ends the burst.
class HidIntake {
public:
    // The finishers read at most the first 14 bytes of a burst, so a burst whose end never
    // comes keeps only those instead of growing for as long as the meter streams.
    static constexpr std::size_t MaxBurstBytes = 14;

    HidReportOutcome take(std::uint8_t ReportID, std::span<const std::uint8_t> Data);

    // Two upper-case hex digits per meter byte of the current burst, at most MaxBurstBytes.
    std::string HidHexText;
    bool HidBurstActive = false;
};

struct HeronBurstFrame {
    std::string FrameText;
    // "A" first and "D" eleventh: a frame the decoder accepts.
    bool framed = false;
};

// 11-byte frames: the meter's nine data bytes, CR and LF arrive as "<9 digits>DA" and are
// rotated into "A<9 digits>D", the layout of the serial collector.
HeronBurstFrame finishHeronBurst(std::string_view hexText);

// 14-byte frames: the low digits of the first 14 bytes, not decoded.
std::string finishWrenBurst(std::string_view hexText);

// The adapter's configuration: report ID 0, line speed (little-endian), 0x03, four zeros.
using AdapterFeatureReport = std::array<std::uint8_t, 10>;
AdapterFeatureReport adapterFeatureReport(std::uint32_t speed);

// "%.2x " for each byte after the report ID.
std::string featureReportLine(std::span<const std::uint8_t> report);

// How a device is named in the device and history lists: its product string or its ids,
// then its serial number when it has one. Strings arrive as UTF-16 and leave as UTF-8.
std::string HidDeviceName(std::u16string_view productString, std::u16string_view serialString,
                          std::uint16_t vendorId, std::uint16_t productId);

} // namespace vireo
