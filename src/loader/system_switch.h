#pragma once
// Putting a pitch system into the loaded program, and the report of one system on the command
// line ("zembera --rapor --sistem <name or .scl file>").

#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string_view>

#include "loader/startup_loader.h"
#include "pitch/per_string.h"
#include "systems/pitch_system.h"

namespace zembera {

// Cents of strings 1..26 (element 0 unused).
using StringPitches = PerString<double>;

// The pitch of every string at `positions` in the tables in use, fine tuning left out.
StringPitches tablePitches(const LoadedProgram& program, const PerString<std::int16_t>& positions);

// The position of string s, within its range in `system`, whose pitch lies nearest `cents`; of
// two equally near the one nearer the open string, then the lower.
int nearestPosition(const systems::PitchSystem& system, int s, double cents);

// Takes the system's tables, mandal ranges and the degrees the pitch levels count in, sets the
// strings to `positions` (and the untransposed setting kept behind a transposed one to
// `savedPositions`), keeps the fine tuning, and prepares the sound of all 26 strings.
void putSystem(LoadedProgram& program, const systems::PitchSystem& system,
               const PerString<std::int16_t>& positions,
               const PerString<std::int16_t>& savedPositions);

// Switches to `system` keeping the music: every string moves to the position whose pitch lies
// nearest the one it sounds now; the fine tuning stays in cents.
void useSystem(LoadedProgram& program, const systems::PitchSystem& system);

// A run of switches between systems that keeps what the user set. The pitches the strings had
// when the user last changed something are the aim of every later switch, and the positions
// each system had when it was left come back when it is chosen again, as long as nothing was
// changed in between: a mandal, a makam, a fine tuning, a reset, a pitch level or shift.
class SystemSwitcher {
  public:
    // Switches from the system in use, known as `from`, to `system`, known as `to`.
    void switchSystem(LoadedProgram& program, int from, int to, const systems::PitchSystem& system);
    // Notes the state the switch left, once the window has followed it (a transposed setting is
    // transposed again); a later difference from it is a change by the user.
    void settle(const LoadedProgram& program);

  private:
    struct Setting {
        PerString<std::int16_t> positions{};
        PerString<std::int16_t> saved{};
        PerString<float> tuningOffset{};
        std::int16_t ahenkIndex = 0;
        std::int16_t totalDegreeShift = 0;
        bool untransposedShown = true;
        bool operator==(const Setting&) const = default;
    };
    static Setting settingOf(const LoadedProgram& program);

    std::optional<Setting> settled_;
    StringPitches aim_{};
    StringPitches savedAim_{};
    std::map<int, Setting> left_; // per system, its setting when it was left
};

// Prints what --rapor prints, for `system`, and the cents of every string at every mandal
// position of its range.
void printSystemReport(std::FILE* out, const LoadedProgram& program,
                       const systems::PitchSystem& system);

// Loads the program, switches to the system named `nameOrFile` and prints its report; a
// failure is printed on standard error. Returns the exit code.
int runSystemReport(const std::filesystem::path& folder, std::string_view nameOrFile);

} // namespace zembera
