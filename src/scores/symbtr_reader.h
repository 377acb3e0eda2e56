#pragma once
// Reads a SymbTr text score: tab-separated lines under the header
//   Sira Kod Nota53 NotaAE Koma53 KomaAE Pay Payda Ms LNS Bas Soz1 Offset
// (columns found by their header names). Every row with a duration (Ms above 0, or without the Ms
// column a sounding code with a length) takes its time; the codes that sound (9 and the other
// note codes, ornaments and tremolo, see meaningOf) sound their pitch, the others (usul, makam,
// tempo, repeat and layout marks) are silent. A grace note (code 8 or 17) takes no written time:
// ornaments.h plays it out, whatever its Pay says over a Payda of 0. A sounding row without time
// (Ms 0, or without the Ms column no length) is left out and named in the score's remarks. The
// places of the notes are lines of the file.
//
// The written natural, which chooses the string, comes from the note name: NotaAE in letters
// ("A4", "B4b5", "F5#4"), else Nota53 in Turkish solfège ("La4", "Si4b5", "Fa5#4"); the sign
// 'b' or '#' is followed by the commas. The pitch comes from Koma53, the note's place in 53
// commas to the octave (C4 = 265, A4 = 305; -1 a rest), and from the name's commas where
// Koma53 is missing. "Es" (or "Sus") names a rest. The length is Pay/Payda of a whole note, a
// grace note having 0; Ms gives its milliseconds (the tempo), and without Ms the length is
// timed at kDefaultTempo.
//
// Thread: any (pure).

#include <string>
#include <string_view>

#include "scores/score.h"

namespace zembera::scores {

// Koma53 of C4.
inline constexpr int kSymbTrC4 = 265;

// Throws ScoreError naming `fileName` and the line for a missing column, a pitch or length
// that cannot be read, or a score without notes.
Score parseSymbTr(std::string_view text, const std::string& fileName);

// True when the first line of `text` that is not blank is a SymbTr header (it has the column
// Kod).
bool looksLikeSymbTr(std::string_view text);

} // namespace zembera::scores
