#pragma once
// A sound ready for the mixer: 16-bit little-endian mono samples at the output rate. The samples
// may lie inside a WAV image or in a converted copy; `owner` keeps whichever it is alive for as
// long as a voice plays it.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace zembera {

struct PcmSound {
    std::shared_ptr<const void> owner;  // null for "no sound"
    const std::uint8_t* data = nullptr; // 2 * frames bytes
    std::size_t frames = 0;
};

} // namespace zembera
