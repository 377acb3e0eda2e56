#pragma once
// A pitch system: a scale laid out on the instrument and the pitch tables built from it, the
// same tables the bundled Dizek.txt gives for the 79-tone scale.

#include <array>
#include <cstdint>
#include <string>

#include "pitch/pitch_table.h"
#include "pitch/scala_file.h"
#include "systems/degree_names.h"
#include "systems/system_layout.h"

namespace zembera::systems {

class PitchSystem {
  public:
    // Builds the tables of `scale` whose step `cStep` is the written C; `tableFolding` lays the
    // short strings out as the bundled table does (Yarman 79 and 80 only). Throws
    // std::runtime_error (in Turkish, naming `fileName`) when the scale has more degrees to the
    // octave than the tables hold.
    PitchSystem(std::string name, std::string fileName, const Scale& scale, int cStep,
                const DegreeNamer& names, bool tableFolding = false);

    std::string name;     // as the list shows it, "Yarman 79"
    std::string fileName; // the .scl it was read from
    Scale scale;
    int cStep = 0;
    SystemLayout layout;
    PitchTables tables;
    PerString<std::int16_t> mandalMin{};
    PerString<std::int16_t> mandalMax{};
};

// True when the layout is the one the bundled table was made for: 79 degrees with its naturals,
// named and marked by degrees as Dizek.txt is.
bool usesDegreeNaming(const SystemLayout& layout);

} // namespace zembera::systems
