#include "notation/mandal_column.h"

#include <gtest/gtest.h>

#include <optional>

#include "support/gui_application.h"
#include "support/pixels.h"

namespace zembera {
namespace {

using namespace test;

constexpr QRgb kGrey = qRgb(212, 208, 200);

class MandalColumn : public ::testing::Test {
  protected:
    void SetUp() override {
        test::ensureGuiApplication();
        setMandalRanges(state);
        canvas.filledBox(0, 0, 89, 395, kGrey);
    }

    int rowTop(int s) const { return 2 + 15 * (s - 1); }

    // The leftmost column holding `color` in the row of string s, if any.
    std::optional<int> firstInk(const CanvasImage& c, int s, QRgb color) const {
        for (int x = 0; x < c.width(); ++x) {
            for (int y = rowTop(s); y <= rowTop(s) + 16; ++y) {
                if (c.pixel(x, y) == color) return x;
            }
        }
        return std::nullopt;
    }

    // Where the ink of a bold number printed at x begins.
    int inkOf(long value, int x, QRgb color) const {
        CanvasImage reference(90, 396, kGrey);
        reference.setBold(true);
        reference.setForeColor(color);
        reference.setCurrentX(x);
        reference.setCurrentY(rowTop(3));
        reference.printNumber(value);
        return *firstInk(reference, 3, color);
    }

    int count(int x0, int x1, int s, QRgb color) const {
        int n = 0;
        for (int y = rowTop(s); y <= rowTop(s) + 16; ++y) {
            for (int x = x0; x <= x1; ++x)
                n += canvas.pixel(x, y) == color;
        }
        return n;
    }

    InstrumentState state;
    CanvasImage canvas{90, 396};
};

// Positions of 10 and more start further left in the same cell.
TEST_F(MandalColumn, SoundingPositionsStandAtTheirColumns) {
    for (auto [pos, x] : {std::pair{12, 48}, {-8, 55}, {9, 55}}) {
        state.mandalPos[3] = static_cast<std::int16_t>(pos);
        arıza_yaz(canvas, state, 3, false);
        EXPECT_EQ(firstInk(canvas, 3, kBlack), inkOf(pos, x, kBlack)) << pos;
    }
    // Only the row of string 3 was written; the cell is white round the number.
    EXPECT_EQ(count(0, 89, 2, kBlack) + count(0, 89, 4, kBlack), 0);
    EXPECT_EQ(count(52, 66, 3, kGrey), 0);
    EXPECT_EQ(count(51, 51, 3, kGrey), 17);
    EXPECT_EQ(count(67, 67, 3, kGrey), 17);
}

TEST_F(MandalColumn, MoveToZeroLeavesAnEmptyCell) {
    state.mandalPos[20] = 3;
    EXPECT_TRUE(arıza_yaz(canvas, state, 20, true)); // labels shown: redraw them
    EXPECT_GT(count(52, 66, 20, kBlack), 5);
    state.mandalPos[20] = 0;
    EXPECT_TRUE(arıza_yaz(canvas, state, 20, true)); // the label at 0 must be cleared too
    EXPECT_EQ(count(52, 66, 20, kBlack), 0);
    EXPECT_EQ(count(52, 66, 20, kWhite), 15 * 17);
    state.mandalPos[20] = -2;
    EXPECT_FALSE(arıza_yaz(canvas, state, 20, false)); // labels hidden
}

TEST_F(MandalColumn, TransposedPositionsStandAtTheirColumns) {
    for (auto [pos, x] : {std::pair{12, 65}, {-8, 72}}) {
        göçürümTemizle(canvas, state);
        state.transposedMandal[10] = static_cast<std::int16_t>(pos);
        göçürümYaz(canvas, state, 10);
        EXPECT_EQ(firstInk(canvas, 10, kRed), inkOf(pos, x, kRed)) << pos;
    }
    EXPECT_EQ(count(0, 89, 10, kBlack), 0);
}

TEST_F(MandalColumn, ZeroTransposedPositionLeavesTheCell) {
    state.transposedMandal[15] = 4;
    göçürümYaz(canvas, state, 15);
    const QImage before = canvas.image().copy();
    state.transposedMandal[15] = 0;
    göçürümYaz(canvas, state, 15);
    EXPECT_EQ(canvas.image(), before);
    state.transposedMandal[2] = 0;
    state.fullRangeTransposed[2] = 7;
    göçürümYaz(canvas, state, 2);
    EXPECT_EQ(canvas.image(), before);
    EXPECT_EQ(state.fullRangeTransposed[2], 7);
}

TEST_F(MandalColumn, ShortStringsFoldAndKeepTheFullScaleTarget) {
    // String 8 and below keep their value; -1 stays as it is on every string.
    struct Case {
        int string, target, folded;
    };
    for (auto [s, target, folded] : {Case{1, 12, 6}, {5, 12, 10}, {7, -8, -7}, {3, -1, -1}}) {
        state.transposedMandal[s] = static_cast<std::int16_t>(target);
        göçürümYaz(canvas, state, s);
        EXPECT_EQ(state.fullRangeTransposed[s], target) << s;
        EXPECT_EQ(state.transposedMandal[s], folded) << s;
    }
    // The folded value is printed.
    EXPECT_EQ(firstInk(canvas, 1, kRed), inkOf(6, 72, kRed));
    EXPECT_EQ(firstInk(canvas, 5, kRed), inkOf(10, 65, kRed));
    state.transposedMandal[8] = 12;
    göçürümYaz(canvas, state, 8);
    EXPECT_EQ(state.transposedMandal[8], 12);
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
