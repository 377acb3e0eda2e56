// Any bytes as a string's sample file, through everything a sample goes through: reading in any
// layout (libsndfile decoding and libsoxr conversion included), the note at the sample's own
// pitch, a resampled note, the patched copy the replay plays, and the player's own decoding.
// Nothing may read outside the bytes, and no result may be louder than full scale allows.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "engine/resample.h"
#include "samples/sample_decode.h"
#include "samples/sample_reader.h"
#include "sound/patched_sample.h"
#include "sound/pcm_decode.h"
#include "sound/wav_image.h"

namespace {

using namespace zembera;

constexpr std::size_t kLongestPlayed = 60 * 44100; // the player's longest converted sound

// Conversion of a raw block of 16-bit values at a rate taken from the first bytes: the result is
// never louder than the block.
void checkConversion(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 4) return;
    const double rate = kLowestSampleRate + (bytes[0] | bytes[1] << 8) * 3 % 184001;
    std::vector<float> mono;
    float peak = 0;
    for (std::size_t i = 2; i + 1 < bytes.size() && mono.size() < 4096; i += 2) {
        mono.push_back(static_cast<std::int16_t>(bytes[i] | bytes[i + 1] << 8) / 32768.0f);
        peak = std::max(peak, std::fabs(mono.back()));
    }
    for (const std::int16_t v : convertToOutput(mono, rate))
        if (std::abs(v) > peak * 32768.0f + 1) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    checkConversion(file);

    const SampleRead read = readSample(file);
    if (read.samples.has_value() == !read.problem.empty()) __builtin_trap();
    if (read.samples) {
        const std::vector<std::int16_t>& samples = read.samples->sourceSamples;
        if (samples.empty()) __builtin_trap();
        // A file the program plays as it is must play the samples it was read as.
        if (read.playsAsIs) {
            const auto own =
                decodeWav(std::make_shared<const SoundImage>(file.begin(), file.end()));
            // (an odd data size rounds up to one more sample in the reader than the player has)
            if (!own || own->frames > samples.size() || own->frames + 1 < samples.size() ||
                std::memcmp(own->data, samples.data(), 2 * own->frames) != 0)
                __builtin_trap();
        }
        const auto ownPitch = decodeWav(buildSampleImage(samples));
        if (!ownPitch || ownPitch->frames != samples.size()) __builtin_trap();
        const double ratio = 0.25 + (size % 16) / 4.0;
        const ResamplePlan plan = planResample(100.0, 100.0 * ratio, 1, samples.size());
        const SoundImagePtr note = buildResampledImage(plan, samples);
        if (note->size() != 44 + 2 * plan.length) __builtin_trap();
    }
    // The replay's patched copy, and the player on the file as it is (MCI by name).
    if (const SoundImagePtr patched = patchSampleImage(SoundImage(file.begin(), file.end()), 262,
                                                       262 * std::exp2((size % 25) / 12.0 - 1)))
        (void)decodeWav(patched);
    if (const auto sound = decodeWav(std::make_shared<const SoundImage>(file.begin(), file.end())))
        if (sound->frames > kLongestPlayed) __builtin_trap();
    return 0;
}
