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

void interpolateInto(std::span<const std::int16_t> in, double step, std::int16_t* out,
                     std::size_t count) {
    // Positions are computed from the index, not accumulated, so long notes do not drift.
    for (std::size_t i = 0; i < count; ++i) {
        const double pos = static_cast<double>(i) * step;
        const std::size_t j = std::min(static_cast<std::size_t>(pos), in.size() - 1);
        const double frac = pos - static_cast<double>(j);
        const double a = in[j];
        const double b = j + 1 < in.size() ? in[j + 1] : a;
        out[i] = static_cast<std::int16_t>(std::lround(a + (b - a) * frac));
    }
}

} // namespace zembera::engine
