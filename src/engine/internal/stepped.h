#pragma once
// The stepped resampling of a sample to another pitch: output frame i (from 1) is source frame
// floor(ratio * i) + 1, with ratio = ft / fs rounded to a 32-bit float. No interpolation and no
// filtering.
//
// The output is at most `duration` seconds long, and no longer than the source allows:
// (N - 1) / rate * ratio seconds for N source frames. A rising note whose source runs out before
// that ends at the first i whose source index lies past the end; that last frame is 0.
//
// Thread: any; no shared state.

#include <cstddef>
#include <cstdint>
#include <span>

namespace zembera::engine {

// The shape of one resampling, known before any frame is copied, so that the output can be
// written straight into its final buffer.
struct ResamplePlan {
    float ratio = 0;
    std::size_t length = 0; // output frames
    std::size_t copied = 0; // leading frames copied from the source; any one after them is 0
    // The ratio as exact fixed point: the source index (from 0) of output i is
    // (i * step) >> shift.
    std::uint64_t step = 0;
    unsigned shift = 0;
};

// Plans the resampling of `sourceCount` frames at `rate` frames per second from frequency fs to
// ft for at most `duration` seconds. An empty source, a ratio that is not a positive finite
// number, or a duration under one output frame gives an empty plan. Exact for sources under 2^32
// frames.
ResamplePlan planResample(double fs, double ft, double duration, std::size_t sourceCount,
                          double rate);

// Writes the plan's frames to `out` (plan.length of them). `source` must be the source the plan
// was made for.
void resampleInto(const ResamplePlan& plan, std::span<const std::int16_t> source,
                  std::int16_t* out);

namespace detail {
// The vector copy loop for processors with AVX2 (stepped_wide.cpp): writes the first frames of
// the plan's copied run, as many as it can take, and returns how many (0 without AVX2 or for a
// ratio outside roughly 1/256 to 4.4); the caller finishes one frame at a time.
std::size_t copySamplesWide(const ResamplePlan& plan, std::span<const std::int16_t> source,
                            std::int16_t* out);
} // namespace detail

} // namespace zembera::engine
