// Each scenario draws on a canvas of its own; the picture is compared with its approved PNG and
// the text positions with an approved dump. At a device scale of 2 every primitive covers the
// device pixels of its logical pixels, with pens twice as wide, and text is set at twice the size,
// so it is sharp rather than an enlarged scale-1 picture; the logical image stays the same.

#include <QPainter>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <sstream>

#include "canvas/canvas_image.h"
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

// The scale-1 picture enlarged pixel by pixel: what a blurred-free but coarse window would show.
QImage enlarged(const QImage& image, int factor) {
    return image
        .scaled(image.width() * factor, image.height() * factor, Qt::IgnoreAspectRatio,
                Qt::FastTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

// How many pixels of `a` meet `test(x, y, colour)`.
template <typename Test> int pixelsWhere(const QImage& a, Test test) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += test(x, y, a.pixel(x, y) & RGB_MASK);
    return n;
}
int differing(const QImage& a, const QImage& b) {
    return pixelsWhere(a, [&](int x, int y, QRgb c) { return c != (b.pixel(x, y) & RGB_MASK); });
}
int count(const QImage& image, QRgb color) {
    return pixelsWhere(image, [&](int, int, QRgb c) { return c == (color & RGB_MASK); });
}

// Lines, boxes, fills and glyph copies on whole logical pixels: each logical pixel becomes a 2×2
// block, counted from the geometry, and the logical image is what scale 1 draws.
TEST(CanvasScale, ShapesCoverTheDevicePixelsOfTheirPixels) {
    CanvasImage flat(40, 30);
    CanvasImage sharp(40, 30);
    sharp.setDeviceScale(2);
    ASSERT_EQ(sharp.deviceImage().size(), QSize(80, 60));
    EXPECT_EQ(sharp.deviceImage().devicePixelRatio(), 2.0);
    QImage sheet(4, 4, QImage::Format_RGB32);
    sheet.fill(kWhite);
    sheet.setPixel(1, 2, kBlack);
    for (CanvasImage* c : {&flat, &sharp}) {
        c->line(2, 3, 10, 3);  // 9 pixels
        c->box(14, 2, 24, 12); // a closed border of 40 pixels
        c->setFillColor(kRed);
        c->floodFill(18, 6); // its 9×9 inside
        c->setLineWidth(3);
        c->line(30, 5, 30, 9); // 3 wide, reaching one pixel beyond each end: 3×7
        c->andCopy(sheet, QRect(0, 0, 4, 4), QPoint(2, 20)); // one black pixel
    }
    EXPECT_EQ(differing(flat.image(), sharp.image()), 0) << "the logical image changed";
    const QImage& device = sharp.deviceImage();
    EXPECT_EQ(count(device, kBlack), 4 * (9 + 40 + 21 + 1));
    EXPECT_EQ(count(device, kRed), 4 * 81);
    EXPECT_EQ(device.pixel(4, 6) & RGB_MASK, kBlack & RGB_MASK);  // the line's first pixel
    EXPECT_EQ(device.pixel(21, 7) & RGB_MASK, kBlack & RGB_MASK); // its last
    EXPECT_EQ(device.pixel(22, 6) & RGB_MASK, kWhite & RGB_MASK);
    EXPECT_EQ(device.pixel(6, 44) & RGB_MASK, kBlack & RGB_MASK); // the glyph pixel (3, 22)
    // On whole pixels the sharp drawing and the enlarged one agree.
    EXPECT_EQ(differing(device, enlarged(flat.image(), 2)), 0);
}

// A slanted line and a circle are drawn with the device's own steps: as many pixels as an
// enlargement would have, but finer; a fill inside a slanted border does not leak.
TEST(CanvasScale, SlantsAndCirclesAreDrawnAtTheDeviceResolution) {
    CanvasImage flat(40, 40);
    CanvasImage sharp(40, 40);
    sharp.setDeviceScale(2);
    for (CanvasImage* c : {&flat, &sharp}) {
        c->line(2, 2, 30, 12);
        c->line(30, 12, 2, 30);
        c->line(2, 30, 2, 2);
        c->setFillColor(kRed);
        c->floodFill(6, 12);
        c->circle(30, 30, 6);
    }
    const QImage& device = sharp.deviceImage();
    EXPECT_GT(differing(device, enlarged(flat.image(), 2)), 0) << "an enlarged picture";
    // Nothing red outside the triangle: every red device pixel lies in a logical pixel that is
    // red or black (its border) at scale 1.
    EXPECT_EQ(pixelsWhere(device,
                          [&](int x, int y, QRgb c) {
                              const QRgb logical = flat.pixel(x / 2, y / 2) & RGB_MASK;
                              return c == (kRed & RGB_MASK) && logical != (kRed & RGB_MASK) &&
                                     logical != (kBlack & RGB_MASK);
                          }),
              0);
    // The red area is close to four times the logical one: the border takes its own steps.
    const int redFlat = count(flat.image(), kRed);
    EXPECT_NEAR(count(device, kRed), 4 * redFlat, 0.1 * 4 * redFlat);
}

// Text at scale 2 is the text a drawing made at scale 2 shows: the same font at twice the size,
// at the device position of the text position; not the scale-1 letters enlarged.
TEST(CanvasScale, TextIsSetAtTheDeviceResolution) {
    ensureGuiApplication();
    CanvasImage flat(90, 20);
    CanvasImage sharp(90, 20);
    sharp.setDeviceScale(2);
    for (CanvasImage* c : {&flat, &sharp}) {
        c->setFontSize(10);
        c->setCurrentX(3);
        c->setCurrentY(2);
        c->print("1010 ♭");
    }
    EXPECT_EQ(sharp.currentX(), flat.currentX()) << "the advance is logical";

    QImage expected(180, 40, QImage::Format_RGB32);
    expected.setDotsPerMeterX(sharp.deviceImage().dotsPerMeterX());
    expected.setDotsPerMeterY(sharp.deviceImage().dotsPerMeterY());
    expected.fill(kWhite);
    {
        QFont font(QString::fromLatin1(CanvasImage::kFontFamily));
        font.setPointSizeF(20);
        font.setStyleStrategy(QFont::NoAntialias);
        QPainter p(&expected);
        p.setFont(font);
        p.setPen(QColor(kBlack));
        p.drawText(QPointF(6, 4 + std::round(QFontMetricsF(font, &expected).ascent())),
                   QString::fromUtf8("1010 ♭"));
    }
    const QImage device = sharp.deviceImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(differing(device, expected), 0);
    EXPECT_GT(differing(device, enlarged(flat.image(), 2)), 20) << "enlarged letters";
    EXPECT_GT(count(device, kBlack), 3 * count(flat.image(), kBlack));
}

// A glyph copy given a sheet drawn at twice the size takes the device pixels from it, one for
// one at scale 2 and by the pixel under each device pixel's centre at 1.5: not the logical sheet
// enlarged. The logical image is the logical sheet's copy all the same.
TEST(CanvasScale, GlyphCopiesTakeTheDoubledSheet) {
    QImage single(6, 5, QImage::Format_RGB32);
    single.fill(kWhite);
    single.setPixel(2, 1, kBlack);
    QImage doubled(12, 10, QImage::Format_RGB32);
    doubled.fill(kWhite);
    doubled.setPixel(4, 2, kBlack); // the top-left quarter of (2, 1) only: a finer dot
    doubled.setPixel(9, 7, kBlack); // where the logical sheet is white
    const QRect from(1, 1, 5, 4);
    const QPoint to(10, 3);

    CanvasImage flat(30, 20);
    flat.andCopy(single, from, to);
    // Each device pixel takes the doubled pixel under its centre: at 2 the doubled region one for
    // one, at 2 * (to - from) from where it lies.
    for (const double scale : {2.0, 1.5}) {
        CanvasImage sharp(30, 20);
        sharp.setDeviceScale(scale);
        sharp.andCopy(single, from, to, doubled);
        EXPECT_EQ(differing(flat.image(), sharp.image()), 0) << "the logical image changed";
        const auto sheetAt = [&](int x, int origin) {
            return int(std::floor(2 * (x + 0.5) / scale)) - 2 * (origin - 1);
        };
        EXPECT_EQ(pixelsWhere(sharp.deviceImage(),
                              [&](int x, int y, QRgb c) {
                                  const int sx = sheetAt(x, to.x()), sy = sheetAt(y, to.y());
                                  const bool in = sx >= 2 && sx < 12 && sy >= 2 && sy < 10;
                                  return c != ((in ? doubled.pixel(sx, sy) : kWhite) & RGB_MASK);
                              }),
                  0)
            << scale;
        EXPECT_GT(count(sharp.deviceImage(), kBlack), 0);
    }
    // Without a doubled sheet, or with one of the wrong size, the logical sheet is enlarged.
    CanvasImage coarse(30, 20);
    coarse.setDeviceScale(2);
    coarse.andCopy(single, from, to, doubled.copy(0, 0, 11, 10));
    EXPECT_EQ(count(coarse.deviceImage(), kBlack), 4);
}

} // namespace
} // namespace zembera
