#include "core/FrameCollector.h"

namespace vireo {

FrameCollector::FrameCollector()
{
    // Appending then never reallocates; FrameText copies stay within its capacity too.
    RxNibbles.reserve(RxNibblesLimit);
    FrameText.reserve(RxNibblesLimit);
}

bool isFramed(std::string_view text)
{
    return text.size() >= 11 && text[0] == 'A' && text[10] == 'D';
}

void collectWren(FrameCollector &frames, std::span<const std::uint8_t> data)
{
    for (const std::uint8_t byte : data) {
        detail::appendNibble(frames.RxNibbles, byte);
        if ((byte & 0xF0) == 0xE0) {
            frames.FrameText = frames.RxNibbles;
            frames.RxNibbles.clear();
        }
    }
}

} // namespace vireo
