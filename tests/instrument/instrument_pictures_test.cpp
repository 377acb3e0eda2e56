// The instrument drawing, the mandal strip and the mouse zones: each scenario's picture is
// compared with its approved PNG, the zones with an approved dump.

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "instrument/instrument_drawing.h"
#include "instrument/mouse_zones.h"
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

// The areas, panels, bridge, pins and strings (12 selected in black, the marked ones red); then
// the strings redrawn from another residue with the labels of the positions that are not 0;
// then the labels unticked.
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

// Rows 15 pixels apart (y - 22 rounded half to even), pluck zones strictly between the play
// start and the bridge, mandal slots strictly between their edges, the four tuning quadrants.
TEST_F(InstrumentPictures, MouseZonesMatchTheApprovedDump) {
    std::ostringstream log;
    for (double y : {20.0, 20.99, 21.0, 21.5, 36.0, 36.5, 36.51, 37.0, 37.5, 51.5, 66.5, 80.0,
                     396.0, 397.0, 409.0, 409.01, 410.0})
        log << "y " << y << ": tel " << stringAtY(y) << "\n";
    const double plucks[][2] = {{700, 30},  {600, 30},  {623, 30},  {623.5, 30}, {729.9, 30},
                                {730, 30},  {300, 400}, {198, 400}, {199, 400},  {436, 200},
                                {437, 200}, {700, 20},  {700, 410}};
    for (const auto& [x, y] : plucks)
        log << "çekme " << x << "," << y << ": tel " << pluckedString(x, y, state) << "\n";
    const double stripPoints[][2] = {{12, 151}, {12, 152}, {12, 166.9}, {12, 167}, {12, 168},
                                     {12, 290}, {12, 486}, {12, 487},   {12, 100}, {1, 152},
                                     {1, 342},  {1, 344},  {6, 152},    {0, 152}};
    for (const auto& [s, x] : stripPoints) {
        state.currentString = static_cast<std::int16_t>(s);
        const std::optional<int> slot = mandalSlotAt(x, state);
        log << "tel " << s << " şerit x " << x << ": "
            << (slot ? std::to_string(*slot) : std::string("yok")) << "\n";
    }
    const double quadrants[][2] = {{10, 10}, {40, 60}, {26.9, 44.9}, {27, 44}, {10, 45}, {27, 45}};
    for (const auto& [x, y] : quadrants)
        log << "akort " << x << "," << y << ": " << tuningStep(x, y) << "\n";
    test::expectGolden("instrument/mouse_zones.txt", log.str());
}

} // namespace
} // namespace zembera
