#pragma once
// Reading a string's sample file of any common WAV layout into 16-bit mono samples at 44100 Hz.
//
// A file laid out as the program's own samples are (a "fmt " chunk at offset 12 saying PCM,
// one channel, 16 bits, 44100 samples per second, or a rate of 0, which is taken as 44100) is
// read by ReadWavSamples exactly as always, and plays as it is when its pitch is the note's.
// Every other file is decoded and converted (decodeAnyWav).
//
// Thread: any; no shared state.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "samples/sound_image.h"
#include "samples/wav_reader.h"

namespace zembera {

struct SampleRead {
    std::optional<WavSamples> samples; // 16-bit mono at 44100 Hz; nothing when unusable
    bool playsAsIs = false;            // the file itself is a playable 16-bit mono 44100 Hz image
    std::string problem;               // why the file cannot be used (Turkish)
};

// Whether the header's fixed fields describe the program's own layout (see above).
bool isProgramLayout(std::span<const std::uint8_t> file);

SampleRead readSample(std::span<const std::uint8_t> file);

struct UnusableSample {
    std::string fileName;
    std::string problem;
};

// One message for all unusable samples: "File format not recognized!", then a line per file
// with its name and problem.
std::string unusableSamplesMessage(const std::vector<UnusableSample>& unusable);

// A canonical 16-bit mono 44100 Hz image of `samples`.
SoundImagePtr buildSampleImage(std::span<const std::int16_t> samples);

} // namespace zembera
