#include "core/MeterFrame.h"

#include <algorithm>
#include <cstdlib>

namespace vireo {

namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";

std::optional<std::uint8_t> hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return static_cast<std::uint8_t>(c - '0');
    if (c >= 'A' && c <= 'F')
        return static_cast<std::uint8_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f')
        return static_cast<std::uint8_t>(c - 'a' + 10);
    return std::nullopt;
}
} // namespace

void MeterFrame::setCount(int count)
{
    if (count < 0)
        status |= Status::Negative;
    else
        status &= static_cast<std::uint8_t>(~Status::Negative);
    // Widened so that the most negative int has a magnitude too.
    long long magnitude = std::min(std::llabs(count), static_cast<long long>(MaxCount));
    for (auto digit = digits.rbegin(); digit != digits.rend(); ++digit) {
        *digit = static_cast<std::uint8_t>(magnitude % 10);
        magnitude /= 10;
    }
}

std::array<std::uint8_t, MeterFrame::DataSize> MeterFrame::nibbles() const
{
    const std::array<std::uint8_t, DataSize> fields{
        range, digits[0], digits[1], digits[2], digits[3], function, status, option1, option2};
    std::array<std::uint8_t, DataSize> result{};
    std::transform(fields.begin(), fields.end(), result.begin(),
                   [](std::uint8_t v) { return static_cast<std::uint8_t>(v & 0x0F); });
    return result;
}

std::array<std::uint8_t, MeterFrame::WireSize> MeterFrame::bytes() const
{
    std::array<std::uint8_t, WireSize> wire{};
    const auto data = nibbles();
    std::transform(data.begin(), data.end(), wire.begin(),
                   [](std::uint8_t n) { return static_cast<std::uint8_t>(0x30 | n); });
    wire[DataSize] = 0x0D;
    wire[DataSize + 1] = 0x0A;
    return wire;
}

std::string MeterFrame::nibbleText() const
{
    std::string text;
    text.reserve(DataSize);
    for (const std::uint8_t n : nibbles())
        text.push_back(kHexDigits[n]);
    return text;
}

std::string MeterFrame::frameText() const
{
    // Built in place: GCC 12 at -O3 sees a false overlap (-Wrestrict) in "A" + text + "D".
    std::string text(1, 'A');
    text += nibbleText();
    text += 'D';
    return text;
}

std::optional<MeterFrame> MeterFrame::fromNibbleText(std::string_view text)
{
    if (text.size() != DataSize)
        return std::nullopt;
    std::array<std::uint8_t, DataSize> n{};
    for (std::size_t i = 0; i < DataSize; ++i) {
        const auto value = hexValue(text[i]);
        if (!value)
            return std::nullopt;
        n[i] = *value;
    }
    MeterFrame frame;
    frame.range = n[0];
    frame.digits = {n[1], n[2], n[3], n[4]};
    frame.function = n[5];
    frame.status = n[6];
    frame.option1 = n[7];
    frame.option2 = n[8];
    return frame;
}

} // namespace vireo
