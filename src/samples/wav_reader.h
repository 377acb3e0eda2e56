#pragma once
// Reading the 16-bit samples of a string's WAV file.
//
// Only the data chunk is looked at: found by findDataChunk (the chunk walk, or the canonical
// offset 36, or a search of the first 1000 bytes). The number of samples is the data size divided
// by the block align, rounded half to even; they are read as consecutive 16-bit little-endian
// values from the data start, whatever the channel count or sample width.
//
// Thread: any; no shared state.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "common/messages.h"
#include "samples/wav_header.h"

namespace zembera {

inline constexpr const char* kFormatNotRecognized = "File format not recognized!";

struct WavSamples {
    // The file's header; when the data chunk was found by search, its data id and size.
    WavHeader wavHeader;
    // Element i holds sample i + 1 of the file.
    std::vector<std::int16_t> sourceSamples;
};

// The samples of a WAV file held in memory. Nothing when there is no data chunk, the block align
// is 0 or no sample results. A data size larger than the file reads only the whole 16-bit values
// the file holds after the data start.
std::optional<WavSamples> ReadWavSamples(std::span<const std::uint8_t> file);

// Reads the file at `file`; shows "File format not recognized!" and gives nothing when it cannot
// be read, is empty or holds no samples.
std::optional<WavSamples> ReadWavSamples(const std::filesystem::path& file,
                                         MessageService& messages);

} // namespace zembera
