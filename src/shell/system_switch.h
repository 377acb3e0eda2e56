#pragma once
// Putting a pitch system into the loaded program, and the report of one system on the command
// line ("zembera --rapor --sistem <name or .scl file>").

#include <cstdio>
#include <filesystem>
#include <string_view>

#include "shell/startup_loader.h"
#include "systems/pitch_system.h"

namespace zembera {

// Takes the system's tables, mandal ranges and the degrees the pitch levels count in, keeps every
// string's mandal position (held at the nearest end of a narrower range) and fine tuning, and
// prepares the sound of all 26 strings at their positions in the new system.
void useSystem(LoadedProgram& program, const systems::PitchSystem& system);

// Prints what --rapor prints, for `system`, and the cents of every string at every mandal
// position of its range.
void printSystemReport(std::FILE* out, const LoadedProgram& program,
                       const systems::PitchSystem& system);

// Loads the program, switches to the system named `nameOrFile` and prints its report; a
// failure is printed on standard error. Returns the exit code.
int runSystemReport(const std::filesystem::path& folder, std::string_view nameOrFile);

} // namespace zembera
