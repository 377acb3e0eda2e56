#include "sound/wav_image.h"

#include <cstring>

#include "samples/wav_header.h"

namespace zembera {

SoundImagePtr buildResampledImage(const ResamplePlan& plan, std::span<const std::int16_t> source) {
    WavHeader header;
    BuildWavHeader(header, static_cast<std::int64_t>(plan.length), 1,
                   static_cast<std::int32_t>(kOutputRate), 16);
    auto image = std::make_shared<SoundImage>(WavHeader::kSize + 2 * plan.length);
    const auto head = headerBytes(header);
    std::memcpy(image->data(), head.data(), head.size());
    resampleInto(plan, source, image->data() + WavHeader::kSize);
    return image;
}

} // namespace zembera
