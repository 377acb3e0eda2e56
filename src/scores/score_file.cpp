#include "scores/score_file.h"

#include <algorithm>
#include <cctype>
#include <fstream>

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
    return ext == ".musicxml" || ext == ".xml" || ext == ".mxl" || ext == ".txt" || ext == ".mid" ||
           ext == ".midi";
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
    const std::string name = path.filename().string();
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) throwScoreError(name, "dosya okunamadı");
    if (size > static_cast<std::uintmax_t>(kMaxScoreBytes))
        throwScoreError(name, "dosya çok büyük");
    std::ifstream in(path, std::ios::binary);
    if (!in) throwScoreError(name, "dosya okunamadı");
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    if (static_cast<std::uintmax_t>(in.gcount()) != size) throwScoreError(name, "dosya okunamadı");
    return parseScoreBytes(bytes, name, choice);
}

} // namespace zembera::scores
