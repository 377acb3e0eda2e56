#pragma once
// Loading the program: the sample folder check, the pitch table, the mandal ranges and key map,
// the first sound of every string and the start values of the shared state. The window calls it
// and shows a fatal message before ending the program.

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "common/data_folders.h"
#include "common/messages.h"
#include "loader/sample_folder.h"
#include "model/instrument_state.h"
#include "model/recording_state.h"
#include "model/tuning_state.h"
#include "pitch/pitch_table.h"
#include "sound/string_sounds.h"

namespace zembera {

// Everything loading leaves behind for the window.
struct LoadedProgram {
    std::filesystem::path programFolder; // the bundled files
    std::filesystem::path sampleFolder;
    // The user's makams and melodies, and kayıt.txt with the scratch files: the program folder
    // and the sample folder themselves when the program folder is writable.
    DataFolders folders;
    std::filesystem::path recordFolder;
    SampleFolder samples;            // sampleFileName, mciAlias
    PerString<std::string> keyNames; // "--", " Q", " W", ... " M"
    std::string tableFileName = kTableFileName;
    PitchTables tables;
    InstrumentState instrument;
    TuningState tuning;
    RecordingState recording;
    std::unique_ptr<StringSounds> sounds;
};

struct StartupResult {
    std::optional<std::string> fatal; // the message shown before the program ends
    std::unique_ptr<LoadedProgram> program;
};

// The key of each string, split from "--, Q, W, ..., M" at every comma (blanks kept).
PerString<std::string> splitKeyNames();

// Loads everything from `programFolder`. The one message that does not end the program, naming
// every sample that cannot be used, goes to `messages`.
StartupResult loadProgram(const std::filesystem::path& programFolder, MessageService& messages);
// The same with the user's files in `folders.user` (the bundled ones in `folders.program`).
StartupResult loadProgram(const DataFolders& folders, MessageService& messages);

} // namespace zembera
