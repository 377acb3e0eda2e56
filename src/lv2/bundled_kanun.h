#pragma once
// What the plugin reads from its bundle's folder when it is made: the pitch table (Dizek.txt)
// and the 26 string samples of wavs/, named as the program names them ("01_013081_ab.wav":
// string number, then the pitch in hundredths of a hertz).
//
// Thread: the host's control thread (instantiate); reads files.

#include <filesystem>
#include <memory>
#include <string>

#include "engine/string_sample.h"
#include "pitch/per_string.h"
#include "pitch/pitch_table.h"

namespace zembera::lv2 {

struct BundledKanun {
    std::unique_ptr<PitchTables> tables;
    PerString<engine::StringSample> samples{};
    std::string problem; // why the bundle cannot be played; empty when it can
};

BundledKanun readBundle(const std::filesystem::path& folder);

} // namespace zembera::lv2
