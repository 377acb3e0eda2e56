#pragma once
// Colours the tests expect, written out apart from the code that draws them, and a pixel count.

#include <QRgb>

#include "canvas/canvas_image.h"

namespace zembera::test {

inline constexpr QRgb kWhite = qRgb(255, 255, 255);
inline constexpr QRgb kBlack = qRgb(0, 0, 0);
inline constexpr QRgb kRed = qRgb(255, 0, 0);

// How many pixels of the whole canvas have `color`.
inline int countColor(const CanvasImage& c, QRgb color) {
    int n = 0;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            n += c.pixel(x, y) == color;
    return n;
}

} // namespace zembera::test
