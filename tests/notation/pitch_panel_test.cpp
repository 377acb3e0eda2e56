#include "notation/pitch_panel.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/text_fields.h"
#include "support/gui_application.h"
#include "support/pixels.h"

namespace zembera {
namespace {

using test::kBlack;
using test::kBlue;
constexpr QRgb kBack = qRgb(255, 224, 192);

std::string name(int degree) {
    return fitToWidth("perde " + std::to_string(degree), 30);
}

// Degrees 15 cents apart with their names; strings 8..26 sound degree 10·(17 − s) + m, string
// 1..7 open strings an octave (79 degrees) above strings 8..14.
class PitchPanel : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int d = kDegreeLow; d <= kDegreeHigh; ++d) {
            tables.degreeTable(d).cent = static_cast<float>(15 * d);
            tables.degreeTable(d).ad = name(d);
        }
        for (int s = 1; s <= 26; ++s) {
            for (int m = -8; m <= 12; ++m) {
                const int degree = s >= 8 ? 10 * (17 - s) + m : 10 * (10 - s) + m + 79;
                tables.stringDegree(s, m) = static_cast<std::int16_t>(degree);
                tables.centTable(s, m) = 15.0 * degree;
            }
        }
        setMandalRanges(state);
    }

    std::string nameShown(int s, int m) {
        state.currentString = static_cast<std::int16_t>(s);
        state.mandalPos[s] = static_cast<std::int16_t>(m);
        return noteName(state, tables, tuning.totalDegreeShift);
    }

    PitchTables tables;
    InstrumentState state;
    TuningState tuning;
};

// 7.5 cents both ways goes to the lower degree; only 104..196 are searched and nothing within
// 4000 cents gives degree 0.
TEST_F(PitchPanel, NearestHighDegreeByWholeCentsTiesToTheLowest) {
    const std::pair<double, int> cases[] = {
        {15 * 150, 150}, {15 * 150 + 7.4, 150}, {15 * 150 + 7.6, 151}, {15 * 150 + 7.5, 150},
        {15 * 100, 104}, {15 * 199, 196},       {15 * 104 - 4000, 0},  {15 * 104 - 3999, 104}};
    for (auto [cents, degree] : cases)
        EXPECT_EQ(nearestDegree(tables, cents), degree) << cents;
    // Distances are whole cents with halves to the even neighbour: 8.4, 8.5 and 7.6 all count as
    // 8, so the lower degree wins.
    tables.degreeTable(151).cent = 15 * 150 + 16;
    for (auto [cents, degree] : {std::pair{8.4, 150}, {8.5, 150}, {8.6, 151}})
        EXPECT_EQ(nearestDegree(tables, 15 * 150 + cents), degree) << cents;
}

// Untransposed, strings 1..7 are named by the nearest cents, long ones by their degree.
// Transposed, the written degree is the sounding one less the total shift, and a short string by
// its full scale target (string 1 sent to 12 and folded to 6: string 8 at 12, an octave up). Only
// -104..196 have names.
TEST_F(PitchPanel, NotesAreNamedByTheirWrittenDegree) {
    tables.centTable(3, 2) = 15 * 170 + 4;  // near degree 170
    tables.stringDegree(3, 2) = 120;        // not what names it
    tables.centTable(7, -7) = 15 * 104 - 7; // below the searched degrees: the lowest of them
    tables.stringDegree(9, 1) = 190;
    state.fullRangeTransposed[1] = 12;
    state.fullRangeTransposed[5] = -8;
    const std::string none = "----------";
    struct Case {
        bool transposed;
        int string, mandal, shift;
        std::string name;
    };
    const Case cases[] = {{false, 3, 2, 0, name(170)},
                          {false, 7, -7, 0, name(104)},
                          {false, 12, 0, 0, name(50)},
                          {false, 26, -8, 0, name(-98)},
                          {false, 8, 12, 0, name(102)},
                          {true, 20, 3, -46, name(-27 + 46)},
                          {true, 20, 3, 13, name(-27 - 13)},
                          {true, 26, -8, 6, name(-104)},
                          {true, 26, -8, 7, none},
                          {true, 9, 1, -6, name(196)},
                          {true, 9, 1, -7, none},
                          {true, 1, 6, 0, name(90 + 12 + 79)},
                          {true, 1, 6, 13, name(90 + 12 + 79 - 13)},
                          {true, 5, -7, 13, name(50 - 8 + 79 - 13)},
                          {true, 1, 6, -20, none}};
    for (const Case& c : cases) {
        state.untransposedShown = !c.transposed;
        tuning.totalDegreeShift = static_cast<std::int16_t>(c.shift);
        EXPECT_EQ(nameShown(c.string, c.mandal), c.name) << c.string << " shift " << c.shift;
    }
}

