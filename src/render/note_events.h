#pragma once
// A melody file or a recording as a list of note events (files/note_event_list.h): what the
// melody player or the replay starts on the memory channel, and when, drawn from the same piece
// (files/player_steps.h) with the settings fixed for the whole piece. Scores read from other
// formats become a piece the same way (score_events.h) and render through the same path.
//
// Thread: any (pure).

#include <string>
#include <string_view>

#include "files/note_event_list.h"
#include "files/player_steps.h"

namespace zembera {

// The notes and rests of a melody file's text (`fileName` names it in errors), as the melody
// player plays them. Throws FormatError at a faulty record.
NoteEvents melodyEvents(std::string_view text, const std::string& fileName,
                        const PlayerSettings& settings);

// The plucks of a recording file's text, as the replay plays them. Throws FormatError at a
// faulty line.
NoteEvents recordingEvents(std::string_view text, const std::string& fileName,
                           const PlayerSettings& settings);

} // namespace zembera
