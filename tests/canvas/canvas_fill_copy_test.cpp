#include "canvas/canvas_image.h"

#include <gtest/gtest.h>

#include "support/pixels.h"

namespace zembera {
namespace {

using namespace test;

constexpr QRgb kFill = qRgb(10, 120, 230);

TEST(CanvasFloodFill, FillsInsideABlackBorderAndStopsThere) {
    CanvasImage c(30, 30);
    c.box(5, 5, 20, 20);
    c.setFillColor(kFill);
    c.floodFill(10, 10);
    EXPECT_EQ(countColor(c, kFill), 14 * 14);
    EXPECT_EQ(c.pixel(6, 6), kFill);
    EXPECT_EQ(c.pixel(19, 19), kFill);
    EXPECT_EQ(c.pixel(5, 10), kBlack);
    EXPECT_EQ(c.pixel(4, 10), kWhite);
    EXPECT_EQ(c.pixel(25, 25), kWhite);
}

TEST(CanvasFloodFill, PaintsOverOtherColoursInsideTheBorder) {
    CanvasImage c(30, 30);
    c.box(5, 5, 20, 20);
    c.line(8, 12, 17, 12, kRed);       // not a border: painted over
    c.filledBox(9, 14, 10, 15, kFill); // already the fill colour: filled around
    c.setFillColor(kFill);
    c.floodFill(10, 10);
    EXPECT_EQ(c.pixel(12, 12), kFill);
    EXPECT_EQ(c.pixel(10, 18), kFill);
    EXPECT_EQ(countColor(c, kFill), 14 * 14);
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

TEST(CanvasFloodFill, FollowsWindingAreasAroundCorners) {
    // A comb: the teeth hang from the top, so the area snakes down and up between them.
    CanvasImage c(41, 20);
    c.box(0, 0, 40, 19);
    for (int x = 5; x <= 35; x += 10)
        c.line(x, 0, x, 15);
    for (int x = 10; x <= 30; x += 10)
        c.line(x, 4, x, 19);
    c.setFillColor(kFill);
    c.floodFill(2, 2);
    EXPECT_EQ(c.pixel(38, 2), kFill); // the far end of the snake
    EXPECT_EQ(c.pixel(7, 2), kFill);
    EXPECT_EQ(c.pixel(12, 17), kFill);
    EXPECT_EQ(countColor(c, kWhite), 0);
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

TEST(CanvasAndCopy, CombinesEachChannelWithAnd) {
    CanvasImage c(10, 10);
    c.filledBox(0, 0, 9, 9, qRgb(0xF0, 0x0F, 0xFF));
    QImage source(4, 4, QImage::Format_RGB32);
    source.fill(qRgb(0x3C, 0xFF, 0x00));
    c.andCopy(source, QRect(0, 0, 2, 2), QPoint(3, 3));
    EXPECT_EQ(c.pixel(3, 3), qRgb(0x30, 0x0F, 0x00));
    EXPECT_EQ(c.pixel(4, 4), qRgb(0x30, 0x0F, 0x00));
    EXPECT_EQ(c.pixel(5, 4), qRgb(0xF0, 0x0F, 0xFF));
    EXPECT_EQ(c.pixel(2, 3), qRgb(0xF0, 0x0F, 0xFF));
}

TEST(CanvasAndCopy, TakesTheSourceRectangleToTheDestinationPoint) {
    CanvasImage c(10, 10);
    QImage sheet(8, 8, QImage::Format_RGB32);
    sheet.fill(qRgb(255, 255, 255));
    sheet.setPixel(5, 6, qRgb(0, 0, 0)); // a black dot in a white sheet
    c.andCopy(sheet, QRect(4, 4, 3, 3), QPoint(1, 2));
    // White is neutral under AND: only the dot shows, at its place in the rectangle.
    EXPECT_EQ(c.pixel(2, 4), kBlack);
    EXPECT_EQ(countColor(c, kBlack), 1);
}

TEST(CanvasAndCopy, IsClippedAtBothImages) {
    CanvasImage c(10, 10);
    QImage source(6, 6, QImage::Format_ARGB32);
    source.fill(qRgb(0, 0, 0));
    c.andCopy(source, QRect(-2, 3, 20, 20), QPoint(7, 7));
    // Source columns 0..5, rows 3..5 land at x = 9.., y = 7..9: one column inside.
    EXPECT_EQ(c.pixel(9, 7), kBlack);
    EXPECT_EQ(c.pixel(9, 9), kBlack);
    EXPECT_EQ(c.pixel(8, 8), kWhite);
    EXPECT_EQ(countColor(c, kBlack), 3);
}

} // namespace
} // namespace zembera