// The quoted labels and formatted values; an untuned string at 0 cents; a position a makam file
// may leave beyond the table has no pitch to show.
TEST_F(PitchPanel, LinesHoldTheQuotedLabelsAndFormattedValues) {
    state.currentString = 12;
    state.mandalPos[12] = -3;
    tables.centTable(12, -3) = -1200;
    tuning.tuningOffset[12] = -1.5f;
    auto lines = panelLines(state, tuning, tables);
    const std::array<std::array<std::string, 3>, 7> expected = {{
        {" eşik mandal : ", "-3 ", ""},
        {" tel no :           ", " 12 ", ""},
        {" Ton :              ", name(47), ""},
        {" C4 ten :         ", "-1201.5000", " Cent"},
        {" bağıl frekans :", "0.49956697", ""},
        {" frekans :        ", "130.8865", " Hertz"},
        {" Akord fark :    ", "-1.50", " Cent"},
    }};
    for (std::size_t i = 0; i < 7; ++i)
        EXPECT_EQ((std::array{lines[i].label, lines[i].value, lines[i].unit}), expected[i])
            << "line " << i + 1;
    state.currentString = 17;
    tables.centTable(17, 0) = 0;
    lines = panelLines(state, tuning, tables);
    EXPECT_EQ((std::array{lines[3].value, lines[4].value, lines[5].value, lines[6].value}),
              (std::array<std::string, 4>{"0.0000", "1.00000000", "262.0000", ".00"}));
    state.mandalPos[17] = 30;
    lines = panelLines(state, tuning, tables);
    EXPECT_EQ(lines[0].value, " 30 ");
    for (int i : {2, 3, 4, 5})
        EXPECT_EQ(lines[i].value, "----------") << "line " << i + 1;
}

// Pixels of `color` in the rectangle.
int count(const CanvasImage& canvas, int x0, int y0, int x1, int y1, QRgb color) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            n += canvas.pixel(x, y) == color;
    return n;
}

TEST_F(PitchPanel, LabelsInBlueValuesInBlackOnTheBackground) {
    test::ensureGuiApplication();
    CanvasImage canvas(239, 100);
    canvas.filledBox(0, 0, 238, 99, qRgb(1, 2, 3));
    state.currentString = 0; // nothing selected: the panel stays as it was
    etiket(canvas, state, tuning, tables);
    EXPECT_EQ(count(canvas, 0, 0, 239, 100, qRgb(1, 2, 3)), 239 * 100);
    state.currentString = 12;
    etiket(canvas, state, tuning, tables);
    EXPECT_EQ(count(canvas, 0, 0, 239, 100, qRgb(1, 2, 3)), 0);
    EXPECT_EQ(canvas.pixel(238, 99), kBack);
    // Seven lines one text height apart, each with a blue label and a black value after it.
    const double h = canvas.textHeight();
    const auto row = [h](int i) { return static_cast<int>(std::lround(i * h)); };
    const auto lines = panelLines(state, tuning, tables);
    for (int i = 0; i < 7; ++i) {
        const int labelEnd = static_cast<int>(canvas.textWidth(lines[i].label));
        EXPECT_GT(count(canvas, 0, row(i), labelEnd, row(i + 1), kBlue), 10) << "line " << i + 1;
        EXPECT_EQ(count(canvas, 0, row(i), labelEnd, row(i + 1), kBlack), 0) << "line " << i + 1;
        EXPECT_GT(count(canvas, labelEnd, row(i), 239, row(i + 1), kBlack), 5) << "line " << i + 1;
    }
    // The units: " Cent" on lines 4 and 7, " Hertz" on line 6, in blue after the value.
    for (int i : {3, 5, 6}) {
        const int valueEnd = static_cast<int>(canvas.textWidth(lines[i].label + lines[i].value));
        EXPECT_GT(count(canvas, valueEnd, row(i), 239, row(i + 1), kBlue), 5) << "line " << i + 1;
    }
    EXPECT_EQ(count(canvas, 0, row(7), 239, 100, kBlue), 0);
}

} // namespace
} // namespace zembera
