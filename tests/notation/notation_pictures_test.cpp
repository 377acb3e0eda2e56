// The glyph sheet, the staff, the mandal number column and the pitch panel: each scenario's
// picture is compared with its approved PNG, what it decides with an approved dump.

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "common/text_fields.h"
#include "glyphs/glyph_sheet.h"
#include "notation/mandal_column.h"
#include "notation/pitch_panel.h"
#include "notation/staff.h"
#include "notation/transposed_column_steps.h"
#include "support/golden_image.h"
#include "support/gui_application.h"
#include "support/picture_stack.h"
#include "support/pixels.h"

namespace zembera {
namespace {

constexpr QRgb kGrey = qRgb(212, 208, 200);

class Notation : public ::testing::Test {
  protected:
    void SetUp() override {
        test::ensureGuiApplication();
        setMandalRanges(state);
    }
    InstrumentState state;
    PitchTables tables;
};

// The staff with its clef, the note head and the 24 accidentals, each framed in red.
TEST_F(Notation, GlyphSheetMatchesItsApprovedPicture) {
    test::expectGoldenImage("notation/glyph_sheet.png", glyphs::drawGlyphSheet());
}

// String 12 after 26 (its ledger lines gone), none, then notes with accidentals, each also on the
// neighbouring step with the partner accidental (none for a code out of place).
TEST_F(Notation, StaffPicturesMatchTheirApprovedPictures) {
    for (int s = 1; s <= 26; ++s)
        for (int m = -8; m <= 12; ++m)
            tables.mandalMark(s, m) = static_cast<std::int16_t>(m);
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
        for (const PanelLine& line : panelLines(state, tuning, tables))
            log << "[" << line.label << "][" << line.value << "][" << line.unit << "]\n";
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
