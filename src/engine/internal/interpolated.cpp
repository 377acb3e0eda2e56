#include "internal/interpolated.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zembera::engine {

std::uint32_t playRate(double fileRate, double nominalHz, double targetHz) {
    const double rate = std::round(fileRate * targetHz / nominalHz);
    if (!std::isfinite(rate) || rate < 1 || rate > std::numeric_limits<std::uint32_t>::max())
        return 0;
    return static_cast<std::uint32_t>(rate);
}

std::size_t interpolatedLength(std::size_t sourceCount, double step, std::size_t maxFrames) {
    if (sourceCount == 0 || !(step > 0)) return 0;
    const double span = static_cast<double>(sourceCount - 1) / step;
    if (!(span < static_cast<double>(maxFrames))) return maxFrames;
    return std::min<std::size_t>(static_cast<std::size_t>(span) + 1, maxFrames);
}

namespace {

// std::lround's rounding (halves away from zero) without the library call: the difference to
// the truncated value is exact for samples of this size.
std::int16_t nearestHalfAway(double x) {
    const long whole = static_cast<long>(x);
    const double rest = x - static_cast<double>(whole);
    return static_cast<std::int16_t>(whole + (rest >= 0.5) - (rest <= -0.5));
}

} // namespace

void interpolateInto(std::span<const std::int16_t> in, double step, std::int16_t* out,
                     std::size_t count) {
    // Positions are computed from the index, not accumulated, so long notes do not drift. From
    // the first position at or past the last sample on, the note holds that sample.
    const std::size_t last = in.size() - 1;
    const double lastPosition = static_cast<double>(last);
    std::size_t i = 0;
    for (; i < count; ++i) {
        const double pos = static_cast<double>(i) * step;
        if (!(pos < lastPosition)) break;
        const std::size_t j = static_cast<std::size_t>(pos);
        const double a = in[j];
        const double b = in[j + 1];
        out[i] = nearestHalfAway(a + (b - a) * (pos - static_cast<double>(j)));
    }
    std::fill(out + i, out + count, in[last]);
}

} // namespace zembera::engine
