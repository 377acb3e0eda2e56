#pragma once
// Whole-file reads and replacing writes for the sound files.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "sound/sound_image.h"

namespace zembera {

// The bytes of a file, or nothing when it cannot be opened or read.
std::optional<SoundImage> readFileBytes(const std::filesystem::path& file);

// Replaces `file` with exactly `bytes`: they go to a temporary file in the same folder, which is
// then renamed over the old one, so the file never holds a mix of old and new bytes. Returns
// false (and leaves the old file as it was) when the write fails.
bool writeFileWhole(const std::filesystem::path& file, std::span<const std::uint8_t> bytes);

} // namespace zembera
