#include "engine/resample.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "engine/resample_wide.h"

namespace zembera {
namespace {

__extension__ typedef unsigned __int128 Wide;

// Longest output considered: far beyond ten seconds, small enough for the fixed-point sums
// (a 24-bit step times this count) to stay within 64 bits.
constexpr std::uint64_t kMaxOutput = std::uint64_t{1} << 32;

// The ratio is M * 2^E with M < 2^24, so floor(ratio * i) = (M * i) >> -E exactly.
struct FixedRatio {
    std::uint64_t mantissa = 0;
    int exponent = 0;
};

FixedRatio fixedRatio(float ratio) {
    int e = 0;
    const float fraction = std::frexp(ratio, &e); // ratio = fraction * 2^e, fraction in [0.5, 1)
    return {static_cast<std::uint64_t>(std::ldexp(fraction, 24)), e - 24};
}

// The first output index i (from 1) whose source index floor(ratio * i) is N or more, i.e. the
// least i with M * i * 2^E >= N; kMaxOutput + 1 when there is none within kMaxOutput.
std::uint64_t firstPastEnd(const FixedRatio& r, std::uint64_t sourceCount) {
    constexpr std::uint64_t kNone = kMaxOutput + 1;
    if (r.exponent >= 0) {
        if (r.exponent >= 40) return 1; // ratio >= 2^63 > N
        const std::uint64_t perStep = r.mantissa << r.exponent;
        return (sourceCount + perStep - 1) / perStep;
    }
    const int shift = -r.exponent;
    if (shift >= 64) return kNone; // ratio < 2^-40: the index stays below N long after kMaxOutput
    const Wide scaled = static_cast<Wide>(sourceCount) << shift;
    const Wide first = (scaled + r.mantissa - 1) / r.mantissa;
    return first > kNone ? kNone : static_cast<std::uint64_t>(first);
}

} // namespace

ResamplePlan planResample(double fs, double ft, double duration, std::size_t sourceCount) {
    ResamplePlan plan;
    plan.ratio = static_cast<float>(ft / fs);
    if (sourceCount == 0 || !std::isfinite(plan.ratio) || !(plan.ratio > 0)) return plan;

    const double dt = 1.0 / kOutputRate;
    const double maxDuration =
        static_cast<double>(sourceCount - 1) * dt * static_cast<double>(plan.ratio);
    if (duration > maxDuration) duration = maxDuration;
    const double steps = std::trunc(duration / dt);
    if (!(steps >= 1)) return plan;
    const std::uint64_t n =
        steps >= static_cast<double>(kMaxOutput) ? kMaxOutput : static_cast<std::uint64_t>(steps);

    const FixedRatio r = fixedRatio(plan.ratio);
    const std::uint64_t pastEnd = firstPastEnd(r, sourceCount);
    plan.length = static_cast<std::size_t>(std::min(n, pastEnd));
    plan.copied = pastEnd <= n ? plan.length - 1 : plan.length;
    if (r.exponent >= 0) {
        plan.step = r.mantissa << std::min(r.exponent, 39);
        plan.shift = 0;
    } else if (r.exponent > -64) {
        plan.step = r.mantissa;
        plan.shift = static_cast<unsigned>(-r.exponent);
    } else {
        plan.step = 0; // every copied index is 0
        plan.shift = 0;
    }
    return plan;
}

namespace {

// Calls put(i, value) for every copied sample from `start` on. Four at a time, with the plan held
// in locals: the loop is nothing but the index arithmetic, the loads and the stores.
template <typename Put>
void copySamples(const ResamplePlan& plan, std::span<const std::int16_t> source, std::size_t start,
                 Put put) {
    const std::int16_t* from = source.data();
    const std::size_t count = plan.copied;
    const unsigned shift = plan.shift;
    const std::uint64_t step1 = plan.step;
    const std::uint64_t step2 = 2 * step1;
    const std::uint64_t step3 = 3 * step1;
    const std::uint64_t step4 = 4 * step1;
    std::uint64_t position = start * step1; // step * i for the last output done
    std::size_t i = start;
    for (; i + 4 <= count; i += 4) {
        put(i, from[(position + step1) >> shift]);
        put(i + 1, from[(position + step2) >> shift]);
        put(i + 2, from[(position + step3) >> shift]);
        position += step4;
        put(i + 3, from[position >> shift]);
    }
    for (; i < count; ++i) {
        position += step1;
        put(i, from[position >> shift]);
    }
}

} // namespace

void resampleInto(const ResamplePlan& plan, std::span<const std::int16_t> source,
                  std::uint8_t* out) {
    if constexpr (std::endian::native == std::endian::little) {
        const std::size_t done = detail::copySamplesWide(plan, source, out);
        copySamples(plan, source, done,
                    [out](std::size_t i, std::int16_t v) { std::memcpy(out + 2 * i, &v, 2); });
    } else {
        copySamples(plan, source, 0, [out](std::size_t i, std::int16_t v) {
            const auto bits = static_cast<std::uint16_t>(v);
            out[2 * i] = static_cast<std::uint8_t>(bits);
            out[2 * i + 1] = static_cast<std::uint8_t>(bits >> 8);
        });
    }
    // The closing 0 of a note that ran out of source.
    if (plan.length > plan.copied)
        std::memset(out + 2 * plan.copied, 0, 2 * (plan.length - plan.copied));
}

std::vector<std::int16_t> Resample(double fs, double ft, double duration,
                                   std::span<const std::int16_t> source) {
    const ResamplePlan plan = planResample(fs, ft, duration, source.size());
    std::vector<std::int16_t> out(plan.length);
    if constexpr (std::endian::native == std::endian::little) {
        resampleInto(plan, source, reinterpret_cast<std::uint8_t*>(out.data()));
    } else {
        std::int16_t* to = out.data();
        copySamples(plan, source, 0, [to](std::size_t i, std::int16_t v) { to[i] = v; });
    }
    return out;
}

} // namespace zembera
