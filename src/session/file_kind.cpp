#include "session/file_kind.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

#include "files/makam_file.h"
#include "files/melody_file.h"
#include "files/record_file.h"
#include "scores/score_file.h"
#include "scores/symbtr_reader.h"

namespace zembera {
namespace {

constexpr const char* kScaleExtension = ".scl";
// A SymbTr header is one line of column names: far shorter than this.
constexpr std::size_t kHeaderPeekBytes = 4096;

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

FileKind fileKind(const std::filesystem::path& file, std::optional<std::string_view> text) {
    const std::string name = lower(file.filename().string());
    const std::string ext = lower(file.extension().string());
    if (name == lower(kRecordFileName)) return FileKind::recording;
    if (ext == kMelodyExtension) return FileKind::melody;
    if (ext == kScaleExtension) return FileKind::scale;
    if (ext == kMakamExtension) return FileKind::makam;
    if (!scores::isScoreFile(file)) return FileKind::unknown;
    if (ext == ".txt" && text && !scores::looksLikeSymbTr(*text)) return FileKind::recording;
    return FileKind::score;
}

FileKind readFileKind(const std::filesystem::path& file) {
    std::error_code error;
    // Only a regular file is read (a FIFO would block); the reader refuses the others.
    if (lower(file.extension().string()) != ".txt" ||
        !std::filesystem::is_regular_file(file, error))
        return fileKind(file);
    std::ifstream in(file, std::ios::binary);
    std::string head(kHeaderPeekBytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return fileKind(file, std::string_view(head));
}

std::vector<std::string> pieceExtensions() {
    std::vector<std::string> all(std::begin(scores::kScoreExtensions),
                                 std::end(scores::kScoreExtensions));
    all.push_back(kMelodyExtension);
    return all;
}

std::vector<std::string> openableExtensions() {
    std::vector<std::string> all = pieceExtensions();
    all.push_back(kScaleExtension);
    all.push_back(kMakamExtension);
    return all;
}

} // namespace zembera
