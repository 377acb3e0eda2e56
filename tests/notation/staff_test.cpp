#include "notation/staff.h"

#include <gtest/gtest.h>

#include <map>

#include "notation/glyph_sheet_layout.h"

namespace zembera {
namespace {

constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kNoteHeadMark = qRgb(255, 255, 0);

using glyphs::Region;

// Each cell of this sheet is filled with a colour of its own, so the colour that a copy leaves on
// the staff tells which cell it came from. The staff region is white but for its five lines.
QRgb cellMark(bool raising, int column) {
    return qRgb(raising ? 0 : 128, 16 + 8 * column, 255);
}

void fill(QImage& image, const Region& r, QRgb color) {
    for (int y = r.y; y < r.y + r.height; ++y) {
        for (int x = r.x; x < r.x + r.width; ++x)
            image.setPixel(x, y, color);
    }
}

QImage codedSheet() {
    QImage sheet(glyphs::kSheetWidth, glyphs::kSheetHeight, QImage::Format_RGB32);
    sheet.fill(qRgb(255, 0, 0)); // outside every region: nothing red may reach the staff
    fill(sheet, glyphs::kStaff, kWhite);
    for (int y : glyphs::kStaffLineRows)
        fill(sheet, Region{glyphs::kStaff.x, y, glyphs::kStaff.width, 1}, kBlack);
    fill(sheet, glyphs::kNoteHead, kNoteHeadMark);
    for (int c = 0; c < glyphs::kColumns; ++c) {
        fill(sheet, glyphs::loweringCell(c), cellMark(false, c));
        fill(sheet, glyphs::raisingCell(c), cellMark(true, c));
    }
    return sheet;
}

class Staff : public ::testing::Test {
  protected:
    void SetUp() override {
        setMandalRanges(state);
        for (int s = 1; s <= 26; ++s) {
            for (int m = -8; m <= 12; ++m)
                tables.mandalMark(s, m) = static_cast<std::int16_t>(m);
        }
    }

    void draw(int s, int m) {
        state.currentString = static_cast<std::int16_t>(s);
        state.mandalPos[s] = static_cast<std::int16_t>(m);
        porte(canvas, sheet, state, tables);
    }

    QRgb at(int x, int y) const { return canvas.pixel(x, y); }

