#include "notation/staff.h"

#include "notation/glyph_sheet_layout.h"

namespace zembera {
namespace {

constexpr QRgb kBlack = qRgb(0, 0, 0);

// The staff lines on the picture, and the ledger lines beyond them, are 6 pixels apart.
constexpr int kTopLedgerRows[] = {42, 36, 30};
constexpr int kBottomLedgerRows[] = {78, 84, 90, 96, 102, 108};

// The glyph sheets: the logical one, and the one drawn at twice its size (may be null).
struct Sheets {
    const QImage& single;
    const QImage& doubled;
};

void copyRegion(CanvasImage& canvas, Sheets sheets, const glyphs::Region& r, int x, int y) {
    canvas.andCopy(sheets.single, QRect(r.x, r.y, r.width, r.height), QPoint(x, y), sheets.doubled);
}

int headCentre(int t) {
    return noteHeadTop(t) + 3;
}

} // namespace

std::vector<int> ledgerLineRows(int t) {
    std::vector<int> rows;
    if (t < 0 || t > 27) return rows;
    for (int y : kTopLedgerRows) {
        if (y >= headCentre(t)) rows.push_back(y);
    }
    for (int y : kBottomLedgerRows) {
        if (y <= headCentre(t)) rows.push_back(y);
    }
    return rows;
}

void ek_çizgiler(CanvasImage& canvas, int t, int x) {
    canvas.setLineWidth(1);
    for (int y : ledgerLineRows(t))
        canvas.line(x, y, x + 14, y, kBlack);
}

int accidentalColumn(int m, int k) {
    if (m > 0 && k >= 1 && k <= glyphs::kColumns) return k - 1;
    if (m < 0 && k <= -1 && k >= -glyphs::kColumns) return k + 12;
    return -1;
}

void porte(CanvasImage& canvas, const QImage& glyphSheet, const InstrumentState& state,
           const PitchTables& tables, const QImage& doubledGlyphSheet) {
    const Sheets sheets{glyphSheet, doubledGlyphSheet};
    canvas.clear();
    copyRegion(canvas, sheets, glyphs::kStaff, kStaffLeft, kStaffTop);
    const int s = state.currentString;
    if (s < 1 || s > kStringCount) return;
    const int m = state.mandalPos[s];

    copyRegion(canvas, sheets, glyphs::kNoteHead, kMainHeadX, noteHeadTop(s));
    if (m == 0) {
        ek_çizgiler(canvas, s, kMainHeadX - 2);
        return;
    }

    // A raised note is also the next higher string lowered, a lowered note the next lower
    // string raised: the same glyph column, taken from the other row.
    const bool raised = m > 0;
    const int other = raised ? s - 1 : s + 1;
    // Positions beyond the mark table (a makam file may hold any number) have no accidental.
    const int column =
        tables.mandalMark.contains(s, m) ? accidentalColumn(m, tables.mandalMark(s, m)) : -1;
    if (column >= 0) {
        const glyphs::Region own =
            raised ? glyphs::raisingCell(column) : glyphs::loweringCell(column);
        copyRegion(canvas, sheets, own, kMainAccidentalX, accidentalTop(s));
    }
    copyRegion(canvas, sheets, glyphs::kNoteHead, kAlternativeHeadX, noteHeadTop(other));
    if (column >= 0) {
        const glyphs::Region complement =
            raised ? glyphs::loweringCell(column) : glyphs::raisingCell(column);
        copyRegion(canvas, sheets, complement, kAlternativeAccidentalX, accidentalTop(other));
    }
    ek_çizgiler(canvas, s, kMainHeadX - 2);
    ek_çizgiler(canvas, other, kAlternativeHeadX - 2);
}

} // namespace zembera
