// Each scenario draws on a canvas of its own; the picture is compared with its approved PNG and
// the text positions with an approved dump.

#include "canvas/canvas_image.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "support/golden_image.h"
#include "support/gui_application.h"
#include "support/pixels.h"

namespace zembera {
namespace {

using namespace test;

constexpr QRgb kGreen = qRgb(0, 200, 0);
constexpr QRgb kFill = qRgb(10, 120, 230);

struct Scenario {
    const char* name;
    int width, height;
    std::function<void(CanvasImage&)> draw;
    QRgb back = kWhite;
};

const Scenario kShapes[] = {
    // Thin lines in either direction, a shallow one, fractional ends rounded to the nearest pixel.
    {"lines", 32, 24,
     [](CanvasImage& c) {
         c.line(3, 5, 12, 5);
         c.line(28, 2, 18, 12, kRed);
         c.line(1, 14, 15, 17);
         c.line(2.4, 20.5, 8.6, 20.5);
     }},
    // A wide line is clipped where it runs outside the image, however far.
    {"wide_lines", 10, 10,
     [](CanvasImage& c) {
         c.setLineWidth(3);
         c.line(-50, 5, 500, 5);
         c.line(-1e9, -1e9, 1e9, 1e9);
     }},
    // Solid: outline in the drawing colour, inside in the fill colour; corners in any order.
    // Transparent: the outline only. A filled box outside the image draws nothing.
    {"boxes", 40, 20,
     [](CanvasImage& c) {
         c.setFillStyle(FillStyle::Solid);
         c.setFillColor(kGreen);
         c.setForeColor(kRed);
         c.box(12, 14, 3, 4);
         c.setFillStyle(FillStyle::Transparent);
         c.setForeColor(kBlack);
         c.box(16, 4, 25, 14);
         c.filledBox(736, 0, 735, 0, kRed);
         c.filledBox(33, 17, 32, 3, kRed);
     }},
    // A closed ring filled inside stays inside; the solid style fills the disc.
    {"circles", 40, 20,
     [](CanvasImage& c) {
         c.setForeColor(kRed);
         c.circle(10, 10, 3);
         c.setFillColor(kGreen);
         c.floodFill(10, 10, kRed);
         c.setForeColor(kBlack);
         c.setFillStyle(FillStyle::Solid);
         c.circle(30, 10, 4);
     }},
    // Inside a black border over other colours (a red line, a patch of the fill colour), no
    // further.
    {"fill_inside", 30, 30,
     [](CanvasImage& c) {
         c.box(5, 5, 20, 20);
         c.line(8, 12, 17, 12, kRed);
         c.filledBox(9, 14, 10, 15, kFill);
         c.setFillColor(kFill);
         c.floodFill(10, 10);
     }},
    // An open area runs to the image edge.
    {"fill_open", 40, 20,
     [](CanvasImage& c) {
         c.line(20, 0, 20, 19);
         c.setFillColor(kFill);
         c.floodFill(3, 3);
     }},
    // The border colour can be chosen; nothing starts on it or outside the image.
    {"fill_border", 20, 20,
     [](CanvasImage& c) {
         c.line(0, 10, 19, 10, kRed);
         c.line(10, 0, 10, 5);
         c.setFillColor(kFill);
         for (auto [x, y] : {std::pair{5, 10}, {-1, 3}, {20, 3}, {3, 25}, {5, 5}})
             c.floodFill(x, y, kRed);
     }},
    // Each channel ANDed from the source rectangle to the point, clipped at both images.
    {"and_copy", 20, 10,
     [](CanvasImage& c) {
         c.filledBox(0, 0, 9, 9, qRgb(0xF0, 0x0F, 0xFF));
         QImage source(8, 8, QImage::Format_RGB32);
         source.fill(qRgb(0x3C, 0xFF, 0x00));
         source.setPixel(5, 6, qRgb(0xFF, 0xFF, 0xFF));
         c.andCopy(source, QRect(4, 4, 2, 3), QPoint(3, 3));
         source.fill(qRgb(0, 0, 0));
         c.andCopy(source, QRect(-2, 3, 20, 20), QPoint(17, 7));
     }},
    // Starts and clears in the back colour, the position back home (where the red line starts).
    {"cleared", 20, 10,
     [](CanvasImage& c) {
         c.line(0, 0, 19, 9);
         c.setCurrentX(7);
         c.setCurrentY(5);
         c.clear();
         c.line(c.currentX(), c.currentY(), 6, 0, kRed);
     },
     qRgb(10, 20, 30)},
};

TEST(CanvasDrawing, ShapesFillsAndCopiesMatchTheirApprovedPictures) {
    for (const Scenario& s : kShapes) {
        CanvasImage c(s.width, s.height, s.back);
        s.draw(c);
        expectGoldenImage(std::string("canvas/") + s.name + ".png", c.image());
    }
}

// Text hangs from the text position in its colour; print moves right or to the next line; numbers
// have a leading blank unless negative and a trailing one; bold and size change the glyphs.
TEST(CanvasDrawing, TextMatchesItsApprovedPictureAndPositions) {
    ensureGuiApplication();
    CanvasImage c(220, 90);
    std::ostringstream log;
    const auto print = [&](const std::string& text, bool newline = false) {
        c.print(text, newline);
        log << "print \"" << text << "\"" << (newline ? " with line break" : "") << " -> "
            << c.currentX() << ", " << c.currentY() << "\n";
    };
    c.setForeColor(qRgb(206, 30, 10));
    c.setCurrentX(20);
    c.setCurrentY(3);
    print("Hg8");
    c.setForeColor(kBlack);
    print("WWW");
    print("I");
    print("ab", true);
    print("ab");
    for (long n : {5L, -5L}) {
        c.printNumber(n);
        log << "number " << n << " -> " << c.currentX() << "\n";
    }
    c.setCurrentX(0);
    c.setCurrentY(40);
    c.setBold(true);
    print("MMM");
    c.setBold(false);
    c.setFontSize(12);
    print("MMM");
    log << "width \"WWW\" " << c.textWidth("WWW") << ", height " << c.textHeight() << "\n";
    expectGoldenImage("canvas/text.png", c.image());
    expectGolden("canvas/text_positions.txt", log.str());
}

} // namespace
} // namespace zembera
