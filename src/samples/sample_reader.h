#pragma once
// Reading a string's sample file of any common WAV layout into mono frames at the file's rate.
//
// A file laid out as the program's own samples are (a "fmt " chunk at offset 12 saying PCM,
// one channel, 16 bits, 44100 samples per second, or a rate of 0, which is taken as 44100) is
// read by ReadWavSamples exactly as always. Every other file is decoded (decodeAnyWav).
//
// Thread: any; no shared state.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "samples/wav_reader.h"

namespace zembera {

// A sample's frames, mono, full scale ±1, at their own rate.
struct MonoSample {
    std::vector<float> frames;
    double rate = 44100;
};

struct SampleRead {
    std::optional<MonoSample> sample; // nothing when unusable
    std::string problem;              // why the file cannot be used (Turkish)
};

// Whether the header's fixed fields describe the program's own layout (see above).
bool isProgramLayout(std::span<const std::uint8_t> file);

SampleRead readSample(std::span<const std::uint8_t> file);

struct UnusableSample {
    std::string fileName;
    std::string problem;
};

// One message for all unusable samples: this heading, then a line per file with its name and
// problem.
inline constexpr const char* kUnusableSamplesHeading =
    "Bu ses dosyaları kullanılamıyor, telleri sessiz kalır:";
std::string unusableSamplesMessage(const std::vector<UnusableSample>& unusable);

} // namespace zembera
