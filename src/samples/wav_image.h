#pragma once
// The bytes of a canonical WAV file holding 16-bit mono frames: the 44-byte header, then the
// frames, little-endian.
//
// Thread: any (pure).

#include <cstdint>
#include <span>
#include <vector>

namespace zembera {

std::vector<std::uint8_t> wavFileBytes(std::span<const std::int16_t> frames, std::uint32_t rate);

} // namespace zembera
