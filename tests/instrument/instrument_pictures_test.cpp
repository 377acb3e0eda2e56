// The instrument drawing, the mandal strip and the mouse zones: each scenario's picture is
// compared with its approved PNG, the zones with an approved dump.

#include <gtest/gtest.h>

#include <QPainter>

#include <sstream>
#include <vector>

#include "instrument/instrument_drawing.h"
#include "instrument/mouse_zones.h"
#include "support/golden_image.h"
#include "support/gui_application.h"

namespace zembera {
namespace {

// The pictures one below the other, on grey.
QImage stacked(const std::vector<QImage>& images) {
    int width = 0, height = 0;
    for (const QImage& image : images) {
        width = std::max(width, image.width());
        height += image.height() + 4;
    }
    QImage all(width, height, QImage::Format_RGB32);
    all.fill(qRgb(128, 128, 128));
    QPainter p(&all);
    for (int i = 0, y = 0; i < static_cast<int>(images.size()); y += images[i++].height() + 4)
        p.drawImage(0, y, images[i]);
    return all;
}

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
                            stacked({labelled, canvas.image().copy(0, 0, 560, 420)}));
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
    test::expectGoldenImage("instrument/mandal_strip.png", stacked(drawn));
    test::expectGolden("instrument/mandal_strip.txt", placements.str());
}

// Rows 15 pixels apart (y - 22 rounded half to even), pluck zones strictly between the play
// start and the bridge, mandal slots strictly between their edges, the four tuning quadrants.
TEST_F(InstrumentPictures, MouseZonesMatchTheApprovedDump) {
    std::ostringstream log;
    for (double y : {20.0, 20.99, 21.0, 21.5, 36.0, 36.5, 36.51, 37.0, 37.5, 51.5, 66.5, 80.0,
                     396.0, 397.0, 409.0, 409.01, 410.0})
        log << "y " << y << ": tel " << stringAtY(y) << "\n";
    for (auto [x, y] : {std::pair{700.0, 30.0},
                        {600.0, 30.0},
                        {623.0, 30.0},
                        {623.5, 30.0},
                        {729.9, 30.0},
                        {730.0, 30.0},
                        {300.0, 400.0},
                        {198.0, 400.0},
                        {199.0, 400.0},
                        {436.0, 200.0},
                        {437.0, 200.0},
                        {700.0, 20.0},
                        {700.0, 410.0}})
        log << "çekme " << x << "," << y << ": tel " << pluckedString(x, y, state) << "\n";
    for (auto [s, x] : {std::pair{12, 151.0},
                        {12, 152.0},
                        {12, 166.9},
                        {12, 167.0},
                        {12, 168.0},
                        {12, 290.0},
                        {12, 486.0},
                        {12, 487.0},
                        {12, 100.0},
                        {1, 152.0},
                        {1, 342.0},
                        {1, 344.0},
                        {6, 152.0},
                        {0, 152.0}}) {
        state.currentString = static_cast<std::int16_t>(s);
        const std::optional<int> slot = mandalSlotAt(x, state);
        log << "tel " << s << " şerit x " << x << ": "
            << (slot ? std::to_string(*slot) : std::string("yok")) << "\n";
    }
    for (auto [x, y] : {std::pair{10.0, 10.0},
                        {40.0, 60.0},
                        {26.9, 44.9},
                        {27.0, 44.0},
                        {10.0, 45.0},
                        {27.0, 45.0}})
        log << "akort " << x << "," << y << ": " << tuningStep(x, y) << "\n";
    test::expectGolden("instrument/mouse_zones.txt", log.str());
}

} // namespace
} // namespace zembera
