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
        for (int s = 8; s <= 26; ++s) {
            for (int m = -8; m <= 12; ++m) {
                tables.stringDegree(s, m) = static_cast<std::int16_t>(10 * (17 - s) + m);
                tables.centTable(s, m) = 15.0 * tables.stringDegree(s, m);
            }
        }
        for (int s = 1; s <= 7; ++s) {
            tables.stringDegree(s, 0) =
                static_cast<std::int16_t>(tables.stringDegree(s + 7, 0) + 79);
            tables.centTable(s, 0) = 15.0 * tables.stringDegree(s, 0);
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

TEST_F(PitchPanel, NearestHighDegreeByWholeCentsTiesToTheLowest) {
    EXPECT_EQ(nearestDegree(tables, 15 * 150), 150);
    EXPECT_EQ(nearestDegree(tables, 15 * 150 + 7.4), 150);
    EXPECT_EQ(nearestDegree(tables, 15 * 150 + 7.6), 151);
    EXPECT_EQ(nearestDegree(tables, 15 * 150 + 7.5), 150); // 7.5 both ways: the lower degree
    // Only 104..196 are searched; nothing within 4000 cents gives degree 0.
    EXPECT_EQ(nearestDegree(tables, 15 * 100), 104);
    EXPECT_EQ(nearestDegree(tables, 15 * 199), 196);
    EXPECT_EQ(nearestDegree(tables, 15 * 104 - 4000), 0);
    EXPECT_EQ(nearestDegree(tables, 15 * 104 - 3999), 104);
    // Distances are whole cents: 8.4 and 7.6 both count as 8, so the lower degree wins.
    tables.degreeTable(151).cent = 15 * 150 + 16;
    EXPECT_EQ(nearestDegree(tables, 15 * 150 + 8.4), 150);
    // Halves go to the even neighbour: 8.5 counts as 8, the same as 7.5.
    EXPECT_EQ(nearestDegree(tables, 15 * 150 + 8.5), 150);
    EXPECT_EQ(nearestDegree(tables, 15 * 150 + 8.6), 151);
}

TEST_F(PitchPanel, UntransposedShortStringsAreNamedByNearestCentsLongOnesByDegree) {
    tables.centTable(3, 2) = 15 * 170 + 4; // near degree 170
    tables.stringDegree(3, 2) = 120;       // not what names it
    EXPECT_EQ(nameShown(3, 2), name(170));
    tables.centTable(7, -7) = 15 * 104 - 7; // below the searched degrees: the lowest of them
    EXPECT_EQ(nameShown(7, -7), name(104));
    // Long strings by their degree.
    EXPECT_EQ(nameShown(12, 0), name(50));
    EXPECT_EQ(nameShown(26, -8), name(-98));
    EXPECT_EQ(nameShown(8, 12), name(102));
}

// The written degree is the sounding one less the total shift; only -104..196 have names.
TEST_F(PitchPanel, TransposedLongStringsShowTheWrittenDegree) {
    state.untransposedShown = false;
    tables.stringDegree(9, 1) = 190;
    struct Case {
        int string, mandal, shift;
        std::string name;
    };
    const Case cases[] = {{20, 3, -46, name(-27 + 46)}, // ŞAH: notes sound 46 degrees lower
                          {20, 3, 13, name(-27 - 13)},  {26, -8, 6, name(-104)},
                          {26, -8, 7, "----------"},    {9, 1, -6, name(196)},
                          {9, 1, -7, "----------"}};
    for (const Case& c : cases) {
        tuning.totalDegreeShift = static_cast<std::int16_t>(c.shift);
        EXPECT_EQ(nameShown(c.string, c.mandal), c.name) << c.string << " shift " << c.shift;
    }
}

TEST_F(PitchPanel, TransposedShortStringsAreNamedByTheirFullScaleTarget) {
    state.untransposedShown = false;
    // String 1 was sent to 12 on the full scale and folded to 6 on its own row; the note meant
    // is string 8 at 12, an octave up. String 1's own place 12 does not exist (degree 0).
    state.fullRangeTransposed[1] = 12;
    tuning.totalDegreeShift = 0;
    EXPECT_EQ(nameShown(1, 6), name(90 + 12 + 79));
    tuning.totalDegreeShift = 13;
    EXPECT_EQ(nameShown(1, 6), name(90 + 12 + 79 - 13));
    state.fullRangeTransposed[5] = -8;
    EXPECT_EQ(nameShown(5, -7), name(50 - 8 + 79 - 13));
    // A target that sends the written note above 196 has no name.
    tuning.totalDegreeShift = -20;
    EXPECT_EQ(nameShown(1, 6), "----------");
}

TEST_F(PitchPanel, LinesHoldTheQuotedLabelsAndFormattedValues) {
    state.currentString = 12;
    state.mandalPos[12] = -3;
    tables.centTable(12, -3) = -1200;
    tuning.tuningOffset[12] = -1.5f;
    const auto lines = panelLines(state, tuning, tables);
    const std::array<std::array<std::string, 3>, 7> expected = {{
        {" eşik mandal : ", "-3 ", ""},
        {" tel no :           ", " 12 ", ""},
        {" Ton :              ", name(47), ""},
        {" C4 ten :         ", "-1201.5000", " Cent"},
        {" bağıl frekans :", "0.49956697", ""},
        {" frekans :        ", "130.8865", " Hertz"},
        {" Akord fark :    ", "-1.50", " Cent"},
    }};
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ((std::array{lines[i].label, lines[i].value, lines[i].unit}), expected[i])
            << "line " << i + 1;
    }
}

