// Any bytes as a string's sample file, through everything a sample goes through: reading in any
// layout (libsndfile decoding included), the conversion to the engine's rate (libsoxr), the note
// at the sample's own pitch, a stepped and an interpolated note. Nothing may read outside the
// bytes, and no result may be louder than full scale allows.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "engine/engine.h"
#include "samples/sample_decode.h"
#include "samples/sample_reader.h"

namespace {

using namespace zembera;

// Conversion of a raw block of 16-bit values at a rate taken from the first bytes: the result is
// never louder than the block.
void checkConversion(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 4) return;
    const double rate = kLowestSampleRate + (bytes[0] | bytes[1] << 8) * 3 % 184001;
    auto mono = std::make_shared<std::vector<float>>();
    float peak = 0;
    for (std::size_t i = 2; i + 1 < bytes.size() && mono->size() < 4096; i += 2) {
        mono->push_back(static_cast<std::int16_t>(bytes[i] | bytes[i + 1] << 8) / 32768.0f);
        peak = std::max(peak, std::fabs(mono->back()));
    }
    engine::Engine e;
    e.setStringSample(1, {mono, rate, 262});
    // At 0 cents and the sample's own pitch: the converted frames as they are.
    const engine::Note own = e.prepareNote(1, 0, engine::Resampling::interpolated);
    for (const std::int16_t v : own.samples())
        if (std::abs(v) > peak * 32768.0f + 1) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    checkConversion(file);

    const SampleRead read = readSample(file);
    if (read.sample.has_value() == !read.problem.empty()) __builtin_trap();
    if (!read.sample) return 0;
    if (read.sample->frames.empty() || !(read.sample->rate > 0)) __builtin_trap();
    for (const float v : read.sample->frames)
        if (!std::isfinite(v)) __builtin_trap();
    engine::Engine e;
    e.setStringSample(1, {std::make_shared<const std::vector<float>>(read.sample->frames),
                          read.sample->rate, 130.81});
    const double cents = (static_cast<double>(size % 25) / 12.0 - 1) * 1200;
    for (const auto how : {engine::Resampling::stepped, engine::Resampling::interpolated}) {
        const engine::Note note = e.prepareNote(1, cents, how);
        if (note.count > 60 * 44100) __builtin_trap();
    }
    return 0;
}
