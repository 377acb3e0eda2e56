#include "systems/system_files.h"

#include <array>
#include <cctype>
#include <cmath>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "common/file_read.h"
#include "common/text_fields.h"

namespace zembera::systems {
namespace {

constexpr std::array<BundledSystem, 7> kBundled{{
    {"Yarman 79", "79-159.scl", 0.0, true},
    {"Yarman 80", "80-159.scl", 0.0, true},
    {"53 koma", "53-commas.scl", 0.0, false},
    // Rauf Yekta's gamut starts on D (Yegâh); its C is the fourth below the octave, 16/9.
    {"Rauf Yekta 24", "turkish_24.scl", 996.089998, false},
    {"AEU 41", "aeu-41.scl", 0.0, false},
    {"72 eşit", "72-edo.scl", 0.0, false},
    {"12 eşit", "12-edo.scl", 0.0, false},
}};

// Only a regular file of a Scala file's size: a FIFO would hang the program, a device never end.
std::string readBytes(const std::filesystem::path& path) {
    LimitedRead<std::string> read = readLimitedFile(path, kScalaFileLimit);
    if (!read.bytes)
        throw std::runtime_error(path.filename().string() + " dosyası okunamadı: " + read.problem);
    return std::move(*read.bytes);
}

// Letters and digits only, ASCII lowered: "Yarman 79" and "yarman79" are the same name.
std::string folded(std::string_view name) {
    std::string out;
    for (char c : name) {
        if (c == ' ' || c == '-' || c == '_') continue;
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

int nearestStep(const Scale& scale, double cents) {
    int best = 0;
    for (int k = 1; k < scale.size(); ++k) {
        if (std::abs(scale.steps[static_cast<std::size_t>(k)] - cents) <
            std::abs(scale.steps[static_cast<std::size_t>(best)] - cents))
            best = k;
    }
    return best;
}

} // namespace

std::span<const BundledSystem> bundledSystems() {
    return kBundled;
}

DegreeNamer readDegreeNamer(const std::filesystem::path& programFolder) {
    const std::filesystem::path file = programFolder / kSystemsFolder / kNameTableFile;
    return DegreeNamer(parseNameTable(readBytes(file), kNameTableFile));
}

PitchSystem readSystem(const std::filesystem::path& scl,
                       const std::optional<std::filesystem::path>& kbm, const DegreeNamer& names,
                       std::string name, double cCents, bool tableFolding) {
    const std::string fileName = scl.filename().string();
    const Scale scale = parseScale(readBytes(scl), fileName);
    int cStep = nearestStep(scale, cCents);
    if (kbm) {
        const std::string kbmName = kbm->filename().string();
        const KeyboardMapping mapping = parseKeyboardMapping(readBytes(*kbm), kbmName);
        const std::optional<int> c4 = degreeOfKey(mapping, 60);
        if (!c4) throw std::runtime_error(kbmName + ": 60. tuş (C4) bir dereceye eşlenmemiş.");
        cStep = *c4;
    }
    if (name.empty()) name = scl.stem().string();
    return PitchSystem(std::move(name), fileName, scale, cStep, names, tableFolding);
}

PitchSystem findSystem(const std::filesystem::path& programFolder, std::string_view nameOrFile,
                       const DegreeNamer& names) {
    const std::string wanted = folded(nameOrFile);
    for (const BundledSystem& b : kBundled) {
        if (folded(b.name) == wanted ||
            folded(std::filesystem::path(b.file).stem().string()) == wanted) {
            return readSystem(programFolder / kSystemsFolder / b.file, std::nullopt, names, b.name,
                              b.cCents, b.tableFolding);
        }
    }
    const std::filesystem::path scl(nameOrFile);
    if (!std::filesystem::exists(scl)) {
        throw std::runtime_error("\"" + std::string(nameOrFile) +
                                 "\" adında bir ses sistemi ya da .scl dosyası yok.");
    }
    std::filesystem::path kbm = scl;
    kbm.replace_extension(".kbm");
    return readSystem(scl, std::filesystem::exists(kbm) ? std::optional(kbm) : std::nullopt, names);
}

} // namespace zembera::systems
