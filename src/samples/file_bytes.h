#pragma once
// Whole-file reads and replacing writes for the sound files.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "common/file_read.h"
#include "samples/sound_image.h"

namespace zembera {

// The bytes of a sound file, or why it cannot be used: only a regular file of at most
// kSampleFileLimit bytes is read.
LimitedRead<SoundImage> readSoundFileBytes(const std::filesystem::path& file);
// The same without the reason.
std::optional<SoundImage> readFileBytes(const std::filesystem::path& file);

// Replaces the scratch file `file` with exactly `bytes` through a temporary file (see replaceFile,
// without the flush to the disk), so the file never holds a mix of old and new bytes. Returns false
// (and leaves the old file as it was) when the write fails.
bool writeFileWhole(const std::filesystem::path& file, std::span<const std::uint8_t> bytes);

} // namespace zembera
