#include "notation/staff.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <algorithm>
#include <map>
#include <tuple>

#include "notation/glyph_sheet_layout.h"
#include "support/pixels.h"

namespace zembera {
namespace {

using test::kBlack;
using test::kWhite;
constexpr QRgb kNoteHeadMark = qRgb(255, 255, 0);

using glyphs::Region;

// Each cell of this sheet is filled with a colour of its own, so the colour that a copy leaves on
// the staff tells which cell it came from. The staff region is white but for its five lines.
QRgb cellMark(bool raising, int column) {
    return qRgb(raising ? 0 : 128, 16 + 8 * column, 255);
}

QImage codedSheet() {
    QImage sheet(glyphs::kSheetWidth, glyphs::kSheetHeight, QImage::Format_RGB32);
    sheet.fill(qRgb(255, 0, 0)); // outside every region: nothing red may reach the staff
    QPainter p(&sheet);
    const auto fill = [&](const Region& r, QRgb color) {
        p.fillRect(r.x, r.y, r.width, r.height, QColor::fromRgb(color));
    };
    fill(glyphs::kStaff, kWhite);
    for (int y : glyphs::kStaffLineRows)
        fill(Region{glyphs::kStaff.x, y, glyphs::kStaff.width, 1}, kBlack);
    fill(glyphs::kNoteHead, kNoteHeadMark);
    for (int c = 0; c < glyphs::kColumns; ++c) {
        fill(glyphs::loweringCell(c), cellMark(false, c));
        fill(glyphs::raisingCell(c), cellMark(true, c));
    }
    return sheet;
}

// Where the pieces of string t land: the head 3 rows lower per string (string 12 in the third
// space), its accidental cell 9 rows above it.
int headTop(int t) {
    return 3 * t + 24;
}
int accidentalTop(int t) {
    return 3 * t + 15;
}

const std::vector<int> kStaffRows = {48, 54, 60, 66, 72};

// The ledger lines a head of string t needs, counted outwards from the staff 6 rows apart:
// above it for the highest strings, below it for the lowest.
std::vector<int> ledgerRowsOf(int t) {
    static const int counts[28] = {3, 3, 2, 2, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0,
                                   0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6};
    std::vector<int> rows;
    for (int i = 0; i < counts[t]; ++i)
        rows.push_back(t < 12 ? 42 - 6 * i : 78 + 6 * i);
    std::ranges::sort(rows);
    return rows;
}

// The rows black all across a head of string t: the staff lines and its ledger lines.
std::vector<int> linesThrough(int t) {
    std::vector<int> rows = ledgerRowsOf(t);
    rows.insert(rows.end(), kStaffRows.begin(), kStaffRows.end());
    std::ranges::sort(rows);
    return rows;
}

class Staff : public ::testing::Test {
  protected:
    void SetUp() override {
        setMandalRanges(state);
        for (int s = 1; s <= 26; ++s)
            for (int m = -8; m <= 12; ++m)
                tables.mandalMark(s, m) = static_cast<std::int16_t>(m);
    }

    void draw(int s, int m) {
        state.currentString = static_cast<std::int16_t>(s);
        state.mandalPos[s] = static_cast<std::int16_t>(m);
        porte(canvas, sheet, state, tables);
    }

    QRgb at(int x, int y) const { return canvas.pixel(x, y); }

    // The colours in a rectangle of the staff picture, with their pixel counts.
    std::map<QRgb, int> colours(int x = 0, int y = 0, int w = 140, int h = 132) const {
        std::map<QRgb, int> seen;
        for (int yy = y; yy < y + h; ++yy)
            for (int xx = x; xx < x + w; ++xx)
                ++seen[at(xx, yy)];
        return seen;
    }

    // Rows of the picture between x and x + 14 that are black from end to end.
    std::vector<int> blackRows(int x) const {
        std::vector<int> rows;
        for (int y = 0; y < canvas.height(); ++y) {
            bool all = true;
            for (int xx = x; xx <= x + 14; ++xx)
                all = all && at(xx, y) == kBlack;
            if (all) rows.push_back(y);
        }
        return rows;
    }

    // Whether the picture holds nothing but white, black and note heads: no accidental.
    bool onlyStaffAndHeads() const {
        std::map<QRgb, int> seen = colours();
        for (QRgb c : {kWhite, kBlack, kNoteHeadMark})
            seen.erase(c);
        return seen.empty();
    }

