#include "core/HidIntake.h"

#include <algorithm>

namespace vireo {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void appendHex(std::string &out, std::uint8_t byte)
{
    out.push_back(kHexDigits[byte >> 4]);
    out.push_back(kHexDigits[byte & 0x0F]);
}

// The low digit of each byte of a hex text (every second character), at most `count` of them.
std::string lowDigits(std::string_view hexText, std::size_t count)
{
    std::string digits;
    for (std::size_t i = 1; i < hexText.size() && digits.size() < count; i += 2)
        digits.push_back(hexText[i]);
    return digits;
}

void appendUtf8(std::string &out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Device strings come from the device: a lone surrogate becomes U+FFFD rather than bad UTF-8.
std::string toUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((char32_t(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            appendUtf8(out, 0xFFFD);
        } else {
            appendUtf8(out, c);
        }
    }
    return out;
}

void appendHex4(std::string &out, std::uint16_t value)
{
    appendHex(out, static_cast<std::uint8_t>(value >> 8));
    appendHex(out, static_cast<std::uint8_t>(value & 0xFF));
}

} // namespace

HidReportOutcome HidIntake::take(std::uint8_t ReportID, std::span<const std::uint8_t> Data)
{
    HidReportOutcome outcome;
    if (!Data.empty()) {
        outcome.kind = HidReportKind::Idle;
        const std::size_t count = Data[0] & 0x0F;
        if (count >= 1 && count <= 9) {
            outcome.kind = HidReportKind::Data;
            HidBurstActive = true;
            const std::size_t held = std::min(count, Data.size() - 1);
            for (std::size_t i = 1; i <= held && HidHexText.size() < 2 * MaxBurstBytes; ++i)
                appendHex(HidHexText, Data[i]);
            std::string line = "R ";
            appendHex(line, ReportID);
            line += "  ";
            for (std::uint8_t byte : Data) {
                appendHex(line, byte);
                line.push_back(' ');
            }
            outcome.historyLine = std::move(line);
            return outcome;
        }
    }
    if (HidBurstActive) {
        outcome.finishedBurst = std::move(HidHexText);
        HidHexText.clear();
    }
    HidBurstActive = false;
    return outcome;
}

HeronBurstFrame finishHeronBurst(std::string_view hexText)
{
    const std::string digits = lowDigits(hexText, 11);
    HeronBurstFrame frame;
    if (digits.size() == 11)
        frame.FrameText = digits.substr(10, 1) + digits.substr(0, 10);
    else
        frame.FrameText = digits;
    frame.framed = frame.FrameText.size() == 11 && frame.FrameText.front() == 'A' &&
                   frame.FrameText.back() == 'D';
    return frame;
}

std::string finishWrenBurst(std::string_view hexText)
{
    return lowDigits(hexText, 14);
}

AdapterFeatureReport adapterFeatureReport(std::uint32_t speed)
{
    return {0x00,
            static_cast<std::uint8_t>(speed & 0xFF),
            static_cast<std::uint8_t>((speed >> 8) & 0xFF),
            static_cast<std::uint8_t>((speed >> 16) & 0xFF),
            static_cast<std::uint8_t>((speed >> 24) & 0xFF),
            0x03,
            0x00,
            0x00,
            0x00,
            0x00};
}

std::string featureReportLine(std::span<const std::uint8_t> report)
{
    std::string line;
    for (std::size_t i = 1; i < report.size(); ++i) {
        appendHex(line, report[i]);
        line.push_back(' ');
    }
    return line;
}

std::string HidDeviceName(std::u16string_view productString, std::u16string_view serialString,
                          std::uint16_t vendorId, std::uint16_t productId)
{
    std::string name;
    if (!productString.empty()) {
        name = toUtf8(productString);
    } else {
        name = "Device VID=";
        appendHex4(name, vendorId);
        name += " PID=";
        appendHex4(name, productId);
    }
    if (!serialString.empty())
        name += " (Serial=" + toUtf8(serialString) + ")";
    return name;
}

} // namespace vireo
