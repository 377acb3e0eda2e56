#pragma once
// What the window remembers between runs, read with checks: a value that is missing or not one
// the program could have written (a tempo out of range, 25 positions, a relative path) is left
// out, and the window keeps its start-up value for it. Nothing is remembered by the modes
// without a window.
//
// Thread: any.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "pitch/per_string.h"
#include "session/settings_store.h"

namespace zembera {

// The melody tempo's range (milliseconds per unit) as the tempo scroll bar has it.
inline constexpr int kSlowestTempo = 60;
inline constexpr int kFastestTempo = 30;

struct RememberedSession {
    // The pitch system: a bundled one by its name, or a Scala file by its absolute path.
    std::optional<std::string> systemName;
    std::optional<std::filesystem::path> systemFile;
    // The makam last loaded, while nothing was changed after it; else the positions last set
    // (of the untransposed setting), with what the makam name box showed.
    std::optional<std::filesystem::path> makamFile;
    std::optional<PerString<std::int16_t>> positions;
    std::string makamName;
    std::optional<bool> stringsRing; // "Teller tınlasın"
    std::optional<int> tempo;
    std::optional<std::string> midiInput; // empty: every input
};

RememberedSession readSession(const SettingsStore& store);
// Writes every value present and removes the keys of those absent.
void writeSession(SettingsStore& store, const RememberedSession& session);

// The file dialogs, each with the folder it was last used in.
enum class DialogKind { piece, scale, scaleExport, soundFile };

std::optional<std::filesystem::path> dialogFolder(const SettingsStore& store, DialogKind kind);
void rememberDialogFolder(SettingsStore& store, DialogKind kind,
                          const std::filesystem::path& folder);

} // namespace zembera
