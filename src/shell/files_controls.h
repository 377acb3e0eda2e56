#pragma once
// The window side of the makam, recording and melody controls: the handlers of src/files over the
// widgets of the main window.
//
// Thread: UI thread only.

#include <memory>

#include "files/makam_handlers.h"
#include "files/melody_handlers.h"
#include "files/record_handlers.h"
#include "scores/score_player.h"

namespace zembera {

struct FilesControls {
    std::unique_ptr<FilesView> view;
    std::unique_ptr<FilesParts> parts;
    std::unique_ptr<MakamHandlers> makam;
    std::unique_ptr<RecordHandlers> record;
    std::unique_ptr<MelodyHandlers> melody;
    std::unique_ptr<scores::ScorePlayer> scores; // MusicXML and SymbTr scores
};

} // namespace zembera
