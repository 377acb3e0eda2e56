#pragma once
// Measurements on the samples alone, knowing nothing of how the sound was made.

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <numeric>
#include <span>
#include <vector>

namespace zembera::audio_measure {

constexpr double kRate = 44100.0;

inline double rms(std::span<const double> x) {
    const double sum = std::inner_product(x.begin(), x.end(), x.begin(), 0.0);
    return x.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(x.size()));
}

// Magnitude of the Hann-windowed DFT of `x` at `hz` (any frequency, not only bin centres).
inline double dftMagnitude(std::span<const double> x, double hz, double rate = kRate) {
    const double n = static_cast<double>(x.size());
    std::complex<double> sum;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double t = static_cast<double>(i);
        const double window = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * t / n);
        sum += window * x[i] * std::polar(1.0, -2.0 * std::numbers::pi * hz * t / rate);
    }
    return std::abs(sum);
}

// Hz by the normalized square difference: the first peak within 90 % of the best beats harmonics.
inline double coarseFundamental(std::span<const double> x, double lowestHz, double highestHz,
                                double rate = kRate) {
    const std::size_t maxLag = static_cast<std::size_t>(rate / lowestHz) + 2;
    const std::size_t minLag = static_cast<std::size_t>(rate / highestHz);
    if (x.size() <= 2 * maxLag) return 0.0;
    const std::size_t window = x.size() - maxLag;
    std::vector<double> nsdf(maxLag + 1, 0.0);
    for (std::size_t lag = minLag; lag <= maxLag; ++lag) {
        double cross = 0.0;
        double energy = 0.0;
        for (std::size_t i = 0; i < window; ++i) {
            cross += x[i] * x[i + lag];
            energy += x[i] * x[i] + x[i + lag] * x[i + lag];
        }
        nsdf[lag] = energy > 0.0 ? 2.0 * cross / energy : 0.0;
    }
    const double best = *std::max_element(nsdf.begin() + static_cast<long>(minLag), nsdf.end());
    for (std::size_t lag = minLag + 1; lag < maxLag; ++lag) {
        const double a = nsdf[lag - 1], b = nsdf[lag], c = nsdf[lag + 1];
        if (b >= 0.9 * best && b >= a && b >= c) {
            const double denominator = a - 2.0 * b + c;
            const double shift = denominator != 0.0 ? 0.5 * (a - c) / denominator : 0.0;
            return rate / (static_cast<double>(lag) + shift);
        }
    }
    return 0.0;
}

// The spectrum's peak near `estimateHz` in 1-cent steps, refined by a parabola on the logarithms.
inline double refinePeak(std::span<const double> x, double estimateHz, int spanCents,
                         double rate = kRate) {
    std::vector<double> level;
    for (int c = -spanCents; c <= spanCents; ++c)
        level.push_back(
            std::log(dftMagnitude(x, estimateHz * std::exp2(c / 1200.0), rate) + 1e-300));
    const auto top = std::max_element(level.begin() + 1, level.end() - 1) - level.begin();
    const double a = level[top - 1], b = level[top], c = level[top + 1];
    const double denominator = a - 2.0 * b + c;
    const double shift = denominator != 0.0 ? 0.5 * (a - c) / denominator : 0.0;
    const double cents = static_cast<double>(top - spanCents) + shift;
    return estimateHz * std::exp2(cents / 1200.0);
}

// A pluck's fundamental: its period after the attack refined by the spectrum; 0 when none.
inline double pluckFundamental(std::span<const double> x) {
    const auto part = [&](double from, double length) {
        return x.subspan(static_cast<std::size_t>(from * kRate),
                         static_cast<std::size_t>(length * kRate));
    };
    if (static_cast<double>(x.size()) < 1.1 * kRate) return 0.0;
    const double coarse = coarseFundamental(part(0.2, 0.06), 60.0, 2000.0);
    return coarse > 0.0 ? refinePeak(part(0.1, 1.0), coarse, 12) : 0.0;
}

inline double centsBetween(double hz, double referenceHz) {
    return 1200.0 * std::log2(hz / referenceHz);
}

} // namespace zembera::audio_measure
