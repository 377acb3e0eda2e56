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
    EXPECT_EQ(c.currentX(), 0);
    EXPECT_EQ(c.currentY(), 0);
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
    EXPECT_EQ(d.pixel(1, 1), kBlack);
    EXPECT_EQ(d.pixel(15, 4), kBlack);
    EXPECT_EQ(countColor(d, kBlack), 15); // one pixel per column
}

// A wide line is clipped where it runs outside the image.
TEST(CanvasLine, WideLinesAreClippedAtTheImageEdges) {
    CanvasImage c(10, 10);
    c.setLineWidth(3);
    c.line(-50, 5, 500, 5);
    c.line(-1e9, -1e9, 1e9, 1e9);
    EXPECT_EQ(c.pixel(0, 5), kBlack);
    EXPECT_EQ(c.pixel(9, 5), kBlack);
    EXPECT_EQ(c.pixel(9, 0), kWhite);
}

TEST(CanvasLine, FractionalCoordinatesRoundToTheNearestPixel) {
    CanvasImage c(20, 20);
    c.line(2.4, 3.5, 8.6, 3.5);
    EXPECT_EQ(c.pixel(2, 4), kBlack);
    EXPECT_EQ(c.pixel(9, 4), kBlack);
    EXPECT_EQ(c.pixel(10, 4), kWhite);
    EXPECT_EQ(c.pixel(1, 4), kWhite);
    EXPECT_EQ(c.pixel(5, 3), kWhite);
}

TEST(CanvasBox, SolidFillStyleFillsTheInsideWithTheFillColourTransparentLeavesIt) {
    CanvasImage c(20, 20);
    c.setFillStyle(FillStyle::Solid);
    c.setFillColor(kGreen);
    c.setForeColor(kRed);
    c.box(12, 14, 3, 4); // corners in any order
    EXPECT_EQ(c.pixel(3, 4), kRed);
    EXPECT_EQ(c.pixel(12, 14), kRed);
    EXPECT_EQ(c.pixel(3, 14), kRed);
    EXPECT_EQ(c.pixel(8, 4), kRed);
    EXPECT_EQ(c.pixel(4, 5), kGreen);
    EXPECT_EQ(c.pixel(11, 13), kGreen);
    EXPECT_EQ(c.pixel(2, 9), kWhite);
    EXPECT_EQ(c.pixel(13, 9), kWhite);
    EXPECT_EQ(countColor(c, kGreen), 8 * 9);
    // Transparent: the outline only.
    CanvasImage d(20, 20);
    d.box(3, 4, 12, 14);
    EXPECT_EQ(d.pixel(3, 9), kBlack);
    EXPECT_EQ(d.pixel(8, 9), kWhite);
    EXPECT_EQ(countColor(d, kBlack), 2 * 10 + 2 * 9);
    // A filled box covers both corners, in any order; outside the image nothing.
    CanvasImage e(20, 20);
    e.filledBox(736, 0, 735, 0, kRed);
    e.filledBox(6, 17, 5, 3, kRed);
    EXPECT_EQ(e.pixel(5, 3), kRed);
    EXPECT_EQ(e.pixel(6, 17), kRed);
    EXPECT_EQ(e.pixel(5, 18), kWhite);
    EXPECT_EQ(countColor(e, kRed), 2 * 15);
}

TEST(CanvasCircle, OutlineLiesAtTheRadiusAndSolidFillsTheDisc) {
    CanvasImage c(20, 20);
    c.setForeColor(kRed);
    c.circle(10, 10, 3);
    for (auto [x, y] : {std::pair{13, 10}, {7, 10}, {10, 13}, {10, 7}})
        EXPECT_EQ(c.pixel(x, y), kRed) << x << "," << y;
    EXPECT_EQ(c.pixel(10, 10), kWhite);
    EXPECT_EQ(c.pixel(14, 10), kWhite);
    EXPECT_EQ(c.pixel(12, 12), kRed);   // 2.83 from the centre: nearest to the radius
    EXPECT_EQ(c.pixel(11, 11), kWhite); // 1.41: inside the ring
    EXPECT_EQ(c.pixel(13, 13), kWhite); // 4.24: outside
    // A closed ring: filling inside it stays inside.
    c.setFillColor(kGreen);
    c.floodFill(10, 10, kRed);
    EXPECT_EQ(c.pixel(11, 11), kGreen);
    EXPECT_EQ(c.pixel(0, 0), kWhite);
    // The solid fill style fills the disc.
    CanvasImage d(20, 20);
    d.setFillStyle(FillStyle::Solid);
    d.setFillColor(kGreen);
    d.circle(10, 10, 4);
    EXPECT_EQ(d.pixel(10, 10), kGreen);
    EXPECT_EQ(d.pixel(12, 12), kGreen);
    EXPECT_EQ(d.pixel(14, 10), kBlack);
    EXPECT_EQ(d.pixel(15, 10), kWhite);
}

} // namespace
} // namespace zembera
