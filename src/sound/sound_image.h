#pragma once
// A sound image: the complete bytes of a WAV file held in memory. Once built it never changes;
// voices that play it share ownership, so rebuilding a string's sound never disturbs a note that
// is still sounding.

#include <cstdint>
#include <memory>
#include <vector>

namespace zembera {

using SoundImage = std::vector<std::uint8_t>;
using SoundImagePtr = std::shared_ptr<const SoundImage>;

} // namespace zembera
