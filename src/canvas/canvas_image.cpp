#include "canvas/canvas_image.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace zembera {
namespace {

// Far enough outside any picture that clipping still works, near enough that nothing overflows.
constexpr double kCoordinateLimit = 1 << 20;

// The toolkit rounds coordinates to the nearest pixel.
int toPixel(double v) {
    if (std::isnan(v)) return 0;
    return static_cast<int>(std::floor(std::clamp(v, -kCoordinateLimit, kCoordinateLimit) + 0.5));
}

bool sameColor(QRgb a, QRgb b) {
    return (a & RGB_MASK) == (b & RGB_MASK);
}

QFont textFont(double points, bool bold) {
    QFont font(QString::fromLatin1(CanvasImage::kFontFamily));
    font.setPointSizeF(points);
    font.setBold(bold);
    // Exact colours: a text pixel is either the drawing colour or left alone.
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

CanvasImage::CanvasImage(int width, int height, QRgb backColor) : backColor_(backColor) {
    allocate(width, height);
}

void CanvasImage::allocate(int width, int height) {
    image_ = QImage(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    // Font sizes in points turn into the same pixels on every machine.
    const int dotsPerMeter = static_cast<int>(std::lround(kDotsPerInch / 0.0254));
    image_.setDotsPerMeterX(dotsPerMeter);
    image_.setDotsPerMeterY(dotsPerMeter);
    clear();
}

void CanvasImage::clear() {
    image_.fill(backColor_ | ~RGB_MASK);
    currentX_ = 0;
    currentY_ = 0;
}

void CanvasImage::setWidth(int width) {
    allocate(width, image_.height());
}

void CanvasImage::setLineWidth(int width) {
    lineWidth_ = std::max(width, 1);
}

void CanvasImage::setPixel(int x, int y, QRgb color) {
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return;
    reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = color | ~RGB_MASK;
}

void CanvasImage::fillSpan(int y, int xFrom, int xTo, QRgb color) {
    if (y < 0 || y >= image_.height()) return;
    xFrom = std::max(xFrom, 0);
    xTo = std::min(xTo, image_.width() - 1);
    if (xFrom > xTo) return;
    QRgb* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
    std::fill(row + xFrom, row + xTo + 1, color | ~RGB_MASK);
}

void CanvasImage::stamp(int x, int y, QRgb color) {
    const int low = -(lineWidth_ / 2);
    const int high = low + lineWidth_ - 1;
    for (int dy = low; dy <= high; ++dy)
        fillSpan(y + dy, x + low, x + high, color);
}

// Bresenham's line, both end points included.
void CanvasImage::strokeLine(int x1, int y1, int x2, int y2, QRgb color) {
    const int margin = lineWidth_;
    if (std::max(x1, x2) + margin < 0 || std::max(y1, y2) + margin < 0 ||
        std::min(x1, x2) - margin >= image_.width() || std::min(y1, y2) - margin >= image_.height())
        return;
    const int dx = std::abs(x2 - x1);
    const int dy = -std::abs(y2 - y1);
    const int stepX = x1 < x2 ? 1 : -1;
    const int stepY = y1 < y2 ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        stamp(x1, y1, color);
        if (x1 == x2 && y1 == y2) break;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x1 += stepX;
        }
        if (twice <= dx) {
            error += dx;
            y1 += stepY;
        }
    }
}

void CanvasImage::line(double x1, double y1, double x2, double y2) {
    line(x1, y1, x2, y2, foreColor_);
}

void CanvasImage::line(double x1, double y1, double x2, double y2, QRgb color) {
    strokeLine(toPixel(x1), toPixel(y1), toPixel(x2), toPixel(y2), color);
    currentX_ = x2;
    currentY_ = y2;
}

void CanvasImage::lineTo(double x, double y) {
    line(currentX_, currentY_, x, y);
}

void CanvasImage::box(double x1, double y1, double x2, double y2) {
    const int left = std::min(toPixel(x1), toPixel(x2));
    const int right = std::max(toPixel(x1), toPixel(x2));
    const int top = std::min(toPixel(y1), toPixel(y2));
    const int bottom = std::max(toPixel(y1), toPixel(y2));
    if (fillStyle_ == FillStyle::Solid) {
        for (int y = top + 1; y < bottom; ++y)
            fillSpan(y, left + 1, right - 1, fillColor_);
    }
    strokeLine(left, top, right, top, foreColor_);
    strokeLine(right, top, right, bottom, foreColor_);
    strokeLine(right, bottom, left, bottom, foreColor_);
    strokeLine(left, bottom, left, top, foreColor_);
    currentX_ = x2;
    currentY_ = y2;
}

void CanvasImage::filledBox(double x1, double y1, double x2, double y2, QRgb color) {
    const int left = std::min(toPixel(x1), toPixel(x2));
    const int right = std::max(toPixel(x1), toPixel(x2));
    const int top = std::min(toPixel(y1), toPixel(y2));
    const int bottom = std::max(toPixel(y1), toPixel(y2));
    for (int y = std::max(top, 0); y <= bottom && y < image_.height(); ++y)
        fillSpan(y, left, right, color);
    currentX_ = x2;
    currentY_ = y2;
}

// The midpoint circle, one pen position per octant point.
void CanvasImage::circle(double cx, double cy, double r) {
    const int x0 = toPixel(cx);
    const int y0 = toPixel(cy);
    const int radius = std::abs(toPixel(r));
    if (fillStyle_ == FillStyle::Solid) {
        for (int dy = -radius; dy <= radius; ++dy) {
            const int half = static_cast<int>(std::sqrt(double(radius) * radius - double(dy) * dy));
            fillSpan(y0 + dy, x0 - half, x0 + half, fillColor_);
        }
    }
    int x = radius;
    int y = 0;
    int decision = 1 - radius;
    while (x >= y) {
        for (const auto& [px, py] :
             {std::pair{x, y}, {y, x}, {-y, x}, {-x, y}, {-x, -y}, {-y, -x}, {y, -x}, {x, -y}})
            stamp(x0 + px, y0 + py, foreColor_);
        ++y;
        if (decision < 0) {
            decision += 2 * y + 1;
        } else {
            --x;
            decision += 2 * (y - x) + 1;
        }
    }
    currentX_ = cx;
    currentY_ = cy;
}

// A scanline fill: each popped seed is widened to its whole run on the row, and the rows above
// and below get one seed per run of fillable pixels. A visited mask keeps it finite even where
// the area already has the fill colour.
void CanvasImage::floodFill(double x, double y, QRgb border) {
    const int w = image_.width();
    const int h = image_.height();
    const int seedX = toPixel(x);
    const int seedY = toPixel(y);
    if (seedX < 0 || seedY < 0 || seedX >= w || seedY >= h) return;
    if (sameColor(image_.pixel(seedX, seedY), border)) return;

    std::vector<bool> visited(static_cast<std::size_t>(w) * h, false);
    auto fillable = [&](int px, int py) {
        return !visited[static_cast<std::size_t>(py) * w + px] &&
               !sameColor(reinterpret_cast<const QRgb*>(image_.constScanLine(py))[px], border);
    };
    std::vector<std::pair<int, int>> seeds{{seedX, seedY}};
    while (!seeds.empty()) {
        const auto [sx, sy] = seeds.back();
        seeds.pop_back();
        if (!fillable(sx, sy)) continue;
        int left = sx;
        while (left > 0 && fillable(left - 1, sy))
            --left;
        int right = sx;
        while (right < w - 1 && fillable(right + 1, sy))
            ++right;
        fillSpan(sy, left, right, fillColor_);
        std::fill(visited.begin() + static_cast<std::ptrdiff_t>(sy) * w + left,
                  visited.begin() + static_cast<std::ptrdiff_t>(sy) * w + right + 1, true);
        for (const int ny : {sy - 1, sy + 1}) {
            if (ny < 0 || ny >= h) continue;
            bool inRun = false;
            for (int nx = left; nx <= right; ++nx) {
                const bool open = fillable(nx, ny);
                if (open && !inRun) seeds.emplace_back(nx, ny);
                inRun = open;
            }
        }
    }
}

void CanvasImage::print(std::string_view text, bool newline) {
    const QFont font = textFont(fontSize_, bold_);
    const QFontMetricsF metrics(font, &image_);
    const QString string = toQString(text);
    if (!string.isEmpty()) {
        QPainter painter(&image_);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setFont(font);
        painter.setPen(QColor::fromRgb(foreColor_));
        const int left = toPixel(currentX_);
        const int top = toPixel(currentY_);
        painter.drawText(QPointF(left, top + std::round(metrics.ascent())), string);
    }
    if (newline) {
        currentX_ = 0;
        currentY_ += metrics.height();
    } else {
        currentX_ += metrics.horizontalAdvance(string);
    }
}

void CanvasImage::printNumber(long value, bool newline) {
    const std::string digits = std::to_string(value);
    print(value < 0 ? digits + " " : " " + digits + " ", newline);
}

double CanvasImage::textWidth(std::string_view text) const {
    return QFontMetricsF(textFont(fontSize_, bold_), &image_).horizontalAdvance(toQString(text));
}

double CanvasImage::textHeight() const {
    return QFontMetricsF(textFont(fontSize_, bold_), &image_).height();
}

void CanvasImage::andCopy(const QImage& source, const QRect& from, QPoint to) {
    const bool direct =
        source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32;
    const QImage src = direct ? source : source.convertToFormat(QImage::Format_RGB32);
    // Clip the source rectangle, carrying the destination along, then clip at the destination.
    const QRect inSource = from.normalized() & src.rect();
    const QPoint shift = to - from.normalized().topLeft();
    const QRect target = inSource.translated(shift) & image_.rect();
    for (int y = target.top(); y <= target.bottom(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(src.constScanLine(y - shift.y()));
        QRgb* out = reinterpret_cast<QRgb*>(image_.scanLine(y));
        for (int x = target.left(); x <= target.right(); ++x)
            out[x] &= in[x - shift.x()] | ~RGB_MASK;
    }
}

} // namespace zembera
