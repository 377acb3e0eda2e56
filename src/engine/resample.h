#pragma once
// Resampling a sample to another pitch by index scaling at 44100 samples per second: output
// sample i (from 1) is source sample floor(ratio * i) + 1, with ratio = ft / fs rounded to a
// 32-bit float. No interpolation and no filtering.
//
// The output is at most `duration` seconds long, and no longer than the source allows:
// (N - 1) / 44100 * ratio seconds for N source samples. A rising note whose source runs out
// before that ends at the first i whose source index lies past the end; that last sample is 0.
//
// Thread: any; no shared state.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/sound_limits.h"

namespace zembera {

// The shape of one resampling, known before any sample is copied, so that the output can be
// written straight into its final buffer.
struct ResamplePlan {
    float ratio = 0;
    std::size_t length = 0; // output samples
    std::size_t copied = 0; // leading samples copied from the source; any one after them is 0
    // The ratio as exact fixed point: the source index (from 0) of output i is
    // (i * step) >> shift.
    std::uint64_t step = 0;
    unsigned shift = 0;
};

// Plans the resampling of `sourceCount` samples from frequency fs to ft for at most `duration`
// seconds. An empty source, a ratio that is not a positive finite number, or a duration under
// one output sample gives an empty plan. Exact for sources under 2^32 samples.
ResamplePlan planResample(double fs, double ft, double duration, std::size_t sourceCount);

// Writes the plan's samples as 16-bit little-endian values: 2 * plan.length bytes at `out`.
// `source` must be the source the plan was made for.
void resampleInto(const ResamplePlan& plan, std::span<const std::int16_t> source,
                  std::uint8_t* out);

// The resampled samples (element i holds output sample i + 1).
std::vector<std::int16_t> Resample(double fs, double ft, double duration,
                                   std::span<const std::int16_t> source);

} // namespace zembera
