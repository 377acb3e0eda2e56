// Drawing at a device scale of 2: every primitive covers the device pixels of its logical pixels,
// with pens twice as wide, and text is set at twice the size, so it is sharp rather than an
// enlarged scale-1 picture. The logical image stays the same.

#include <gtest/gtest.h>

#include <QPainter>
#include <cmath>

#include "canvas/canvas_image.h"
#include "support/gui_application.h"
#include "support/pixels.h"

namespace zembera {
namespace {

using namespace test;

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
    CanvasImage sharp(30, 20);
    sharp.setDeviceScale(2);
    sharp.andCopy(single, from, to, doubled);
    EXPECT_EQ(differing(flat.image(), sharp.image()), 0) << "the logical image changed";
    const QImage& device = sharp.deviceImage();
    // Sheet pixel (x, y) of the doubled region lands at device 2 * (to - from) + (x, y).
    const QPoint offset = 2 * (to - from.topLeft());
    QImage expected(device.size(), QImage::Format_RGB32);
    expected.fill(kWhite);
    for (int y = 2 * from.top(); y <= 2 * from.bottom() + 1; ++y)
        for (int x = 2 * from.left(); x <= 2 * from.right() + 1; ++x)
            expected.setPixel(QPoint(x, y) + offset, doubled.pixel(x, y));
    EXPECT_EQ(differing(device, expected), 0);
    EXPECT_EQ(count(device, kBlack), 2);

    // Without a doubled sheet, or with one of the wrong size, the logical sheet is enlarged.
    CanvasImage coarse(30, 20);
    coarse.setDeviceScale(2);
    coarse.andCopy(single, from, to, doubled.copy(0, 0, 11, 10));
    EXPECT_EQ(count(coarse.deviceImage(), kBlack), 4);

    // At 1.5 each device pixel takes the doubled pixel under its centre.
    CanvasImage between(30, 20);
    between.setDeviceScale(1.5);
    between.andCopy(single, from, to, doubled);
    const QImage& mid = between.deviceImage();
    EXPECT_EQ(pixelsWhere(mid,
                          [&](int x, int y, QRgb c) {
                              const int sx = int(std::floor(2 * (x + 0.5) / 1.5)) - 2 * to.x() + 2;
                              const int sy = int(std::floor(2 * (y + 0.5) / 1.5)) - 2 * to.y() + 2;
                              const bool in = sx >= 2 && sx < 12 && sy >= 2 && sy < 10;
                              return c != ((in ? doubled.pixel(sx, sy) : kWhite) & RGB_MASK);
                          }),
              0);
    EXPECT_GT(count(mid, kBlack), 0);
}

} // namespace
} // namespace zembera
