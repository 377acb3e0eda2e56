#pragma once
// The written natural (the string) of pitches that come without one, as from a MIDI file, in the
// way Turkish notation spells them and a kanun player would choose the string.
//
// A pitch is taken to its nearest Holdrian comma. Each natural stands for the commas where Turkish
// notation writes it most (as the 2,200 pieces of the SymbTr corpus spell them): C from a comma
// under it to its bakiye sharp (0..4 above C), D 5..12, E 13..21, F 22..27, G 28..35, A 36..43,
// B 44..51. A pitch within 5 commas (up to a küçük mücennep) of the natural beside its own may be
// written there instead, as the same pitch often is: the player takes that string when the
// neighbouring notes (32 either side, the nearer counting more) use the usual string for
// another pitch, so that its mandal need not turn, and it weighs more than the cost of the
// unusual spelling.
//
// Thread: any (pure).

#include <vector>

#include "scores/score.h"

namespace zembera::scores {

// The naturals of `cents` (above C4, in the order they are played), with their pitches.
std::vector<ScorePitch> spellPitches(const std::vector<double>& cents);

} // namespace zembera::scores
