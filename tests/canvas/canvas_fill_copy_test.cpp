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
    const PixelAt pixels[] = {{6, 6, kFill},   {19, 19, kFill}, {12, 12, kFill}, {10, 18, kFill},
                              {5, 10, kBlack}, {4, 10, kWhite}, {25, 25, kWhite}};
    expectPixels(c, pixels);
}

TEST(CanvasFloodFill, RunsToTheImageEdgeWhenTheAreaIsOpen) {
    CanvasImage c(40, 20);
    c.line(20, 0, 20, 19); // splits the image in two
    c.setFillColor(kFill);
    c.floodFill(3, 3);
    const PixelAt pixels[] = {
        {0, 0, kFill}, {19, 19, kFill}, {0, 19, kFill}, {21, 10, kWhite}, {39, 19, kWhite}};
    expectPixels(c, pixels);
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
    const QRgb anded = qRgb(0x30, 0x0F, 0x00), kept = qRgb(0xF0, 0x0F, 0xFF);
    const PixelAt pixels[] = {{3, 3, anded}, {4, 3, anded}, {3, 5, anded}, {4, 5, kept},
                              {5, 4, kept},  {2, 3, kept},  {3, 6, kept}};
    expectPixels(c, pixels);

    // Clipped at both images: of the rectangle from x -2, source column 0 lands at x 9, rows 3..5
    // at y 7..9.
    CanvasImage d(10, 10);
    source.fill(qRgb(0, 0, 0));
    d.andCopy(source, QRect(-2, 3, 20, 20), QPoint(7, 7));
    expectPixels(d, {{9, 7, kBlack}, {9, 9, kBlack}});
    EXPECT_EQ(countColor(d, kBlack), 3);
}

} // namespace
} // namespace zembera
