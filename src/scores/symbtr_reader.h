#pragma once
// Reads a SymbTr text score: tab-separated lines under the header
//   Sira Kod Nota53 NotaAE Koma53 KomaAE Pay Payda Ms LNS Bas Soz1 Offset
// (columns found by their header names). Lines of code 9 are notes; others (usul, section and
// lyric marks) are passed over. The pitch comes from the 53-comma name Nota53: a letter, an
// octave and an optional sign 'b' or '#' followed by the commas, as "B4b1" or "F5#4"; "Es" is
// a rest. The length is Pay/Payda of a whole note, and Ms gives its milliseconds (the tempo);
// without Ms the length is timed at kDefaultTempo.
//
// Thread: any (pure).

#include <string>
#include <string_view>

#include "scores/score.h"

namespace zembera::scores {

// Throws ScoreError naming `fileName` and the line for a missing column, a pitch or length
// that cannot be read, or a score without notes.
Score parseSymbTr(std::string_view text, const std::string& fileName);

} // namespace zembera::scores
