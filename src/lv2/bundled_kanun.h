#pragma once
// What the plugin reads from its bundle's folder when it is made: the pitch table (Dizek.txt),
// the bundled pitch systems of sistemler/ and the 26 string samples of wavs/, named as the
// program names them ("01_013081_ab.wav": string number, then the pitch in hundredths of a hertz).
//
// Thread: the host's control thread (instantiate) or the plugin's worker; reads files.

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/string_sample.h"
#include "pitch/per_string.h"
#include "pitch/pitch_table.h"
#include "systems/degree_names.h"

namespace zembera::lv2 {

// A pitch system as the strings play it: its tables, mandal ranges and the degrees its pitch
// levels and degree shift count in.
struct KanunSystem {
    std::string name;
    PitchTables tables;
    PerString<std::int16_t> mandalMin{}, mandalMax{};
    int degreesPerOctave = 79;
    std::array<std::int16_t, 7> naturals{0, 13, 26, 33, 46, 59, 72};
    bool folds = true; // strings 1..7 fold the full scale onto their rows
};

struct BundledKanun {
    // The bundled systems in the order of the window's list: Yarman 79 (from Dizek.txt) first.
    std::vector<KanunSystem> systems;
    PerString<engine::StringSample> samples{};
    std::shared_ptr<const systems::DegreeNamer> names; // of the degrees, for Scala files
    std::string problem; // why the bundle cannot be played; empty when it can
};

BundledKanun readBundle(const std::filesystem::path& folder);

// The system of a Scala file and of the .kbm of the same name beside it, if there is one (its key
// 60 the written C4), as the window reads it; nothing when the files cannot be used.
std::optional<KanunSystem> readScala(const std::filesystem::path& scl,
                                     const systems::DegreeNamer& names);

// The 26 positions of Yarman 79 a makam file (.mkm) holds; nothing when it cannot be read whole.
std::optional<PerString<std::int16_t>> readMakam(const std::filesystem::path& file);

} // namespace zembera::lv2
