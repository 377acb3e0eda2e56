#include "canvas/canvas_image.h"

#include <gtest/gtest.h>

#include "support/pixels.h"

namespace zembera {
namespace {

using namespace test;

constexpr QRgb kFill = qRgb(10, 120, 230);

// Inside a black border, over other colours (a red line is painted over, a patch already of the
// fill colour filled around), and no further.
TEST(CanvasFloodFill, FillsInsideABlackBorderOverOtherColoursAndStopsThere) {
    CanvasImage c(30, 30);
    c.box(5, 5, 20, 20);
    c.line(8, 12, 17, 12, kRed);
    c.filledBox(9, 14, 10, 15, kFill);
    c.setFillColor(kFill);
    c.floodFill(10, 10);
    EXPECT_EQ(countColor(c, kFill), 14 * 14);
    for (auto [x, y] : {std::pair{6, 6}, {19, 19}, {12, 12}, {10, 18}})
        EXPECT_EQ(c.pixel(x, y), kFill) << x << "," << y;
    EXPECT_EQ(c.pixel(5, 10), kBlack);
    EXPECT_EQ(c.pixel(4, 10), kWhite);
    EXPECT_EQ(c.pixel(25, 25), kWhite);
}

TEST(CanvasFloodFill, RunsToTheImageEdgeWhenTheAreaIsOpen) {
    CanvasImage c(40, 20);
    c.line(20, 0, 20, 19); // splits the image in two
    c.setFillColor(kFill);
    c.floodFill(3, 3);
    EXPECT_EQ(c.pixel(0, 0), kFill);
    EXPECT_EQ(c.pixel(19, 19), kFill);
    EXPECT_EQ(c.pixel(0, 19), kFill);
    EXPECT_EQ(c.pixel(21, 10), kWhite);
    EXPECT_EQ(c.pixel(39, 19), kWhite);
    EXPECT_EQ(countColor(c, kFill), 20 * 20);
}

TEST(CanvasFloodFill, BorderColourCanBeChosenAndNothingStartsOnItOrOutside) {
    CanvasImage c(20, 20);
    c.line(0, 10, 19, 10, kRed);
    c.setFillColor(kFill);
    for (auto [x, y] : {std::pair{5, 10}, {-1, 3}, {20, 3}, {3, 25}})
        c.floodFill(x, y, kRed);
    EXPECT_EQ(countColor(c, kFill), 0);
    c.floodFill(5, 5, kRed);
    EXPECT_EQ(countColor(c, kFill), 20 * 10);
}

TEST(CanvasAndCopy, CombinesEachChannelWithAndFromTheSourceRectangleToThePoint) {
    CanvasImage c(10, 10);
    c.filledBox(0, 0, 9, 9, qRgb(0xF0, 0x0F, 0xFF));
    QImage source(8, 8, QImage::Format_RGB32);
    source.fill(qRgb(0x3C, 0xFF, 0x00));
    source.setPixel(5, 6, qRgb(0xFF, 0xFF, 0xFF)); // neutral under AND
    c.andCopy(source, QRect(4, 4, 2, 3), QPoint(3, 3));
    for (auto [x, y] : {std::pair{3, 3}, {4, 3}, {3, 5}})
        EXPECT_EQ(c.pixel(x, y), qRgb(0x30, 0x0F, 0x00)) << x << "," << y;
    for (auto [x, y] : {std::pair{4, 5}, {5, 4}, {2, 3}, {3, 6}})
        EXPECT_EQ(c.pixel(x, y), qRgb(0xF0, 0x0F, 0xFF)) << x << "," << y;

    // Clipped at both images: of the rectangle from x -2, source column 0 lands at x 9, rows 3..5
    // at y 7..9.
    CanvasImage d(10, 10);
    source.fill(qRgb(0, 0, 0));
    d.andCopy(source, QRect(-2, 3, 20, 20), QPoint(7, 7));
    EXPECT_EQ(d.pixel(9, 7), kBlack);
    EXPECT_EQ(d.pixel(9, 9), kBlack);
    EXPECT_EQ(countColor(d, kBlack), 3);
}

} // namespace
} // namespace zembera
