#include "samples/wav_image.h"

#include "samples/wav_header.h"

namespace zembera {

std::vector<std::uint8_t> wavFileBytes(std::span<const std::int16_t> frames, std::uint32_t rate) {
    WavHeader header;
    BuildWavHeader(header, static_cast<std::int64_t>(frames.size()), 1,
                   static_cast<std::int32_t>(rate), 16);
    const auto head = headerBytes(header);
    std::vector<std::uint8_t> bytes(head.begin(), head.end());
    bytes.reserve(head.size() + 2 * frames.size());
    for (const std::int16_t v : frames) {
        const auto bits = static_cast<std::uint16_t>(v);
        bytes.push_back(static_cast<std::uint8_t>(bits));
        bytes.push_back(static_cast<std::uint8_t>(bits >> 8));
    }
    return bytes;
}

} // namespace zembera
