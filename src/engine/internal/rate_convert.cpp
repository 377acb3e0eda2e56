#include "internal/rate_convert.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace zembera::engine {
namespace {

// Full scale of the 16-bit output: -32768 is reached exactly, +1.0 rounds down to 32767 by one
// step, so that 16-bit sources keep every value.
constexpr float kFullScale = 1.0f;

float peakOf(std::span<const float> x) {
    float peak = 0;
    for (const float v : x)
        peak = std::max(peak, std::fabs(v));
    return peak;
}

// libsoxr at its high quality, fed in blocks: one call on the whole sound is several times
// slower, as the library keeps moving what is left of its input.
bool resample(std::span<const float> in, double rate, double target, std::vector<float>& out) {
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    soxr_error_t error = nullptr;
    const std::unique_ptr<soxr, decltype(&soxr_delete)> converter(
        soxr_create(rate, target, 1, &error, &io, &quality, &runtime), soxr_delete);
    if (error || !converter) return false;
    constexpr std::size_t kBlock = 8192;
    out.resize(static_cast<std::size_t>(std::ceil(static_cast<double>(in.size()) * target / rate)) +
               kBlock);
    std::size_t read = 0, written = 0;
    for (;;) {
        // Room for a whole block's output (and the flush) before every call.
        const std::size_t room = static_cast<std::size_t>(kBlock * target / rate) + kBlock;
        if (out.size() - written < room) out.resize(written + room);
        const std::size_t take = std::min(kBlock, in.size() - read);
        std::size_t used = 0, made = 0;
        // No input left: a null input flushes what the filter still holds.
        if (soxr_process(converter.get(), take ? in.data() + read : nullptr, take, &used,
                         out.data() + written, out.size() - written, &made))
            return false;
        if (take > 0 && used == 0 && made == 0) return false; // stuck: never loop for ever
        read += used;
        written += made;
        if (take == 0 && made == 0) break;
    }
    out.resize(written);
    return true;
}

} // namespace

std::vector<std::int16_t> convertRate(std::span<const float> mono, double rate, double target) {
    std::vector<float> converted;
    if (rate == target) {
        converted.assign(mono.begin(), mono.end());
    } else if (!resample(mono, rate, target, converted)) {
        return {};
    }
    // Never louder than the source, never clipped: scale back what overshoots.
    const float limit = std::min(peakOf(mono), kFullScale);
    const float peak = peakOf(converted);
    const float gain = peak > limit ? limit / peak : 1.0f;
    std::vector<std::int16_t> out(converted.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        const float scaled = converted[i] * gain * 32768.0f;
        const float v = std::isfinite(scaled) ? std::clamp(scaled, -32768.0f, 32767.0f) : 0.0f;
        out[i] = static_cast<std::int16_t>(std::lrint(v));
    }
    return out;
}

} // namespace zembera::engine