    QImage sheet = codedSheet();
    InstrumentState state;
    PitchTables tables;
    CanvasImage canvas{140, 132};
};

// A redraw after another string, and open string 12 is one head in the third space.
TEST_F(Staff, OpenStringTwelveIsOneHeadInTheThirdSpace) {
    draw(26, -8);
    draw(12, 0);
    // The staff is copied to (5, 35): its lines at 48..72 from x 5 to 119.
    EXPECT_EQ(blackRows(54), kStaffRows);
    EXPECT_EQ(colours(0, 48, 140, 1), (std::map<QRgb, int>{{kBlack, 115}, {kWhite, 25}}));
    // The head covers x 56..65 and y 60..66: centre row 63, between the lines 60 and 66; AND
    // with the staff line keeps (56, 60) black.
    const test::PixelAt pixels[] = {
        {56, 61, kNoteHeadMark}, {65, 65, kNoteHeadMark}, {56, 60, kBlack}, {55, 63, kWhite},
        {66, 63, kWhite},        {60, 59, kWhite},        {60, 67, kWhite}};
    test::expectPixels(canvas, pixels);
    // Nothing else: no accidental, no second note, no ledger line.
    EXPECT_EQ(colours(0, 0, 56, 132).size(), 2u); // white and the staff lines
    EXPECT_FALSE(colours(66, 0, 74, 132).count(kNoteHeadMark));
    EXPECT_EQ(blackRows(104), kStaffRows); // string 27's ledger lines are gone
    state.currentString = 0;               // nothing selected: the staff alone
    porte(canvas, sheet, state, tables);
    EXPECT_FALSE(colours().count(kNoteHeadMark));
    EXPECT_EQ(blackRows(54), kStaffRows);
}

TEST(StaffLedgerLines, FollowTheTableOfStrings) {
    for (int t = -1; t <= 28; ++t) {
        std::vector<int> got = ledgerLineRows(t);
        std::ranges::sort(got);
        EXPECT_EQ(got, t < 0 || t > 27 ? std::vector<int>{} : ledgerRowsOf(t)) << "string " << t;
    }
}

// A raised note is also the next higher string lowered, a lowered note the next lower string
// raised: the partner takes the same glyph column from the other row. A code out of place for
// its position (column -1) leaves both accidentals out but not the notes.
TEST_F(Staff, AccidentalNotesAreAlsoWrittenOnTheNeighbouringStep) {
    struct Case {
        int string, mandal, code, column;
    };
    const Case cases[] = {{1, 3, 6, 5},     // sharp; -7 on string 0
                          {26, -8, -8, 4},  // -8; +5 on string 27
                          {10, -6, -6, 6},  // flat; +7 on string 11
                          {10, 6, 6, 5},    // sharp; -7 on string 9
                          {3, 2, 9, 8},     // a short string's mark raises by 9; -4 on string 2
                          {5, -3, -12, 0},  // double flat; +1 on string 6
                          {3, 2, 0, -1},    // no code
                          {3, 2, -4, -1},   // a lowering code at a raised position
                          {12, 40, 0, -1}}; // beyond the mark table, as a makam file may leave it
    for (const Case& c : cases) {
        SCOPED_TRACE("string " + std::to_string(c.string) + " at " + std::to_string(c.mandal));
        if (tables.mandalMark.contains(c.string, c.mandal))
            tables.mandalMark(c.string, c.mandal) = static_cast<std::int16_t>(c.code);
        draw(c.string, c.mandal);
        const bool raised = c.mandal > 0;
        const int other = raised ? c.string - 1 : c.string + 1;
        EXPECT_EQ(at(60, headTop(c.string) + 1), kNoteHeadMark);
        EXPECT_EQ(at(110, headTop(other) + 1), kNoteHeadMark);
        EXPECT_EQ(at(110, headTop(other) - 1), kWhite);
        EXPECT_EQ(blackRows(54), linesThrough(c.string));
        EXPECT_EQ(blackRows(104), linesThrough(other));
        if (c.column < 0) {
            EXPECT_TRUE(onlyStaffAndHeads());
            continue;
        }
        EXPECT_EQ(at(40, accidentalTop(c.string) + 1), cellMark(raised, c.column));
        EXPECT_EQ(at(90, accidentalTop(other) + 1), cellMark(!raised, c.column));
    }
}

TEST_F(Staff, AccidentalCellsAreCopiedWholeAndNothingBeyondThem) {
    draw(10, -6);
    for (const auto& [x, y, raising] : {std::tuple{36, 45, false}, {86, 48, true}}) {
        const auto cell = colours(x, y, 19, 24);
        EXPECT_TRUE(cell.count(cellMark(raising, 6)));
        for (const auto& [c, n] : cell)
            EXPECT_TRUE(c == cellMark(raising, 6) || c == kBlack) << std::hex << c;
        EXPECT_EQ(at(x - 1, y + 5), kWhite);
        EXPECT_EQ(at(x + 4, y - 1), kWhite);
    }
    EXPECT_EQ(at(40, 69), kWhite); // below the flat's cell (the sharp's ends on a staff line)
}

} // namespace
} // namespace zembera
