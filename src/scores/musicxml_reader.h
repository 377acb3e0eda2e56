#pragma once
// Reads a MusicXML score (partwise) into a Score: one line of notes and rests, the chosen voice
// of the chosen part (by default the first part and the first voice heard in it), as the
// standard defines the time: <duration> over <divisions> (or <type>, <dot> and
// <time-modification>), <backup> and <forward> moving the time within the measure, a chord's
// further notes (<chord/>, their voice that of the note before when they give none) starting
// with it. Where the chosen voice has no note in a measure the line follows the first voice
// heard there; a gap in the line is a rest. Ties are merged, repeats, endings and jumps played
// out (repeat_order.h), grace notes and ornaments marked for ornaments.h. Tempo from
// <sound tempo> in any part (a score often writes it in its first part only).
//
// Pitch: <pitch> is the sounding pitch (after <transpose> for a transposing part); key
// signatures and earlier accidentals change no note without <alter>. Two readings of it:
// - exact: equal-tempered naturals raised by <alter> in semitones, as the standard defines;
// - commas: naturals in Holdrian commas (score.h) and the accidental glyphs in their
//   Arel-Ezgi-Uzdilek values. A note with <alter> and no glyph takes the comma value of the
//   glyph in force in the same direction (the tied note before, the same note earlier in the
//   measure, the key signature); a key signature's glyph fixes the commas of the same glyph on
//   its step (SymbTr writes one- and two-comma flats with one glyph).
// The commas are chosen automatically when the score is in that convention: written by
// SymbTr's converter, a <key-alter> beyond ±2.5 (commas, not semitones), or a glyph that exists
// only in that notation (the slash signs).
//
// Thread: any (Qt Core only).

#include <string>
#include <string_view>

#include "scores/score.h"

namespace zembera::scores {

// What the user chose to hear from a score with several parts, voices or readings.
struct ScoreChoice {
    PitchReading reading = PitchReading::automatic;
    int part = 0;  // index among the score's parts
    int voice = 0; // index among the part's voices
};

// Throws ScoreError naming `fileName` when the text is not well-formed XML, has no part, no
// note, or a note whose pitch or length cannot be told.
Score parseMusicXml(std::string_view xml, const std::string& fileName,
                    const ScoreChoice& choice = {});

} // namespace zembera::scores
