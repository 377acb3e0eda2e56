#include "canvas/canvas_image.h"

#include <gtest/gtest.h>

#include "support/pixels.h"

namespace zembera {
namespace {

using namespace test;

constexpr QRgb kGreen = qRgb(0, 200, 0);

TEST(CanvasImage, StartsAndClearsInTheBackColour) {
    const QRgb back = qRgb(10, 20, 30);
    CanvasImage c(20, 10, back);
    EXPECT_EQ(countColor(c, back), 200);
    c.line(0, 0, 19, 9);
    c.clear();
    EXPECT_EQ(countColor(c, back), 200);
    EXPECT_TRUE(c.currentX() == 0 && c.currentY() == 0);
}

TEST(CanvasLine, ThinLinesCoverBothEndsWithOnePixelPerStepInEitherDirection) {
    CanvasImage c(20, 20);
    c.line(3, 5, 12, 5);
    for (int x = 3; x <= 12; ++x)
        EXPECT_EQ(c.pixel(x, 5), kBlack) << x;
    EXPECT_EQ(countColor(c, kBlack), 10);
    c.line(12, 2, 2, 12, kRed);
    for (int i = 0; i <= 10; ++i)
        EXPECT_EQ(c.pixel(12 - i, 2 + i), kRed) << i;
    EXPECT_EQ(countColor(c, kRed), 11);
    // A shallow line still reaches its last pixel.
    CanvasImage d(20, 20);
    d.line(1, 1, 15, 4);
    expectPixels(d, {{1, 1, kBlack}, {15, 4, kBlack}});
    EXPECT_EQ(countColor(d, kBlack), 15); // one pixel per column
}

// A wide line is clipped where it runs outside the image.
TEST(CanvasLine, WideLinesAreClippedAtTheImageEdges) {
    CanvasImage c(10, 10);
    c.setLineWidth(3);
    c.line(-50, 5, 500, 5);
    c.line(-1e9, -1e9, 1e9, 1e9);
    expectPixels(c, {{0, 5, kBlack}, {9, 5, kBlack}, {9, 0, kWhite}});
}

TEST(CanvasLine, FractionalCoordinatesRoundToTheNearestPixel) {
    CanvasImage c(20, 20);
    c.line(2.4, 3.5, 8.6, 3.5);
    const PixelAt pixels[] = {
        {2, 4, kBlack}, {9, 4, kBlack}, {10, 4, kWhite}, {1, 4, kWhite}, {5, 3, kWhite}};
    expectPixels(c, pixels);
}

TEST(CanvasBox, SolidFillStyleFillsTheInsideWithTheFillColourTransparentLeavesIt) {
    CanvasImage c(20, 20);
    c.setFillStyle(FillStyle::Solid);
    c.setFillColor(kGreen);
    c.setForeColor(kRed);
    c.box(12, 14, 3, 4); // corners in any order
    const PixelAt pixels[] = {{3, 4, kRed},   {12, 14, kRed},   {3, 14, kRed},  {8, 4, kRed},
                              {4, 5, kGreen}, {11, 13, kGreen}, {2, 9, kWhite}, {13, 9, kWhite}};
    expectPixels(c, pixels);
    EXPECT_EQ(countColor(c, kGreen), 8 * 9);
    // Transparent: the outline only.
    CanvasImage d(20, 20);
    d.box(3, 4, 12, 14);
    expectPixels(d, {{3, 9, kBlack}, {8, 9, kWhite}});
    EXPECT_EQ(countColor(d, kBlack), 2 * 10 + 2 * 9);
    // A filled box covers both corners, in any order; outside the image nothing.
    CanvasImage e(20, 20);
    e.filledBox(736, 0, 735, 0, kRed);
    e.filledBox(6, 17, 5, 3, kRed);
    expectPixels(e, {{5, 3, kRed}, {6, 17, kRed}, {5, 18, kWhite}});
    EXPECT_EQ(countColor(e, kRed), 2 * 15);
}

TEST(CanvasCircle, OutlineLiesAtTheRadiusAndSolidFillsTheDisc) {
    CanvasImage c(20, 20);
    c.setForeColor(kRed);
    c.circle(10, 10, 3);
    // (12, 12) lies 2.83 from the centre: nearest to the radius; (11, 11) inside, (13, 13) out.
    const PixelAt pixels[] = {{13, 10, kRed}, {7, 10, kRed},    {10, 13, kRed},
                              {10, 7, kRed},  {10, 10, kWhite}, {14, 10, kWhite},
                              {12, 12, kRed}, {11, 11, kWhite}, {13, 13, kWhite}};
    expectPixels(c, pixels);
    // A closed ring: filling inside it stays inside.
    c.setFillColor(kGreen);
    c.floodFill(10, 10, kRed);
    expectPixels(c, {{11, 11, kGreen}, {0, 0, kWhite}});
    // The solid fill style fills the disc.
    CanvasImage d(20, 20);
    d.setFillStyle(FillStyle::Solid);
    d.setFillColor(kGreen);
    d.circle(10, 10, 4);
    expectPixels(d, {{10, 10, kGreen}, {12, 12, kGreen}, {14, 10, kBlack}, {15, 10, kWhite}});
}

} // namespace
} // namespace zembera
