#pragma once
// Plays out what a score marks beyond plain notes, so that the placement and the players see
// only plain notes and chords:
// - a grace note becomes a short note (a 64th below quarter = 90, a 32nd at faster tempi, or
//   the share of the note it takes from that it names; at most half that note) taking its time
//   from the note before it, or, when it is marked on the beat or nothing precedes it, from the
//   note after it;
// - a trill becomes four groups of the upper (lower) neighbour, short, and the note;
// - a mordent the note, the neighbour and the note within the first quarter of its value (at
//   most 32nds), a late mordent the note for half its value, then the neighbour and the note;
// - a turn the upper neighbour, the note and the lower neighbour as a triplet in the first
//   quarter of its value (at most triplet 16ths), then the note; a delayed turn the note, then
//   the upper neighbour, the note, the lower one and the note in the last half of its value (at
//   most 32nds);
// - a tremolo repeated strokes of its stroke length (doubled while shorter than 40 ms); a
//   two-note tremolo the note and its second note alternating in such strokes;
// - a glissando stays the plain note.
// A chord's further notes sound with the first stroke of its figure.
//
// Thread: any (pure).

#include "scores/score.h"

namespace zembera::scores {

// The length of a grace note at `msPerBeat` milliseconds a quarter note.
double graceMs(double msPerBeat);

// Replaces the grace notes and ornaments of `score` by plain notes and counts them in
// graceNotes, ornaments and glissandi.
void playOut(Score& score);

} // namespace zembera::scores
