#pragma once
// Decoding a WAV file of any common layout into mono frames at the file's own rate: libsndfile
// reads the file (any bit depth, integer or float, mu-law and A-law, extensible headers, chunks in
// any order) and the channels are averaged. Any rate from 8000 to 192000 Hz is taken; the engine
// converts the frames to its own rate.
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
    std::vector<float> frames; // full scale ±1; empty when the file cannot be used
    double rate = 0;
    std::string problem; // then, why (Turkish, for the user)
};

DecodedSample decodeAnyWav(std::span<const std::uint8_t> file);

} // namespace zembera
