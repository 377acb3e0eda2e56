// The instrument drawing and the mandal strip, each scenario's picture compared with its approved
// PNG.

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "notation/instrument_drawing.h"
#include "support/golden_image.h"
#include "support/gui_application.h"
#include "support/picture_stack.h"

namespace zembera {
namespace {

class InstrumentPictures : public ::testing::Test {
  protected:
    void SetUp() override {
        test::ensureGuiApplication();
        setMandalRanges(state);
        setPlayStarts(state);
    }
    InstrumentState state;
};

// The whole drawing (string 12 selected, the marked strings red); then strings redrawn from
// another residue with the labels of positions not at 0, and the labels unticked.
TEST_F(InstrumentPictures, DrawingMatchesItsApprovedPictures) {
    CanvasImage canvas(904, 420);
    resim(canvas, state);
    test::expectGoldenImage("instrument/drawing.png", canvas.image());
    state.markedStringResidue = 0;
    state.currentString = 3;
    tel_çiz(canvas, state);
    state.mandalPos[3] = -2;
    state.mandalPos[10] = 4;
    diyagonal_yaz(canvas, state);
    const QImage labelled = canvas.image().copy(0, 0, 560, 420);
    eraseLabels(canvas);
    test::expectGoldenImage("instrument/labels.png",
                            test::stacked({labelled, canvas.image().copy(0, 0, 560, 420)}));
}

// Upright and lifted mandals, numbers and the string line for the widest and narrowest strings,
// gold marks above 8, string 26 grey above 8 and its thick black line.
TEST_F(InstrumentPictures, MandalStripMatchesItsApprovedPictures) {
    PitchTables tables;
    for (int s = 8; s <= 26; ++s)
        for (int m = -8; m <= 12; ++m)
            tables.mandalMark(s, m) = static_cast<std::int16_t>(m);
    tables.mandalMark(5, 3) = 12;
    tables.mandalMark(26, 10) = 0;
    CanvasImage canvas(485, 60);
    std::vector<QImage> drawn;
    std::ostringstream placements;
    for (auto [s, pos] :
         {std::pair{12, 0}, {1, 6}, {3, -5}, {6, 0}, {5, 10}, {25, 0}, {26, 0}, {26, 12}}) {
        state.currentString = static_cast<std::int16_t>(s);
        state.mandalPos[s] = static_cast<std::int16_t>(pos);
        const MandalStripPlacement p = mandal_at(canvas, state, tables);
        placements << "tel " << s << " mandal " << pos << ": sol " << p.left << ", genişlik "
                   << p.width << ", resim " << canvas.width() << "\n";
        drawn.push_back(canvas.image());
    }
    test::expectGoldenImage("instrument/mandal_strip.png", test::stacked(drawn));
    test::expectGolden("instrument/mandal_strip.txt", placements.str());
}

} // namespace
} // namespace zembera
