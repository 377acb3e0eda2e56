#pragma once
// The staff and the pitch panel of a player show the note that sounds. A player may sound another
// string than the one it names (the pitch level's string shift of a replay) or another position
// than the string's mandal (a file mandal of the melody modes "şartlı" and "dosya"): porte and
// etiket then draw with that string and position in place of the instrument's, which are put
// back at once, so the mandals and their pictures stay as the user set them.
//
// Thread: UI thread only.

#include "model/instrument_ports.h"
#include "model/instrument_state.h"
#include "model/sound_port.h"
#include "pitch/pitch_table.h"

namespace zembera {

// A string and mandal position.
struct PlayedNote {
    int string = 0;
    int mandal = 0;
};

// Redraws the staff and the panel for `note`; currentString and mandalPos are as before after.
void showPlayedNote(InstrumentState& state, InstrumentView& view, PlayedNote note);

// What a player sounds for `note`: the string's sample at the pitch of that position, with the
// string's fine tuning, interpolated.
StringNote playerNote(const PitchTables& tables, const PerString<float>& tuningOffset,
                      PlayedNote note);

} // namespace zembera
