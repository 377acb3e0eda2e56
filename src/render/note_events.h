#pragma once
// A melody file or a recording as a list of note events (files/note_event_list.h): what the
// melody player or the replay starts on the memory channel, and when, by the same steps
// (files/player_steps.h) with the settings fixed for the whole piece. Scores read from other
// formats become a piece the same way (score_events.h) and render through the same path.
//
// Thread: any (pure).

#include <array>
#include <cstdint>
#include <string_view>

#include "files/melody_file.h"
#include "files/note_event_list.h"
#include "pitch/per_string.h"

namespace zembera {

// The tempo of the melody player as the window starts: milliseconds per unit.
inline constexpr int kStartTempoMs = 40;

// What the players read from the instrument and the window besides the file.
struct PlayerSettings {
    PerString<std::int16_t> mandalPos{}; // by string 1..26
    int ahenkShift = 0;
    MandalMode melodyMode = MandalMode::şartlı; // the melody's mandal mode as the window starts
    int replayMode = 1;         // the replay's mandal mode: 1 "çalgı" sounds, others stay silent
    int unitMs = kStartTempoMs; // the tempo scroll bar
};

// The notes and rests of a melody file's text (`fileName` names it in errors), as the melody
// player plays them. Throws FormatError at a faulty record.
NoteEvents melodyEvents(std::string_view text, const std::string& fileName,
                        const PlayerSettings& settings);

// The plucks of a recording file's text, as the replay plays them. Throws FormatError at a
// faulty line.
NoteEvents recordingEvents(std::string_view text, const std::string& fileName,
                           const PlayerSettings& settings);

} // namespace zembera
