#include "scores/score_file.h"

#include <algorithm>
#include <cctype>

#include "common/file_read.h"
#include "scores/midi_score.h"
#include "scores/musicxml_reader.h"
#include "scores/mxl_archive.h"
#include "scores/symbtr_reader.h"

namespace zembera::scores {
namespace {

std::string lowerExtension(const std::string& fileName) {
    std::string ext = std::filesystem::path(fileName).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

} // namespace

bool isScoreFile(const std::filesystem::path& path) {
    // The pitch table and the recording are text files of this program, never scores.
    std::string name = path.filename().string();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (name == "dizek.txt" || name == "kayıt.txt") return false;
    const std::string ext = lowerExtension(path.filename().string());
    return std::any_of(std::begin(kScoreExtensions), std::end(kScoreExtensions),
                       [&ext](const char* known) { return ext == known; });
}

Score parseScoreBytes(const std::string& bytes, const std::string& fileName,
                      const ScoreChoice& choice) {
    const std::string ext = lowerExtension(fileName);
    if (ext == ".mxl") return parseMusicXml(mxlScoreText(bytes, fileName), fileName, choice);
    if (ext == ".musicxml" || ext == ".xml") return parseMusicXml(bytes, fileName, choice);
    if (ext == ".txt") return parseSymbTr(bytes, fileName);
    if (ext == ".mid" || ext == ".midi") return parseMidiScore(bytes, fileName, choice);
    throwScoreError(fileName, "tanınmayan partisyon biçimi");
}

Score readScoreFile(const std::filesystem::path& path, const ScoreChoice& choice) {
    // A file that cannot be read is named by its path with the reason, as melodies and
    // recordings are (a FIFO, a folder, a file too large).
    LimitedRead<std::string> read =
        readLimitedFile(path, static_cast<std::uint64_t>(kMaxScoreBytes));
    if (!read.bytes) throw ScoreError(path.string() + ": " + read.problem);
    return parseScoreBytes(*read.bytes, path.filename().string(), choice);
}

} // namespace zembera::scores
