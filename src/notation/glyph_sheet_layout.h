#pragma once
// Where things lie on the glyph sheet of the staff (490 x 56 pixels, black on white): the staff
// with its clef, the note head and two rows of twelve accidental cells. The staff drawing copies
// these regions; the tool that draws the sheet puts its glyphs into them.

namespace zembera::glyphs {

struct Region {
    int x;
    int y;
    int width;
    int height;
};

inline constexpr int kSheetWidth = 490;
inline constexpr int kSheetHeight = 56;
inline constexpr int kColumns = 12;

// A treble clef on five lines, which lie on the sheet's rows 14, 20, 26, 32 and 38.
inline constexpr Region kStaff{362, 1, 115, 47};
inline constexpr int kStaffLineRows[5] = {14, 20, 26, 32, 38};
// An open oval, the head of a whole note.
inline constexpr Region kNoteHead{479, 1, 10, 7};

// Column c (0..11) of the upper row holds the accidental for the code c - 12 (lowering), the
// same column of the lower row the one for c + 1 (raising): the two differ by 13 steps.
constexpr Region loweringCell(int c) {
    return {9 + 30 * c, 1, 19, 24};
}
constexpr Region raisingCell(int c) {
    return {9 + 30 * c, 31, 19, 24};
}
constexpr int loweringCode(int c) {
    return c - 12;
}
constexpr int raisingCode(int c) {
    return c + 1;
}

} // namespace zembera::glyphs
