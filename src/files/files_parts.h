#pragma once
// What the makam, recording and melody handlers work on: the shared state of the window, its
// views, the sound and the folders.
//
// Thread: UI thread only.

#include <filesystem>

#include "common/data_folders.h"
#include "common/messages.h"
#include "files/files_view.h"
#include "files/note_player.h"
#include "model/instrument_ports.h"
#include "model/instrument_state.h"
#include "model/recording_state.h"
#include "model/tuning_state.h"
#include "sound/patched_sample.h"
#include "sound/sound_output.h"

namespace zembera {

struct FilesParts {
    InstrumentState& instrument;
    const TuningState& tuning;
    RecordingState& recording;
    InstrumentView& view; // tel_çiz, mandal_at, porte, etiket, arıza_yaz
    FilesView& controls;
    SoundOutput& sound;
    PatchedSampleSource source; // what PlayPatchedSample reads
    MessageService& messages;
    std::filesystem::path programFolder; // Dizek.txt, the bundled makam and melody files
    std::filesystem::path sampleFolder;  // the samples
    // Plays the replay, the melodies and the scores, one piece at a time.
    NotePlayer& player;
    // Where the user's makams, melodies and kayıt.txt go; left empty, the program folder and the
    // sample folder themselves (a writable program folder).
    DataFolders folders = {};
    std::filesystem::path recordFolder = {};

    DataFolders files() const {
        return folders.user.empty() ? DataFolders{programFolder, programFolder} : folders;
    }
    std::filesystem::path records() const {
        return recordFolder.empty() ? sampleFolder : recordFolder;
    }
};

// The frames a recording or a replay disables: pitch levels, resets and exit, makam files,
// melody files and the octave division.
inline constexpr WindowFrame kRecordingFrames[] = {WindowFrame::pitchLevel, WindowFrame::reset,
                                                   WindowFrame::makam,      WindowFrame::melody,
                                                   WindowFrame::empty,      WindowFrame::octave};
// The frames the melody player disables: the same but the recording frame instead of its own.
inline constexpr WindowFrame kMelodyFrames[] = {WindowFrame::pitchLevel, WindowFrame::reset,
                                                WindowFrame::makam,      WindowFrame::record,
                                                WindowFrame::empty,      WindowFrame::octave};

template <typename Frames>
void setFramesEnabled(FilesView& controls, const Frames& frames, bool on) {
    for (WindowFrame frame : frames)
        controls.setFrameEnabled(frame, on);
}

} // namespace zembera
