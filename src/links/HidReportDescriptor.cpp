#include "links/HidReportDescriptor.h"

#include <algorithm>
#include <vector>

namespace vireo {

HidReportLayout parseReportDescriptor(std::span<const std::uint8_t> descriptor)
{
    struct Globals {
        std::uint32_t reportSize = 0;
        std::uint32_t reportCount = 0;
        std::uint8_t reportId = 0;
    };
    constexpr std::uint64_t kMaxBits = 8 * 0xFFFEull;
    constexpr std::size_t kMaxPushDepth = 32;

    Globals globals;
    std::vector<Globals> pushed;
    std::array<std::uint64_t, 256> inputBits{};
    std::array<bool, 256> hasInput{};
    std::array<std::uint64_t, 256> featureBits{};
    std::array<bool, 256> hasFeature{};
    bool numbered = false;

    std::size_t i = 0;
    while (i < descriptor.size()) {
        const std::uint8_t prefix = descriptor[i];
        if (prefix == 0xFE) {
            if (i + 1 >= descriptor.size())
                break;
            i += 3 + descriptor[i + 1];
            continue;
        }
        const std::size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (i + 1 + size > descriptor.size())
            break;
        std::uint32_t value = 0;
        for (std::size_t k = 0; k < size; ++k)
            value |= static_cast<std::uint32_t>(descriptor[i + 1 + k]) << (8 * k);
        const int type = (prefix >> 2) & 3;
        const int tag = prefix >> 4;
        if (type == 0 && (tag == 0x8 || tag == 0xB)) {
            const bool input = tag == 0x8;
            std::uint64_t &bits = (input ? inputBits : featureBits)[globals.reportId];
            const std::uint64_t added =
                static_cast<std::uint64_t>(globals.reportSize) * globals.reportCount;
            bits = std::min(kMaxBits, bits + std::min(added, kMaxBits));
            (input ? hasInput : hasFeature)[globals.reportId] = true;
        } else if (type == 1) {
            switch (tag) {
            case 0x7:
                globals.reportSize = value;
                break;
            case 0x8:
                globals.reportId = static_cast<std::uint8_t>(value);
                numbered = true;
                break;
            case 0x9:
                globals.reportCount = value;
                break;
            case 0xA:
                if (pushed.size() < kMaxPushDepth)
                    pushed.push_back(globals);
                break;
            case 0xB:
                if (!pushed.empty()) {
                    globals = pushed.back();
                    pushed.pop_back();
                }
                break;
            default:
                break;
            }
        }
        i += 1 + size;
    }

    const auto bytesWithId = [](std::uint64_t bits) {
        return static_cast<std::uint16_t>((bits + 7) / 8 + 1);
    };
    HidReportLayout layout;
    layout.input.numbered = numbered;
    for (std::size_t id = 0; id < inputBits.size(); ++id) {
        if (hasInput[id])
            layout.input.InputReportByteLength =
                std::max(layout.input.InputReportByteLength, bytesWithId(inputBits[id]));
        if (hasFeature[id])
            layout.featureLength[id] = bytesWithId(featureBits[id]);
    }
    return layout;
}

} // namespace vireo
