#pragma once
// The window side of the makam, recording and melody controls: the handlers of src/files over the
// widgets of the main window.
//
// Thread: UI thread only.

#include <QObject>
#include <memory>

#include "files/makam_handlers.h"
#include "files/melody_handlers.h"
#include "files/record_handlers.h"
#include "scores/score_player.h"

namespace zembera {

class NoteTimer;

// The first row of the melody list, which opens the file dialog, and the headings of the files
// opened last and of the program folder's.
inline constexpr const char* kOpenAnyFileRow = "Aç…";
inline constexpr const char* kRecentFilesHeading = "Son açılanlar";
inline constexpr const char* kProgramFolderHeading = "Program klasörü";

struct FilesControls {
    ~FilesControls();
    std::unique_ptr<FilesView> view;
    // The replay, melody and score player on its timer; the timer outlives the player.
    std::unique_ptr<NoteTimer> noteTimer;
    std::unique_ptr<NotePlayer> notePlayer;
    std::unique_ptr<QObject> stopWhenClosed; // ends the piece as the window closes
    std::unique_ptr<FilesParts> parts;
    std::unique_ptr<MakamHandlers> makam;
    std::unique_ptr<RecordHandlers> record;
    std::unique_ptr<MelodyHandlers> melody;
    std::unique_ptr<scores::ScorePlayer> scores; // MusicXML and SymbTr scores
};

} // namespace zembera
