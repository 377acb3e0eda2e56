#pragma once
// Decoding a WAV file of any common layout into the samples the resampler works on: mono,
// 16 bits, 44100 frames per second. libsndfile reads the file (any bit depth, integer or float,
// mu-law and A-law, extensible headers, chunks in any order); channels are averaged, and any rate
// from 8000 to 192000 Hz is converted with libsoxr at its high quality. The result is never louder
// than the source: when conversion overshoots the source's peak, the whole sound is scaled back to
// it, and nothing is clipped.
//
// Thread: any; no shared state.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zembera {

inline constexpr std::uint32_t kLowestSampleRate = 8000;
inline constexpr std::uint32_t kHighestSampleRate = 192000;
// Longest decoded sound, in seconds of the source; longer files are cut here.
inline constexpr std::uint32_t kLongestSampleSeconds = 60;

struct DecodedSample {
    std::vector<std::int16_t> samples; // empty when the file cannot be used
    std::string problem;               // then, why (Turkish, for the user)
};

DecodedSample decodeAnyWav(std::span<const std::uint8_t> file);

// Thread: any. Mono float frames at `rate` to 16-bit frames at 44100 Hz, peak-limited to the
// largest magnitude of `mono` (and to full scale).
std::vector<std::int16_t> convertToOutput(std::span<const float> mono, double rate);

} // namespace zembera
