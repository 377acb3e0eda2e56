#pragma once
// What the pitches of a MIDI file are tuned to, told from the pitches themselves (key plus bend,
// in cents above key 60):
// - equal temperament, A4 = 440 Hz: every pitch lies within half a cent of a key;
// - 53 commas: all but a twentieth of the pitches lie within a quarter of a cent of one grid of
//   Holdrian commas. The grid is named by its A4 in the hertz of MIDI's keys (key 69 at 440 Hz),
//   by the natural that stands on its key (which fixes the grid exactly) and by how far it lies
//   from the commas counted from C4, as SymbTr's .txt counts them from C4 = 262 Hz. SymbTr's
//   MIDI files put A on its key, A4 = 440 Hz: 5.66 cents below the .txt's commas;
// - free pitches otherwise.
//
// Thread: any (pure).

#include <string>
#include <vector>

namespace zembera::scores {

struct TuningReference {
    enum class Kind { none, equal, commas, free } kind = Kind::none;
    double offsetCents = 0;   // commas: the grid minus the commas counted from C4
    int naturalOnKey = -1;    // commas: the step 0..6 of the natural on its key, or -1
    std::string text() const; // the report's words ("" for none)
};

TuningReference tuningReference(const std::vector<double>& cents);

} // namespace zembera::scores
