#pragma once
// An engine pulled on the test's thread, samples made from formulas, and what the output measures.

#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <vector>

#include "engine/engine.h"

namespace zembera::test {

// A string's sample: `count` frames of `value(i)` at `rate`, sounding `nominalHz`.
template <typename Value>
engine::StringSample sampleOf(std::size_t count, double rate, double nominalHz, Value value) {
    auto frames = std::make_shared<std::vector<float>>(count);
    for (std::size_t i = 0; i < count; ++i)
        (*frames)[i] = static_cast<float>(value(i)) / 32768.0F;
    return engine::StringSample{std::move(frames), rate, nominalHz};
}

// A sine of `hz` at `rate` with amplitude `level` (16-bit steps), rounded to whole steps, named
// as sounding `nominalHz` (its own pitch unless told).
inline engine::StringSample sineSample(double seconds, double rate, double hz, int level = 8000,
                                       double nominalHz = 0) {
    const double named = nominalHz > 0 ? nominalHz : hz;
    return sampleOf(static_cast<std::size_t>(seconds * rate), rate, named, [&](std::size_t i) {
        return std::lround(level *
                           std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / rate));
    });
}

// Renders `frames` frames in blocks of `block`; the left channel as 16-bit values (toPcm16) and
// whether the right one equalled it throughout.
struct Rendered {
    std::vector<std::int16_t> left;
    bool sameRight = true;
};
inline Rendered render(engine::Engine& engine, std::size_t frames, std::size_t block = 256) {
    Rendered out;
    std::vector<float> l(block), r(block);
    for (std::size_t done = 0; done < frames;) {
        const std::size_t n = std::min(block, frames - done);
        engine.render(l.data(), r.data(), n);
        for (std::size_t i = 0; i < n; ++i) {
            out.left.push_back(engine::toPcm16(l[i]));
            out.sameRight = out.sameRight && l[i] == r[i];
        }
        done += n;
    }
    return out;
}

// Frequency from the rising zero crossings, interpolated between frames.
inline double measuredHz(const std::vector<std::int16_t>& x, double rate) {
    double first = -1, last = -1;
    int crossings = 0;
    for (std::size_t i = 1; i < x.size(); ++i) {
        if (x[i - 1] < 0 && x[i] >= 0) {
            const double at = static_cast<double>(i - 1) + -x[i - 1] / double(x[i] - x[i - 1]);
            if (first < 0) first = at;
            last = at;
            ++crossings;
        }
    }
    return crossings < 2 ? 0 : (crossings - 1) * rate / (last - first);
}

inline double centsBetween(double hz, double reference) {
    return 1200 * std::log2(hz / reference);
}

} // namespace zembera::test
