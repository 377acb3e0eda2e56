#pragma once
// A string's sample brought to the engine's rate, once: libsoxr at its high quality. The result
// is never louder than the source: when conversion overshoots the source's peak, the whole sound
// is scaled back to it, and nothing is clipped.
//
// Thread: any; no shared state.

#include <cstdint>
#include <span>
#include <vector>

namespace zembera::engine {

// Mono frames at `fromRate` (full scale ±1) as 16-bit frames at `toRate`; empty when they cannot
// be converted. At the same rate the frames are only scaled, so 16-bit sources keep every value.
std::vector<std::int16_t> convertRate(std::span<const float> mono, double fromRate, double toRate);

} // namespace zembera::engine
