#pragma once
// Reading and replacing the small text files of the program (makam, recording and melody files).
//
// Thread: UI thread only.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "common/data_folders.h"
#include "common/file_read.h"

namespace zembera {

// The whole file decoded to UTF-8 (see decodeText), or why it cannot be read: not found, not a
// regular file, larger than kTextFileLimit (see readLimitedFile).
struct TextRead {
    std::optional<std::string> text;
    std::string problem;
};
TextRead readTextFileOrReason(const std::filesystem::path& file);
// The same without the reason.
std::optional<std::string> readTextFile(const std::filesystem::path& file);

// Replaces `file` with `bytes` through a temporary file (see replaceFile), so that a failed write
// leaves the old file as it was. False when any step fails (the temporary file is removed).
bool replaceFileAtomically(const std::filesystem::path& file, std::string_view bytes);

// A file or folder name taken from UTF-8 text.
std::filesystem::path pathFromUtf8(std::string_view utf8);

// The file a name in a name box stands for: a plain file name in `folders` (the user's file, else
// the bundled one), an absolute path as it is; nothing for an empty name or a relative one with a
// folder in it.
std::optional<std::filesystem::path> fileOfName(const DataFolders& folders, std::string_view name);

// The text less its last `count` characters (code points): "rast.mkm" less 4 is "rast".
std::string withoutLastCharacters(std::string_view utf8, std::size_t count);

} // namespace zembera
