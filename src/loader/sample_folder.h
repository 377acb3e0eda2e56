#pragma once
// The check of the sample folder: exactly 26 WAV files named by string number, nominal frequency
// and a two-character label ("01_013081_ab.wav").

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "pitch/per_string.h"

namespace zembera {

inline constexpr const char* kSampleFolderName = "wavs";
constexpr int kSampleNameLength = 16;

struct SampleFolder {
    // Indexed by string 1..26 (entry 0 unused).
    PerString<std::string> sampleFileName; // the file's name as it lies in the folder
    PerString<std::string> mciAlias;
};

struct SampleFolderCheck {
    std::optional<std::string> error; // the Turkish message that ends the program
    SampleFolder folder;
};

// The names the file list shows for "*.wav": regular files whose name ends in ".wav" in any case,
// sorted by name.
std::vector<std::string> listWavFiles(const std::filesystem::path& folder);

// Checks listed names in order: count, then per name extension, string number, underscores and
// frequency. A string number outside 1..26 or given twice, and a frequency field that is not six
// digits or is 000000, are refused as naming errors, so that every string ends up with exactly
// one sample it can sound.
SampleFolderCheck checkSampleNames(const std::vector<std::string>& names);

inline SampleFolderCheck checkSampleFolder(const std::filesystem::path& folder) {
    return checkSampleNames(listWavFiles(folder));
}

} // namespace zembera
