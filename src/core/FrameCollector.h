#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vireo {

// The frame texts shared by the two serial collectors and the USB report path: one
// upper-case hex digit (the low nibble) per received byte.
struct FrameCollector {
    // A stream without carriage returns (wrong speed, wrong meter) must not grow the text
    // under assembly without end. Once it holds this many characters, further characters
    // are not kept until the next end byte. Keeping the front rather than the back means
    // only stretches longer than this lose characters, and then only at their end: the
    // framing test reads characters 1 and 11 and the decoder 2 to 10, so every stretch is
    // judged and decoded exactly as if nothing were dropped, and stretches of up to 128
    // bytes (more than eleven whole frames) leave the same FrameText as well.
    static constexpr std::size_t RxNibblesLimit = 128;

    FrameCollector();

    // The frame under assembly; survives across chunks and across reconnections.
    std::string RxNibbles;
    // The last complete frame, as read by the decoder.
    std::string FrameText;
};

// True when the text starts with "A" and its eleventh character is "D": the line feed
// that ended the previous frame and the carriage return that ends this one.
bool isFramed(std::string_view text);

namespace detail {
inline char lowNibbleDigit(std::uint8_t byte)
{
    return "0123456789ABCDEF"[byte & 0x0F];
}

inline void appendNibble(std::string &text, std::uint8_t byte)
{
    if (text.size() < FrameCollector::RxNibblesLimit)
        text.push_back(lowNibbleDigit(byte));
}

// Empties the text under assembly on every way out of a frame's callback, so a decoder
// that fails cannot leave the next frame misaligned.
class ClearOnExit {
public:
    explicit ClearOnExit(std::string &text) : m_text(text) {}
    ClearOnExit(const ClearOnExit &) = delete;
    ClearOnExit &operator=(const ClearOnExit &) = delete;
    ~ClearOnExit() { m_text.clear(); }

private:
    std::string &m_text;
};
} // namespace detail

// Collector of the 11-byte frame family (HHeronBRData): every carriage return ends a frame;
// a frame framed by "A" and "D" is handed to onFrame(), which reads frames.FrameText.
// Runs once per received chunk at up to line rate, hence inline and allocation-free.
template <typename OnFrame>
void collectHeron(FrameCollector &frames, std::span<const std::uint8_t> data, OnFrame &&onFrame)
{
    for (const std::uint8_t byte : data) {
        detail::appendNibble(frames.RxNibbles, byte);
        if (byte != 0x0D)
            continue;
        frames.FrameText = frames.RxNibbles;
        const detail::ClearOnExit clear(frames.RxNibbles);
        if (isFramed(frames.FrameText))
            onFrame();
    }
}

// Collector of the 14-byte frame family (HWrenBRData): a byte 0xE0-0xEF ends a frame, which
// is only stored.
void collectWren(FrameCollector &frames, std::span<const std::uint8_t> data);

} // namespace vireo
