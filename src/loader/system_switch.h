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

// The positions of `to`, within its ranges, whose pitches lie nearest those `positions` have in
// `from`, string by string.
PerString<std::int16_t> nearestPositions(const PitchTables& from,
                                         const PerString<std::int16_t>& positions,
                                         const systems::PitchSystem& to);

// Switches to `system` keeping the music: every string moves to the position whose pitch lies
// nearest the one it sounds now; the fine tuning stays in cents.
void useSystem(LoadedProgram& program, const systems::PitchSystem& system);

// A run of switches between systems that keeps what sounds, string by string. Each switch starts
// from the system being left: every string moves to the position nearest the pitch it sounds
// there. A system chosen again gives back the positions it had when it was left to every string
// the user has not changed since (a mandal, a fine tuning, a makam, a reset); a pitch level or a
// degree shift, which moves every string, ends all of that memory.
class SystemSwitcher {
  public:
    // Switches from the system in use, known as `from`, to `system`, known as `to`.
    void switchSystem(LoadedProgram& program, int from, int to, const systems::PitchSystem& system);
    // Notes the state the switch left, once the window has followed it (a transposed setting is
    // transposed again); a later difference from it is a change by the user.
    void settle(const LoadedProgram& program);
    // A makam has been loaded into the system in use from a file written in system `written`
    // with `filePositions`: these come back when `written` is chosen, and nothing else is kept.
    void takeMakam(const LoadedProgram& program, int written,
                   const PerString<std::int16_t>& filePositions);

  private:
    struct StringSetting {
        std::int16_t position = 0;
        std::int16_t saved = 0; // the untransposed position behind a transposed one
        float tuningOffset = 0;
        bool operator==(const StringSetting&) const = default;
    };
    struct Levels {
        std::int16_t ahenkIndex = 0;
        std::int16_t totalDegreeShift = 0;
        bool untransposedShown = true;
        bool operator==(const Levels&) const = default;
    };
    using Strings = PerString<std::optional<StringSetting>>;
    static Strings stringsOf(const LoadedProgram& program);
    static Levels levelsOf(const LoadedProgram& program);
    // Forgets, in every system, the strings changed since the last settle.
    void forgetChanges(const LoadedProgram& program);

    bool settled_ = false;
    Strings settledStrings_{};
    Levels settledLevels_{};
    std::map<int, Strings> left_; // per system, its strings as they were when it was left
};

// Prints what --rapor prints, for `system`, and the cents of every string at every mandal
// position of its range.
void printSystemReport(std::FILE* out, const LoadedProgram& program,
                       const systems::PitchSystem& system);

// Loads the program, switches to the system named `nameOrFile` and prints its report; a
// failure is printed on standard error. Returns the exit code.
int runSystemReport(const std::filesystem::path& folder, std::string_view nameOrFile);

} // namespace zembera
