#pragma once
// The vector copy loop of the resampler, for processors with AVX2. Internal to resample.cpp.

#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/resample.h"

namespace zembera::detail {

// Writes the first samples of the plan's copied run as 16-bit little-endian values at `out`,
// as many as the vector loop can take, and returns how many: a count from 0 to plan.copied that
// the caller finishes one sample at a time. Returns 0 when the processor lacks AVX2 or the ratio
// is outside what the loop handles (roughly 1/256 to 4.4).
std::size_t copySamplesWide(const ResamplePlan& plan, std::span<const std::int16_t> source,
                            std::uint8_t* out);

} // namespace zembera::detail
