#pragma once
// What a file the user opens is, decided in this one place for every way of opening one: the
// file dialog, a drop on the window, the command line, "Son açılanlar" and the melody list.
//
// Thread: any.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zembera {

enum class FileKind { score, melody, recording, scale, makam, unknown };

// The kind by the file's name (either case): a score of another program (scores::isScoreFile),
// a melody (.ses), the recording kayıt.txt, a Scala scale (.scl), a makam (.mkm). A .txt file
// other than kayıt.txt is a SymbTr score when its first line is a SymbTr header and a recording
// otherwise; without its `text`, the name alone calls it a score.
FileKind fileKind(const std::filesystem::path& file,
                  std::optional<std::string_view> text = std::nullopt);

// The same, reading the first line of a .txt file to tell a score from a recording.
FileKind readFileKind(const std::filesystem::path& file);

// The extensions (lower case, with the dot) the kinds are known by, for the file dialog's
// filter: the scores' and the melody's, then those of every kind.
std::vector<std::string> pieceExtensions();
std::vector<std::string> openableExtensions();

} // namespace zembera
