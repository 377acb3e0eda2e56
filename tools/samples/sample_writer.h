#pragma once
// Writing the sample folder: one WAV file per string at its open pitch, and nothing else that
// the start-up check would count.

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "pitch/pitch_table.h"

namespace zembera::samples {

// The bytes of a canonical 16-bit mono 44100 Hz WAV file holding `pcm`.
std::vector<std::uint8_t> wavFileBytes(std::span<const std::int16_t> pcm);

// The file of string s whose open pitch is `openCents` above C4: its name and its bytes.
struct SampleFile {
    std::string name;
    std::vector<std::uint8_t> bytes;
};
SampleFile makeSampleFile(int s, double openCents);

// Writes the 26 samples into `folder` (created when missing), each file whole, and removes every
// other "*.wav" there (in any case of the extension). openCents is indexed by string 1..26.
// Returns the names written, string 1 first. Throws std::runtime_error or
// std::invalid_argument with a message on failure.
std::vector<std::string> writeSampleFolder(const PerString<double>& openCents,
                                           const std::filesystem::path& folder);

} // namespace zembera::samples
