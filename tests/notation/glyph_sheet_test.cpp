#include "glyphs/glyph_sheet.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "notation/glyph_sheet_layout.h"
#include "support/pixels.h"

namespace zembera::glyphs {
namespace {

using test::kBlack;
using test::kRed;
using test::kWhite;

QRgb at(int x, int y) {
    static const QImage sheet = drawGlyphSheet();
    return sheet.pixel(x, y);
}

int blackCount(const Region& r, int fromX = 0, int toX = -1) {
    if (toX < 0) toX = r.width - 1;
    int n = 0;
    for (int y = r.y; y < r.y + r.height; ++y)
        for (int x = r.x + fromX; x <= r.x + toX; ++x)
            n += at(x, y) == kBlack;
    return n;
}

// Whether columns fromA.. of cell a hold the same pixels as columns fromB.. of cell b.
bool samePart(const Region& a, int fromA, const Region& b, int fromB, int width) {
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < width; ++x)
            if (at(a.x + fromA + x, a.y + y) != at(b.x + fromB + x, b.y + y)) return false;
    return true;
}

Region cellOf(int code) {
    return code < 0 ? loweringCell(code + 12) : raisingCell(code - 1);
}

// Every region is pure black and white, framed in red one pixel outside it; every accidental
// cell holds ink.
TEST(GlyphSheet, RegionsArePureBlackAndWhiteFramedInRedOutside) {
    std::vector<Region> regions = {kStaff, kNoteHead};
    for (int c = 0; c < kColumns; ++c) {
        regions.push_back(loweringCell(c));
        regions.push_back(raisingCell(c));
        EXPECT_GT(blackCount(loweringCell(c)), 8) << "code " << loweringCode(c);
        EXPECT_GT(blackCount(raisingCell(c)), 8) << "code " << raisingCode(c);
    }
    for (const Region& r : regions)
        for (int y = r.y - 1; y <= r.y + r.height; ++y)
            for (int x = r.x - 1; x <= r.x + r.width; ++x) {
                const bool frame = x < r.x || y < r.y || x == r.x + r.width || y == r.y + r.height;
                const QRgb c = at(x, y);
                ASSERT_TRUE(frame ? c == kRed : c == kBlack || c == kWhite) << x << "," << y;
            }
}

TEST(GlyphSheet, StaffHasFiveFullLinesAClefAcrossThemAndAnOpenNoteHead) {
    for (int y : kStaffLineRows)
        for (int x = kStaff.x; x < kStaff.x + kStaff.width; ++x)
            ASSERT_EQ(at(x, y), kBlack) << x << "," << y;
    // Between and beyond the lines only the clef, at the left, is drawn: it reaches above the
    // top line and below the bottom one.
    bool above = false;
    bool below = false;
    for (int y = kStaff.y; y < kStaff.y + kStaff.height; ++y) {
        const bool onLine = y == 14 || y == 20 || y == 26 || y == 32 || y == 38;
        for (int x = kStaff.x; x < kStaff.x + kStaff.width; ++x) {
            if (onLine || at(x, y) != kBlack) continue;
            EXPECT_LT(x, kStaff.x + 28) << "ink right of the clef at " << x << "," << y;
            above |= y < 10;
            below |= y > 42;
        }
    }
    EXPECT_TRUE(above && below);
    // The head: a hole, its four sides, round corners.
    const Region& h = kNoteHead;
    const std::pair<QPoint, QRgb> head[] = {{{5, 3}, kWhite}, {{0, 3}, kBlack}, {{9, 3}, kBlack},
                                            {{4, 0}, kBlack}, {{4, 6}, kBlack}, {{0, 0}, kWhite},
                                            {{9, 6}, kWhite}};
    for (const auto& [p, color] : head)
        EXPECT_EQ(at(h.x + p.x(), h.y + p.y()), color) << p.x() << "," << p.y();
}

TEST(GlyphSheet, CombinedGlyphsAreTheSmallSignLeftOfTheBaseSign) {
    // The base sign stands right of column 7 alone; the small sign left of it.
    constexpr int kBaseFrom = 7;
    constexpr int kBaseWidth = 19 - kBaseFrom;
    // -7 and -5 are a flat like -6 with the -1 and the +1 sign; 5 and 7 a sharp like 6.
    const std::pair<int, std::vector<int>> sameBaseSign[] = {
        {-6, {-9, -8, -7, -5, -4}}, {6, {4, 5, 7, 8, 9}}, {12, {10, 11}}, {-12, {-11, -10}}};
    for (const auto& [base, codes] : sameBaseSign)
        for (int code : codes)
            EXPECT_TRUE(samePart(cellOf(code), kBaseFrom, cellOf(base), kBaseFrom, kBaseWidth))
                << code;
    // The plain base signs have nothing left of them.
    for (int code : {-6, 6, 12})
        EXPECT_EQ(blackCount(cellOf(code), 0, kBaseFrom - 1), 0) << code;
    EXPECT_EQ(blackCount(cellOf(-12), 0, kSmallSignWidth - 1), 0);

    // The same small sign beside different base signs, and alone next to the note; the six
    // small signs differ from each other.
    const int moved = kSmallSignAloneX - kSmallSignBesideX;
    const std::vector<std::vector<int>> sameSmallSign = {
        {1, 7, -5, -11}, {2, 8, -4, -10}, {3, 9}, {-1, 5, 11, -7}, {-2, 4, 10, -8}, {-3, -9}};
    for (const auto& group : sameSmallSign) {
        const Region alone = cellOf(group[0]);
        for (std::size_t i = 1; i < group.size(); ++i)
            EXPECT_TRUE(samePart(cellOf(group[i]), kSmallSignBesideX, alone,
                                 kSmallSignBesideX + moved, kSmallSignWidth))
                << group[0] << " beside " << group[i];
        EXPECT_EQ(blackCount(alone, 0, kSmallSignAloneX - 1), 0) << group[0];
        for (const auto& other : sameSmallSign)
            EXPECT_TRUE(group[0] == other[0] || !samePart(alone, 0, cellOf(other[0]), 0, 19))
                << group[0] << " vs " << other[0];
    }
}

} // namespace
} // namespace zembera::glyphs
