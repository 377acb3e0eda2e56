#pragma once
// Reading and replacing the small text files of the program (makam, recording and melody files).
//
// Thread: UI thread only.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zembera {

// No file of the program comes near this; a larger one is refused rather than read into memory.
inline constexpr std::size_t kTextFileLimit = 16u << 20; // bytes

// The whole file decoded to UTF-8 (see decodeText); nothing when it cannot be opened or read or
// is larger than kTextFileLimit.
std::optional<std::string> readTextFile(const std::filesystem::path& file);

// Writes `bytes` to a temporary file beside `file` and renames it over `file`, so that a failed
// write leaves the old file as it was. False when any step fails (the temporary file is removed).
bool replaceFileAtomically(const std::filesystem::path& file, std::string_view bytes);

// A file or folder name taken from UTF-8 text.
std::filesystem::path pathFromUtf8(std::string_view utf8);

// The text less its last `count` characters (code points): "rast.mkm" less 4 is "rast".
std::string withoutLastCharacters(std::string_view utf8, std::size_t count);

} // namespace zembera
