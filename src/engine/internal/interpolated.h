#pragma once
// The interpolated resampling of a sample to another pitch: the sample played at a whole-hertz
// play rate, round(44100 * targetHz / nominalHz), brought to the output by linear interpolation.
// The source frames per output frame are playRate / 44100 whatever the engine's rate, since the
// source is already at that rate.
//
// Thread: any; no shared state.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zembera::engine {

// round(fileRate * targetHz / nominalHz); 0 when that is not a usable rate (not positive, not
// finite, or beyond 32 bits).
std::uint32_t playRate(double fileRate, double nominalHz, double targetHz);

// The frames of `source` read with a step of `step` source frames per output frame:
// floor((N - 1) / step) + 1 of them, at most `maxFrames`. Frame i is a + (b - a) * f rounded to
// the nearest, where a and b are the source frames around i * step and f its fraction.
std::size_t interpolatedLength(std::size_t sourceCount, double step, std::size_t maxFrames);
void interpolateInto(std::span<const std::int16_t> source, double step, std::int16_t* out,
                     std::size_t count);

} // namespace zembera::engine
