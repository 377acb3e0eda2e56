#include "notation/mandal_column.h"

#include <gtest/gtest.h>

#include <optional>

#include "support/gui_application.h"
#include "support/pixels.h"

namespace zembera {
namespace {

using namespace test;

constexpr QRgb kGrey = qRgb(212, 208, 200);

int rowTop(int s) {
    return 2 + 15 * (s - 1);
}

// The leftmost column holding `color` in the row of string s, if any.
std::optional<int> firstInk(const CanvasImage& c, int s, QRgb color) {
    for (int x = 0; x < c.width(); ++x)
        for (int y = rowTop(s); y <= rowTop(s) + 16; ++y)
            if (c.pixel(x, y) == color) return x;
    return std::nullopt;
}

// Where the ink of a bold number printed at x begins.
int inkOf(long value, int x, QRgb color) {
    CanvasImage reference(90, 396, kGrey);
    reference.setBold(true);
    reference.setForeColor(color);
    reference.setCurrentX(x);
    reference.setCurrentY(rowTop(3));
    reference.printNumber(value);
    return *firstInk(reference, 3, color);
}

class MandalColumn : public ::testing::Test {
  protected:
    void SetUp() override {
        test::ensureGuiApplication();
        setMandalRanges(state);
        canvas.filledBox(0, 0, 89, 395, kGrey);
    }
    int count(int x0, int x1, int s, QRgb color) const {
        int n = 0;
        for (int y = rowTop(s); y <= rowTop(s) + 16; ++y)
            for (int x = x0; x <= x1; ++x)
                n += canvas.pixel(x, y) == color;
        return n;
    }

    InstrumentState state;
    CanvasImage canvas{90, 396};
};

// Sounding positions in black, positions of 10 and more further left in the same cell; a move to
// 0 leaves the cell empty.
TEST_F(MandalColumn, SoundingPositionsStandAtTheirColumnsAndZeroLeavesTheCellEmpty) {
    for (auto [pos, x] : {std::pair{12, 48}, {-8, 55}, {9, 55}}) {
        state.mandalPos[3] = static_cast<std::int16_t>(pos);
        EXPECT_FALSE(arıza_yaz(canvas, state, 3, false)); // labels hidden
        EXPECT_EQ(firstInk(canvas, 3, kBlack), inkOf(pos, x, kBlack)) << pos;
    }
    // Only the row of string 3 was written; the cell is white round the number.
    EXPECT_EQ(count(0, 89, 2, kBlack) + count(0, 89, 4, kBlack), 0);
    EXPECT_EQ(count(52, 66, 3, kGrey), 0);
    EXPECT_EQ(count(51, 51, 3, kGrey) + count(67, 67, 3, kGrey), 2 * 17);
    state.mandalPos[3] = 0;
    EXPECT_TRUE(arıza_yaz(canvas, state, 3, true)); // labels shown: the label at 0 is cleared too
    EXPECT_EQ(count(52, 66, 3, kWhite), 15 * 17);
}

// Transposed positions in red; strings 1..7 fold the target onto their own row and keep the full
// scale one, string 8 keeps its value; a target of 0 leaves the cell as it was.
TEST_F(MandalColumn, TransposedPositionsStandAtTheirColumnsAndShortStringsFold) {
    struct Case {
        int string, target, folded, x;
    };
    const Case cases[] = {{10, 12, 12, 65}, {11, -8, -8, 72}, {1, 12, 6, 72}, {5, 12, 10, 65},
                          {7, -8, -7, 0},   {3, -1, -1, 0},   {8, 12, 12, 65}};
    for (auto [s, target, folded, x] : cases) {
        state.transposedMandal[s] = static_cast<std::int16_t>(target);
        göçürümYaz(canvas, state, s);
        EXPECT_EQ(state.transposedMandal[s], folded) << s;
        EXPECT_TRUE(s > 7 || state.fullRangeTransposed[s] == target) << s;
        EXPECT_TRUE(x == 0 || firstInk(canvas, s, kRed) == inkOf(folded, x, kRed)) << s;
        EXPECT_EQ(count(0, 89, s, kBlack), 0);
    }
    const QImage before = canvas.image().copy();
    state.transposedMandal[10] = 0;
    göçürümYaz(canvas, state, 10);
    state.transposedMandal[2] = 0;
    state.fullRangeTransposed[2] = 7;
    göçürümYaz(canvas, state, 2);
    EXPECT_EQ(canvas.image(), before);
    EXPECT_EQ(state.fullRangeTransposed[2], 7);
}

TEST_F(MandalColumn, ClearingEmptiesTheRedColumnAndEveryTarget) {
    for (int s = 1; s <= 26; ++s) {
        state.mandalPos[s] = 12;
        arıza_yaz(canvas, state, s, false);
        state.transposedMandal[s] = static_cast<std::int16_t>(s % 2 ? 12 : -8);
        göçürümYaz(canvas, state, s);
    }
    göçürümTemizle(canvas, state);
    for (int s = 1; s <= 26; ++s) {
        EXPECT_EQ(count(0, 89, s, kRed), 0) << s; // no ink left outside the cleared cells
        EXPECT_EQ(count(69, 87, s, kWhite), 19 * 17) << s;
        EXPECT_GT(count(48, 66, s, kBlack), 5) << s; // the black column stays
        EXPECT_EQ(state.transposedMandal[s], 0);
    }
    for (int s = 1; s <= 7; ++s)
        EXPECT_EQ(state.fullRangeTransposed[s], 0) << s;
}

} // namespace
} // namespace zembera
