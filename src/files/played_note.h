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

namespace zembera {

// A string and mandal position.
struct PlayedNote {
    int string = 0;
    int mandal = 0;
};

// Redraws the staff and the panel for `note`; currentString and mandalPos are as before after.
void showPlayedNote(InstrumentState& state, InstrumentView& view, PlayedNote note);

} // namespace zembera
