#pragma once
// Colours the tests expect, written out apart from the code that draws them, and pixel checks.

#include <gtest/gtest.h>

#include <QRgb>
#include <cstddef>

#include "canvas/canvas_image.h"

namespace zembera::test {

inline constexpr QRgb kWhite = qRgb(255, 255, 255);
inline constexpr QRgb kBlack = qRgb(0, 0, 0);
inline constexpr QRgb kRed = qRgb(255, 0, 0);
inline constexpr QRgb kBlue = qRgb(0, 0, 255);
inline constexpr QRgb kWood = qRgb(252, 179, 100);

// How many pixels of the whole canvas have `color`.
inline int countColor(const CanvasImage& c, QRgb color) {
    int n = 0;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            n += c.pixel(x, y) == color;
    return n;
}

struct PixelAt {
    int x, y;
    QRgb color;
};

// Checks that each listed pixel of the canvas has its colour.
template <std::size_t N> void expectPixels(const CanvasImage& c, const PixelAt (&pixels)[N]) {
    for (const PixelAt& p : pixels)
        EXPECT_EQ(c.pixel(p.x, p.y), p.color) << "at " << p.x << "," << p.y;
}

} // namespace zembera::test
