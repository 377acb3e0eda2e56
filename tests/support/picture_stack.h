#pragma once
// Pictures one below the other on grey, to be compared as one approved PNG.

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <vector>

namespace zembera::test {

inline QImage stacked(const std::vector<QImage>& images) {
    int width = 0, height = 0;
    for (const QImage& image : images) {
        width = std::max(width, image.width());
        height += image.height() + 4;
    }
    QImage all(width, height, QImage::Format_RGB32);
    all.fill(qRgb(128, 128, 128));
    QPainter p(&all);
    int y = 0;
    for (const QImage& image : images) {
        p.drawImage(0, y, image);
        y += image.height() + 4;
    }
    return all;
}

} // namespace zembera::test