    // The colours in a rectangle of the staff picture, with their pixel counts.
    std::map<QRgb, int> colours(int x, int y, int w, int h) const {
        std::map<QRgb, int> seen;
        for (int yy = y; yy < y + h; ++yy) {
            for (int xx = x; xx < x + w; ++xx)
                ++seen[at(xx, yy)];
        }
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

    bool hasColour(int x, int y, int w, int h, QRgb c) const {
        return colours(x, y, w, h).count(c);
    }

    QImage sheet = codedSheet();
    InstrumentState state;
    PitchTables tables;
    CanvasImage canvas{140, 132};
};

const std::vector<int> kStaffRows = {48, 54, 60, 66, 72};

TEST_F(Staff, OpenStringTwelveIsOneHeadInTheThirdSpace) {
    draw(12, 0);
    // The staff is copied to (5, 35): its lines at 48..72 from x 5 to 119.
    for (int y : kStaffRows) {
        EXPECT_EQ(at(5, y), kBlack);
        EXPECT_EQ(at(119, y), kBlack);
        EXPECT_EQ(at(4, y), kWhite);
        EXPECT_EQ(at(120, y), kWhite);
    }
    // The head covers x 56..65 and y 60..66: centre row 63, between the lines 60 and 66.
    EXPECT_EQ(at(56, 61), kNoteHeadMark);
    EXPECT_EQ(at(65, 65), kNoteHeadMark);
    EXPECT_EQ(at(56, 60), kBlack); // AND with the staff line keeps it black
    EXPECT_EQ(at(55, 63), kWhite);
    EXPECT_EQ(at(66, 63), kWhite);
    EXPECT_EQ(at(60, 59), kWhite);
    EXPECT_EQ(at(60, 67), kWhite);
    // Nothing else: no accidental, no second note, no ledger line.
    const auto left = colours(0, 0, 56, 132);
    EXPECT_EQ(left.size(), 2u); // white and the staff lines
    EXPECT_FALSE(hasColour(66, 0, 74, 132, kNoteHeadMark));
    EXPECT_EQ(blackRows(54), kStaffRows);
}

TEST_F(Staff, LedgerLinesFollowTheTableOfStrings) {
    const std::map<int, std::vector<int>> expected = {
        {0, {30, 36, 42}},
        {1, {30, 36, 42}},
        {2, {36, 42}},
        {3, {36, 42}},
        {4, {42}},
        {5, {42}},
        {6, {}},
        {12, {}},
        {16, {}},
        {17, {78}},
        {18, {78}},
        {19, {78, 84}},
        {20, {78, 84}},
        {21, {78, 84, 90}},
        {22, {78, 84, 90}},
        {23, {78, 84, 90, 96}},
        {24, {78, 84, 90, 96}},
        {25, {78, 84, 90, 96, 102}},
        {26, {78, 84, 90, 96, 102}},
        {27, {78, 84, 90, 96, 102, 108}},
    };
    for (const auto& [t, rows] : expected) {
        CanvasImage c(140, 132);
        ek_çizgiler(c, t, 104);
        for (int y = 0; y < 132; ++y) {
            const bool line = std::find(rows.begin(), rows.end(), y) != rows.end();
            EXPECT_EQ(c.pixel(104, y) == kBlack, line) << "string " << t << " row " << y;
            EXPECT_EQ(c.pixel(118, y) == kBlack, line) << "string " << t << " row " << y;
            EXPECT_EQ(c.pixel(103, y), kWhite);
            EXPECT_EQ(c.pixel(119, y), kWhite);
        }
    }
    EXPECT_TRUE(ledgerLineRows(-1).empty());
    EXPECT_TRUE(ledgerLineRows(28).empty());
}

TEST_F(Staff, RaisedNoteOnStringOneHasItsPartnerOnStringZero) {
    tables.mandalMark(1, 3) = 6;
    draw(1, 3);
    // Main note on string 1 at (56, 27), the partner on string 0 at (106, 24).
    EXPECT_EQ(at(60, 28), kNoteHeadMark);
    EXPECT_EQ(at(110, 25), kNoteHeadMark);
    EXPECT_EQ(at(110, 23), kWhite);
    EXPECT_EQ(blackRows(54), (std::vector<int>{30, 36, 42, 48, 54, 60, 66, 72}));
    EXPECT_EQ(blackRows(104), (std::vector<int>{30, 36, 42, 48, 54, 60, 66, 72}));
    EXPECT_NE(at(103, 30), kBlack); // the partner's accidental cell ends at 104
    EXPECT_EQ(at(119, 30), kWhite);
    // Sharp (code 6, raising column 5) at (36, 18); code -7 (lowering column 5) at (86, 15).
    EXPECT_EQ(at(40, 19), cellMark(true, 5));
    EXPECT_EQ(at(90, 16), cellMark(false, 5));
    EXPECT_EQ(at(90, 14), kWhite);
}

TEST_F(Staff, LoweredNoteOnStringTwentySixHasSixLedgerLinesUnderItsPartner) {
    draw(26, -8);
    EXPECT_EQ(at(60, 103), kNoteHeadMark);  // string 26: (56, 102)
    EXPECT_EQ(at(110, 106), kNoteHeadMark); // string 27: (106, 105)
    std::vector<int> partnerRows = kStaffRows;
    partnerRows.insert(partnerRows.end(), {78, 84, 90, 96, 102, 108});
    EXPECT_EQ(blackRows(104), partnerRows);
    partnerRows.pop_back();
    EXPECT_EQ(blackRows(54), partnerRows);
    // Code -8 takes lowering column 4 at (36, 93) and raising column 4 (code 5) at (86, 96).
    EXPECT_EQ(at(40, 94), cellMark(false, 4));
    EXPECT_EQ(at(90, 97), cellMark(true, 4));
}

TEST_F(Staff, FlatIsWrittenAsSharpWithPlusOneOnTheNextLowerString) {
    draw(10, -6);
    // The flat: code -6, lowering column 6, at (36, 45) over the whole cell.
    const auto main = colours(36, 45, 19, 24);
    EXPECT_TRUE(main.count(cellMark(false, 6)));
    for (const auto& [c, n] : main)
        EXPECT_TRUE(c == cellMark(false, 6) || c == kBlack) << std::hex << c;
    // Code +7 on string 11: raising column 6 at (86, 48).
    const auto partner = colours(86, 48, 19, 24);
    EXPECT_TRUE(partner.count(cellMark(true, 6)));
    for (const auto& [c, n] : partner)
        EXPECT_TRUE(c == cellMark(true, 6) || c == kBlack) << std::hex << c;
    EXPECT_EQ(at(110, 58), kNoteHeadMark); // string 11 at (106, 57)
    // Nothing of the cells lies outside them.
    EXPECT_EQ(at(35, 50), kWhite);
    EXPECT_EQ(at(85, 50), kWhite);
    EXPECT_EQ(at(40, 44), kWhite);
    EXPECT_EQ(at(40, 69), kWhite);
}

TEST_F(Staff, SharpIsWrittenAsFlatWithMinusOneOnTheNextHigherString) {
    draw(10, 6);
    EXPECT_EQ(at(40, 46), cellMark(true, 5));  // code 6 at (36, 45)
    EXPECT_EQ(at(90, 43), cellMark(false, 5)); // code -7 on string 9 at (86, 42)
    EXPECT_EQ(at(110, 52), kNoteHeadMark);     // string 9 at (106, 51)
}

TEST_F(Staff, ShortStringsTakeTheirCodesFromTheMarkTable) {
    tables.mandalMark(3, 2) = 9; // the second mandal of string 3 raises by 9 steps
    draw(3, 2);
    EXPECT_EQ(at(40, 25), cellMark(true, 8));  // code 9 at (36, 24)
    EXPECT_EQ(at(90, 22), cellMark(false, 8)); // code -4 on string 2 at (86, 21)
    tables.mandalMark(5, -3) = -12;
    draw(5, -3);
    EXPECT_EQ(at(40, 31), cellMark(false, 0)); // double flat at (36, 30)
    EXPECT_EQ(at(90, 34), cellMark(true, 0));  // code +1 on string 6 at (86, 33)
}

TEST_F(Staff, CodeThatDoesNotFitThePositionDrawsBothNotesWithoutAccidentals) {
    tables.mandalMark(3, 2) = 0;
    draw(3, 2);
    EXPECT_EQ(at(60, 34), kNoteHeadMark);
    EXPECT_EQ(at(110, 31), kNoteHeadMark);
    for (const auto& [c, n] : colours(0, 0, 140, 132))
        EXPECT_TRUE(c == kWhite || c == kBlack || c == kNoteHeadMark) << std::hex << c;
    tables.mandalMark(3, 2) = -4; // a lowering code at a raised position
    draw(3, 2);
    for (const auto& [c, n] : colours(0, 0, 140, 132))
        EXPECT_TRUE(c == kWhite || c == kBlack || c == kNoteHeadMark) << std::hex << c;
    // A position beyond the mark table (from a makam file) as well.
    draw(12, 40);
    EXPECT_EQ(at(60, 61), kNoteHeadMark);
    EXPECT_EQ(at(110, 58), kNoteHeadMark);
}

TEST_F(Staff, EachCallRedrawsTheWholePicture) {
    draw(26, -8);
    draw(12, 0);
    EXPECT_FALSE(hasColour(0, 0, 140, 132, cellMark(false, 4)));
    EXPECT_EQ(blackRows(104), kStaffRows);
    state.currentString = 0; // nothing selected: the staff alone
    porte(canvas, sheet, state, tables);
    EXPECT_FALSE(hasColour(0, 0, 140, 132, kNoteHeadMark));
    EXPECT_EQ(blackRows(54), kStaffRows);
}

} // namespace
} // namespace zembera
