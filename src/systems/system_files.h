#pragma once
// The bundled pitch systems and the reading of a system from Scala files.

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "systems/degree_names.h"
#include "systems/pitch_system.h"

namespace zembera::systems {

// Folder of the bundled scales and the name table, below the program folder.
inline constexpr const char* kSystemsFolder = "sistemler";
inline constexpr const char* kNameTableFile = "perde-names.tsv";

struct BundledSystem {
    const char* name;  // as the list shows it
    const char* file;  // in the systems folder
    double cCents;     // cents of the written C above the scale's 1/1
    bool tableFolding; // short strings laid out as on the bundled table (Yarman 79 and 80)
};

// The bundled systems in the order of the list; the first, Yarman 79, is the default.
std::span<const BundledSystem> bundledSystems();

// Reads the name table of the systems folder. Throws std::runtime_error or FormatError.
DegreeNamer readDegreeNamer(const std::filesystem::path& programFolder);

// Reads a system from a .scl file and, when given, its .kbm, whose key 60 plays the written C4;
// without a mapping the written C is the scale step nearest `cCents`. Throws FormatError naming
// the file and line of a broken file, std::runtime_error (in Turkish) otherwise.
PitchSystem readSystem(const std::filesystem::path& scl,
                       const std::optional<std::filesystem::path>& kbm, const DegreeNamer& names,
                       std::string name = "", double cCents = 0.0, bool tableFolding = false);

// A bundled system by its name (blanks and case do not matter: "yarman79") or file stem, or
// else a .scl file by its path. Throws like readSystem.
PitchSystem findSystem(const std::filesystem::path& programFolder, std::string_view nameOrFile,
                       const DegreeNamer& names);

} // namespace zembera::systems
