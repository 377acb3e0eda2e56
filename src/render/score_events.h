#pragma once
// A placed score as a piece of note events, as the score player plays it: each note or rest from
// its onset, a chord's further notes together with its first, the lengths stretched by the tempo
// factor of the scroll bar.
//
// Thread: any (pure).

#include "render/note_events.h"
#include "scores/kanun_mapping.h"

namespace zembera {

// `tempoFactor` multiplies every written length (1 plays the score at its written tempo).
NoteEvents scoreEvents(const scores::PlacedScore& placed, double tempoFactor);

} // namespace zembera