TEST_F(PitchPanel, UntunedStringAtZeroCentsAndAPositionBeyondTheTable) {
    state.currentString = 17;
    tables.centTable(17, 0) = 0;
    auto lines = panelLines(state, tuning, tables);
    EXPECT_EQ(lines[0].value, " 0 ");
    EXPECT_EQ(lines[3].value, "0.0000");
    EXPECT_EQ(lines[4].value, "1.00000000");
    EXPECT_EQ(lines[5].value, "262.0000");
    EXPECT_EQ(lines[6].value, ".00");
    // A position a makam file may leave beyond the table has no pitch to show.
    state.mandalPos[17] = 30;
    lines = panelLines(state, tuning, tables);
    EXPECT_EQ(lines[0].value, " 30 ");
    for (int i : {2, 3, 4, 5})
        EXPECT_EQ(lines[i].value, "----------") << "line " << i + 1;
}

class PitchPanelDrawing : public PitchPanel {
  protected:
    void SetUp() override {
        test::ensureGuiApplication();
        PitchPanel::SetUp();
    }
    // Pixels of `color` in the rectangle.
    int count(int x0, int y0, int x1, int y1, QRgb color) const {
        int n = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x)
                n += canvas.pixel(x, y) == color;
        }
        return n;
    }
    CanvasImage canvas{239, 100};
};

TEST_F(PitchPanelDrawing, LabelsInBlueValuesInBlackOnTheBackground) {
    canvas.filledBox(0, 0, 238, 99, qRgb(1, 2, 3));
    state.currentString = 0; // nothing selected: the panel stays as it was
    etiket(canvas, state, tuning, tables);
    EXPECT_EQ(count(0, 0, 239, 100, qRgb(1, 2, 3)), 239 * 100);
    state.currentString = 12;
    etiket(canvas, state, tuning, tables);
    EXPECT_EQ(count(0, 0, 239, 100, qRgb(1, 2, 3)), 0);
    EXPECT_EQ(canvas.pixel(238, 99), kBack);
    // Seven lines one text height apart, each with a blue label and a black value after it.
    const double h = canvas.textHeight();
    const auto row = [h](int i) { return static_cast<int>(std::lround(i * h)); };
    const auto lines = panelLines(state, tuning, tables);
    for (int i = 0; i < 7; ++i) {
        const int labelEnd = static_cast<int>(canvas.textWidth(lines[i].label));
        EXPECT_GT(count(0, row(i), labelEnd, row(i + 1), kBlue), 10) << "line " << i + 1;
        EXPECT_EQ(count(0, row(i), labelEnd, row(i + 1), kBlack), 0) << "line " << i + 1;
        EXPECT_GT(count(labelEnd, row(i), 239, row(i + 1), kBlack), 5) << "line " << i + 1;
    }
    // The units: " Cent" on lines 4 and 7, " Hertz" on line 6, in blue after the value.
    for (int i : {3, 5, 6}) {
        const int valueEnd = static_cast<int>(canvas.textWidth(lines[i].label + lines[i].value));
        EXPECT_GT(count(valueEnd, row(i), 239, row(i + 1), kBlue), 5) << "line " << i + 1;
    }
    EXPECT_EQ(count(0, row(7), 239, 100, kBlue), 0);
}

} // namespace
} // namespace zembera
