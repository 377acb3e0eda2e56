#pragma once
// The glyph sheet of the staff: the staff with its treble clef, a whole-note head and the 24
// accidentals, black on white, each region framed in red just outside what the staff copies.

#include <QImage>

namespace zembera::glyphs {

// The signs an accidental is made of: a small sign that adds or takes away 1, 2 or 3 steps,
// a base sign (flat -6, sharp +6, double flat -12, double sharp +12), or one of each.
enum class SmallSign { None, Plus1, Plus2, Plus3, Minus1, Minus2, Minus3 };
enum class BaseSign { None, Flat, Sharp, DoubleFlat, DoubleSharp };

struct Accidental {
    SmallSign small;
    BaseSign base;
};

// The signs of the accidental code -12..-1 or 1..12.
Accidental accidentalOf(int code);

// Left edge of a small sign inside its cell: left of a base sign, or alone next to the note.
inline constexpr int kSmallSignBesideX = 0;
inline constexpr int kSmallSignAloneX = 10;
inline constexpr int kSmallSignWidth = 7;

// The sheet at `scale` pixels per pixel of the layout (1 or 2): the same regions, every glyph
// drawn at that resolution.
QImage drawGlyphSheet(int scale = 1);

} // namespace zembera::glyphs
