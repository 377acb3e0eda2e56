#pragma once
// The note of the current string on a treble staff (the staff picture, 140 x 132 pixels). Each
// string is one diatonic step, string 1 the highest. A note whose mandal stands away from 0 is
// written twice: on its own step with the accidental of its code, and beside it on the
// neighbouring string's step with the accidental 13 steps the other way.

#include <QImage>
#include <vector>

#include "canvas/canvas_image.h"
#include "model/instrument_state.h"
#include "pitch/pitch_table.h"

namespace zembera {

// Top-left corners of the pieces on the staff picture.
inline constexpr int kStaffLeft = 5;
inline constexpr int kStaffTop = 35;
inline constexpr int kMainHeadX = 56;
inline constexpr int kAlternativeHeadX = 106;
inline constexpr int kMainAccidentalX = 36;
inline constexpr int kAlternativeAccidentalX = 86;

inline int noteHeadTop(int t) {
    return 3 * t + 24;
}
inline int accidentalTop(int t) {
    return 3 * t + 15;
}

// Rows of the ledger lines a note head of string t (0..27) needs: every line between the staff
// and the head's centre, the head's own line included. Empty for 6..16 and outside 0..27.
std::vector<int> ledgerLineRows(int t);

// Draws the ledger lines of string t in black from x to x + 14.
void ek_çizgiler(CanvasImage& canvas, int t, int x);

// The glyph column of a note at mandal position m with the code k: a raised note (k 1..12) uses
// column k - 1, a lowered one (k -12..-1) column k + 12. -1 when m is 0 or k does not fit m.
int accidentalColumn(int m, int k);

// Redraws the staff picture for currentString at its sounding mandal position, copying the staff,
// the note heads and the accidentals from `glyphSheet` with AND. A code out of place for its
// position (0, or the wrong sign, from a faulty table) leaves the accidentals out but still
// draws both notes; a string outside 1..26 leaves the staff empty. On a canvas of device scale
// 1.5 or more the copies come from `doubledGlyphSheet`, the sheet drawn at twice the size, when
// one is given.
void porte(CanvasImage& canvas, const QImage& glyphSheet, const InstrumentState& state,
           const PitchTables& tables, const QImage& doubledGlyphSheet = QImage());

} // namespace zembera
