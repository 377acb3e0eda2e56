// The glyph sheet, the staff, the mandal number column and the pitch panel: each scenario's
// picture is compared with its approved PNG, what it decides with an approved dump.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <vector>

#include "common/text_fields.h"
#include "glyphs/glyph_sheet.h"
#include "notation/glyph_sheet_layout.h"
#include "notation/mandal_column.h"
#include "notation/pitch_panel.h"
#include "notation/staff.h"
#include "support/golden_image.h"
#include "support/gui_application.h"
#include "support/picture_stack.h"
#include "support/pixels.h"

namespace zembera {
namespace {

constexpr QRgb kGrey = qRgb(212, 208, 200);

// The transposition's two steps for one string as the window drives them: the target kept in the
// state first, then the red cell drawn from it; clearing empties the state and the column.
inline void göçürümYaz(CanvasImage& canvas, InstrumentState& state, int s) {
    keepTransposed(state, s);
    drawTransposedCell(canvas, state, s);
}

inline void göçürümTemizle(CanvasImage& canvas, InstrumentState& state) {
    clearTransposed(state);
    clearTransposedColumn(canvas);
}

bool isColour(const QImage& image, int x, int y, QRgb colour) {
    return (image.pixel(x, y) & RGB_MASK) == (colour & RGB_MASK);
}

class Notation : public ::testing::Test {
  protected:
    void SetUp() override {
        test::ensureGuiApplication();
        setMandalRanges(state);
    }
    // Every place marked with its own position.
    void markPositions() {
        for (int s = 1; s <= 26; ++s)
            for (int m = -8; m <= 12; ++m)
                tables.mandalMark(s, m) = static_cast<std::int16_t>(m);
    }
    InstrumentState state;
    PitchTables tables;
};

// The staff with its clef, the note head and the 24 accidentals, each framed in red.
TEST_F(Notation, GlyphSheetMatchesItsApprovedPicture) {
    test::expectGoldenImage("notation/glyph_sheet.png", glyphs::drawGlyphSheet());
}

// The sheet drawn at twice the size: every region in the same place at twice its coordinates,
// framed there in red; in each region about four times the ink of the logical sheet, where the
// logical sheet has it, but drawn finer than the logical sheet's pixels enlarged.
TEST_F(Notation, DoubledGlyphSheetHoldsTheSameGlyphsDrawnFiner) {
    const QImage single = glyphs::drawGlyphSheet();
    const QImage doubled = glyphs::drawGlyphSheet(2);
    ASSERT_EQ(doubled.size(), 2 * single.size());
    std::vector<glyphs::Region> regions{glyphs::kStaff, glyphs::kNoteHead};
    for (int c = 0; c < glyphs::kColumns; ++c) {
        regions.push_back(glyphs::loweringCell(c));
        regions.push_back(glyphs::raisingCell(c));
    }
    const auto isBlack = [](const QImage& image, int x, int y) {
        return isColour(image, x, y, test::kBlack);
    };
    for (const glyphs::Region& r : regions) {
        SCOPED_TRACE(::testing::Message() << r.x << "," << r.y);
        // The frame: red just outside the doubled region, no red inside.
        EXPECT_TRUE(isColour(doubled, 2 * r.x - 1, 2 * r.y + r.height, test::kRed));
        EXPECT_TRUE(isColour(doubled, 2 * r.x + r.width, 2 * r.y - 1, test::kRed));
        // Doubled ink far from any logical ink is stray; a 2 x 2 block not all of one colour is
        // split, not an enlargement.
        int inkSingle = 0, inkDoubled = 0, strayInk = 0, splitBlocks = 0;
        for (int y = 0; y < r.height; ++y)
            for (int x = 0; x < r.width; ++x) {
                inkSingle += isBlack(single, r.x + x, r.y + y);
                int block = 0;
                for (int d = 0; d < 4; ++d)
                    block += isBlack(doubled, 2 * (r.x + x) + d % 2, 2 * (r.y + y) + d / 2);
                inkDoubled += block;
                splitBlocks += block != 0 && block != 4;
                bool near = false;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int sx = std::clamp(r.x + x + dx, r.x, r.x + r.width - 1);
                        const int sy = std::clamp(r.y + y + dy, r.y, r.y + r.height - 1);
                        near = near || isBlack(single, sx, sy);
                    }
                strayInk += block != 0 && !near;
            }
        if (inkSingle == 0) continue;
        EXPECT_NEAR(inkDoubled, 4 * inkSingle, 0.45 * 4 * inkSingle);
        EXPECT_EQ(strayInk, 0);
        // Only the lone L (code -2) is all straight strokes along the pixels.
        if (r.x != glyphs::loweringCell(10).x || r.y != glyphs::loweringCell(10).y) {
            EXPECT_GT(splitBlocks, 0);
        }
    }
}

// The staff at a device scale of 2 given the doubled sheet: the device picture holds the doubled
// sheet's own pixels (the staff and clef copied onto white), and the logical picture is the one
// of scale 1.
TEST_F(Notation, StaffAtScaleTwoCopiesTheDoubledSheet) {
    const QImage single = glyphs::drawGlyphSheet();
    const QImage doubled = glyphs::drawGlyphSheet(2);
    markPositions();
    state.currentString = 12;
    state.mandalPos[12] = 6;
    CanvasImage flat(140, 132);
    porte(flat, single, state, tables);
    CanvasImage sharp(140, 132);
    sharp.setDeviceScale(2);
    porte(sharp, single, state, tables, doubled);
    EXPECT_EQ(sharp.image(), flat.image());
    const QImage& device = sharp.deviceImage();
    // Left of the note heads only the staff and clef are drawn: the sheet's pixels one for one.
    int differing = 0;
    for (int y = 0; y < 2 * glyphs::kStaff.height; ++y)
        for (int x = 0; x < 2 * (kMainAccidentalX - kStaffLeft); ++x)
            differing +=
                !isColour(device, 2 * kStaffLeft + x, 2 * kStaffTop + y,
                          doubled.pixel(2 * glyphs::kStaff.x + x, 2 * glyphs::kStaff.y + y));
    EXPECT_EQ(differing, 0);
    // The sharp of the main note: the doubled cell's pixels where the staff adds nothing.
    const glyphs::Region cell = glyphs::raisingCell(5);
    int sharpInk = 0;
    for (int y = 0; y < 2 * cell.height; ++y)
        for (int x = 0; x < 2 * cell.width; ++x) {
            if (!isColour(doubled, 2 * cell.x + x, 2 * cell.y + y, test::kBlack)) continue;
            ++sharpInk;
            EXPECT_TRUE(isColour(device, 2 * kMainAccidentalX + x, 2 * accidentalTop(12) + y,
                                 test::kBlack));
        }
    EXPECT_GT(sharpInk, 0);
}

// String 12 after 26 (its ledger lines gone), none, then notes with accidentals, each also on the
// neighbouring step with the partner accidental (none for a code out of place).
TEST_F(Notation, StaffPicturesMatchTheirApprovedPictures) {
    markPositions();
    const QImage sheet = glyphs::drawGlyphSheet();
    CanvasImage canvas(140, 132);
    std::vector<QImage> drawn;
    const auto draw = [&](int s, int m) {
        state.currentString = static_cast<std::int16_t>(s);
        if (s > 0) state.mandalPos[s] = static_cast<std::int16_t>(m);
        porte(canvas, sheet, state, tables);
        drawn.push_back(canvas.image().copy());
    };
    draw(26, -8);
    draw(12, 0);
    draw(0, 0);
    // {string, mandal, code}: the last two a lowering code raised and a position off the table.
    const int cases[][3] = {{1, 3, 6},    {26, -8, -8}, {10, -6, -6}, {10, 6, 6}, {3, 2, 9},
                            {5, -3, -12}, {3, 2, 0},    {3, 2, -4},   {12, 40, 0}};
    for (auto [s, m, code] : cases) {
        if (tables.mandalMark.contains(s, m))
            tables.mandalMark(s, m) = static_cast<std::int16_t>(code);
        draw(s, m);
    }
    test::expectGoldenImage("notation/staff.png", test::stacked(drawn));

    std::ostringstream rows;
    for (int t = -1; t <= 28; ++t) {
        rows << "tel " << t << ":";
        for (int y : ledgerLineRows(t))
            rows << " " << y;
        rows << "\n";
    }
    test::expectGolden("notation/ledger_lines.txt", rows.str());
}

// Sounding positions in black, transposed ones in red (strings 1..7 folding the target onto their
// row); a target of 0 leaves the cell; clearing empties the red column and every target.
TEST_F(Notation, MandalColumnMatchesItsApprovedPicturesAndTargets) {
    CanvasImage canvas(90, 396);
    canvas.filledBox(0, 0, 89, 395, kGrey);
    std::ostringstream log;
    for (auto [s, pos, labels] :
         {std::tuple{3, 12, false}, {4, -8, false}, {5, 9, false}, {6, 0, true}, {7, 0, false}}) {
        state.mandalPos[s] = static_cast<std::int16_t>(pos);
        log << "tel " << s << " mandal " << pos << (labels ? " etiketli" : "")
            << ": etiketler yeniden " << arıza_yaz(canvas, state, s, labels) << "\n";
    }
    for (auto [s, target] :
         {std::pair{10, 12}, {11, -8}, {1, 12}, {5, 12}, {7, -8}, {3, -1}, {8, 12}}) {
        state.transposedMandal[s] = static_cast<std::int16_t>(target);
        göçürümYaz(canvas, state, s);
    }
    const QImage before = canvas.image().copy();
    state.transposedMandal[10] = 0;
    göçürümYaz(canvas, state, 10);
    state.fullRangeTransposed[2] = 7;
    göçürümYaz(canvas, state, 2);
    EXPECT_EQ(canvas.image(), before);
    const auto targets = [&](const char* when) {
        for (int s = 1; s <= 26; ++s)
            log << when << " tel " << s << ": göçürüm " << state.transposedMandal[s] << ", tam "
                << (s <= 7 ? std::to_string(state.fullRangeTransposed[s]) : "-") << "\n";
    };
    targets("önce");
    const QImage written = canvas.image().copy();
    göçürümTemizle(canvas, state);
    targets("sonra");
    test::expectGoldenImage("notation/mandal_column.png", test::stacked({written, canvas.image()}));
    test::expectGolden("notation/mandal_column.txt", log.str());
}

// At a device scale of 2 a red two-digit position stands apart from a black one: its cell is
// the text a canvas at scale 2 shows when it prints the number further right, with at least six
// device pixels (three of the window's) free between the two numbers' ink, and the clearing of
// the red column still takes it away. Scale 1 keeps its approved picture (above).
TEST_F(Notation, TwoDigitPositionsStandApartAtScaleTwo) {
    CanvasImage sharp(90, 396);
    sharp.setDeviceScale(2);
    for (auto [s, pos, target] : {std::tuple{8, 10, 10}, {9, 12, 12}, {10, -8, 11}}) {
        state.mandalPos[s] = static_cast<std::int16_t>(pos);
        state.transposedMandal[s] = static_cast<std::int16_t>(target);
        arıza_yaz(sharp, state, s, false);
        göçürümYaz(sharp, state, s);
    }
    const QImage& device = sharp.deviceImage();
    for (auto [s, target] : {std::pair{8, 10}, {9, 12}, {10, 11}}) {
        SCOPED_TRACE(s);
        // The red number as a drawing at scale 2 of the same text at x 68 shows it.
        CanvasImage drawing(90, 396);
        drawing.setDeviceScale(2);
        drawing.setForeColor(test::kRed);
        drawing.setBold(true);
        drawing.setCurrentX(68);
        drawing.setCurrentY(keyMapRowY(s));
        drawing.print(" " + std::to_string(target) + " ");
        const int top = static_cast<int>(2 * keyMapRowY(s));
        int blackRight = -1, redLeft = device.width(), redRight = -1, differing = 0;
        for (int y = top; y < top + 2 * 15; ++y)
            for (int x = 0; x < device.width(); ++x) {
                if (isColour(device, x, y, test::kBlack)) blackRight = std::max(blackRight, x);
                if (isColour(device, x, y, test::kRed))
                    redLeft = std::min(redLeft, x), redRight = std::max(redRight, x);
                differing +=
                    x >= 2 * 67 && !isColour(device, x, y, drawing.deviceImage().pixel(x, y));
            }
        EXPECT_EQ(differing, 0);
        EXPECT_GE(redLeft - blackRight - 1, 12);
        EXPECT_LE(redRight, 2 * 87 + 1); // inside the box the clearing whitens
    }
    göçürümTemizle(sharp, state);
    int red = 0;
    for (int y = 0; y < device.height(); ++y)
        for (int x = 0; x < device.width(); ++x)
            red += isColour(device, x, y, test::kRed);
    EXPECT_EQ(red, 0);
}

// Degrees 15 cents apart named "perde d"; strings 8..26 sound degree 10·(17 − s) + m, strings
// 1..7 an octave (79 degrees) above strings 8..14.
class PitchPanel : public Notation {
  protected:
    void SetUp() override {
        Notation::SetUp();
        for (int d = kDegreeLow; d <= kDegreeHigh; ++d) {
            tables.degreeTable(d).cent = static_cast<float>(15 * d);
            tables.degreeTable(d).ad = fitToWidth("perde " + std::to_string(d), 30);
        }
        for (int s = 1; s <= 26; ++s) {
            for (int m = -8; m <= 12; ++m) {
                const int degree = s >= 8 ? 10 * (17 - s) + m : 10 * (10 - s) + m + 79;
                tables.stringDegree(s, m) = static_cast<std::int16_t>(degree);
                tables.centTable(s, m) = 15.0 * degree;
            }
        }
    }
    TuningState tuning;
};

// The nearest degree by whole cents (ties to the lowest); notes named untransposed and transposed
// (short strings by their full scale target).
TEST_F(PitchPanel, NearestDegreesAndNoteNamesMatchTheApprovedDump) {
    std::ostringstream log;
    for (double cents : {2250.0, 2257.4, 2257.6, 2257.5, 1500.0, 2985.0, -2440.0, -2439.0})
        log << cents << " sent: derece " << nearestDegree(tables, cents) << "\n";
    tables.degreeTable(151).cent = 15 * 150 + 16;
    for (double cents : {8.4, 8.5, 8.6})
        log << "150 +" << cents << " sent, 151 at +16: derece "
            << nearestDegree(tables, 15 * 150 + cents) << "\n";

    tables.centTable(3, 2) = 15 * 170 + 4;
    tables.stringDegree(3, 2) = 120;
    tables.centTable(7, -7) = 15 * 104 - 7;
    tables.stringDegree(9, 1) = 190;
    state.fullRangeTransposed[1] = 12;
    state.fullRangeTransposed[5] = -8;
    // {transposed, string, mandal, shift}
    const int cases[][4] = {{0, 3, 2, 0},   {0, 7, -7, 0},   {0, 12, 0, 0},  {0, 26, -8, 0},
                            {0, 8, 12, 0},  {1, 20, 3, -46}, {1, 20, 3, 13}, {1, 26, -8, 6},
                            {1, 26, -8, 7}, {1, 9, 1, -6},   {1, 9, 1, -7},  {1, 1, 6, 0},
                            {1, 1, 6, 13},  {1, 5, -7, 13},  {1, 1, 6, -20}};
    for (auto [transposed, s, m, shift] : cases) {
        state.untransposedShown = transposed == 0;
        state.currentString = static_cast<std::int16_t>(s);
        state.mandalPos[s] = static_cast<std::int16_t>(m);
        log << (transposed ? "göçürülmüş" : "asıl") << " tel " << s << " mandal " << m
            << " kaydırma " << shift << ": " << noteName(state, tables, shift) << "\n";
    }
    test::expectGolden("notation/note_names.txt", log.str());
}

// The labels and values (an untuned string at 0 cents, a position off the table) and their
// drawing; nothing drawn without a string.
TEST_F(PitchPanel, LinesAndTheirDrawingMatchTheApproved) {
    std::ostringstream log;
    const auto lines = [&](int s) {
        state.currentString = static_cast<std::int16_t>(s);
        log << "tel " << s << " mandal " << state.mandalPos[s] << ":\n";
        const auto shown = panelLines(state, tuning, tables);
        for (const PanelLine& line : shown)
            log << "[" << line.label << "][" << line.value << "][" << line.unit << "]\n";
        // On the table: the cents are the position's plus the fine tuning, the frequency
        // 2^(cents/1200) of C4's 262 Hz.
        if (shown.size() < 6 || shown[3].value.starts_with("-----")) return;
        const double cents = tables.centTable(s, state.mandalPos[s]) +
                             tuning.tuningOffset[static_cast<std::size_t>(s)];
        EXPECT_NEAR(std::stod(shown[3].value), cents, 5e-5);
        EXPECT_NEAR(std::stod(shown[4].value), std::exp2(cents / 1200), 5e-9);
        EXPECT_NEAR(std::stod(shown[5].value), 262 * std::exp2(cents / 1200), 5e-5);
    };
    state.mandalPos[12] = -3;
    tables.centTable(12, -3) = -1200;
    tuning.tuningOffset[12] = -1.5f;
    lines(12);
    tables.centTable(17, 0) = 0;
    lines(17);
    state.mandalPos[17] = 30;
    lines(17);
    test::expectGolden("notation/panel_lines.txt", log.str());

    CanvasImage canvas(239, 100);
    canvas.filledBox(0, 0, 238, 99, qRgb(1, 2, 3));
    state.currentString = 0;
    etiket(canvas, state, tuning, tables);
    EXPECT_EQ(test::countColor(canvas, qRgb(1, 2, 3)), 239 * 100);
    state.currentString = 12;
    etiket(canvas, state, tuning, tables);
    test::expectGoldenImage("notation/pitch_panel.png", canvas.image());
}

} // namespace
} // namespace zembera
