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

int CanvasImage::Surface::centre(int p) const {
    return static_cast<int>(std::floor(p * scale + scale / 2));
}

int CanvasImage::Surface::first(int p) const {
    return static_cast<int>(std::floor(p * scale));
}

int CanvasImage::Surface::last(int p) const {
    return static_cast<int>(std::floor((p + 1) * scale)) - 1;
}

int CanvasImage::Surface::length(int n) const {
    return std::max(1, static_cast<int>(std::lround(n * scale)));
}

template <typename Draw> void CanvasImage::onEachSurface(Draw draw) {
    draw(logical());
    if (scale_ != 1.0) draw(Surface{device_, scale_});
}

CanvasImage::CanvasImage(int width, int height, QRgb backColor) : backColor_(backColor) {
    allocate(width, height);
}

void CanvasImage::setDeviceScale(double scale) {
    scale_ = std::isfinite(scale) && scale > 1.0 ? std::min(scale, 4.0) : 1.0;
    allocate(image_.width(), image_.height());
}

void CanvasImage::allocate(int width, int height) {
    image_ = QImage(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    // Font sizes in points turn into the same pixels on every machine.
    const int dotsPerMeter = static_cast<int>(std::lround(kDotsPerInch / 0.0254));
    image_.setDotsPerMeterX(dotsPerMeter);
    image_.setDotsPerMeterY(dotsPerMeter);
    device_ = QImage();
    if (scale_ != 1.0) {
        const Surface d{device_, scale_};
        device_ = QImage(d.last(image_.width() - 1) + 1, d.last(image_.height() - 1) + 1,
                         QImage::Format_RGB32);
        device_.setDotsPerMeterX(dotsPerMeter);
        device_.setDotsPerMeterY(dotsPerMeter);
        device_.setDevicePixelRatio(scale_);
    }
    clear();
}

void CanvasImage::clear() {
    image_.fill(backColor_ | ~RGB_MASK);
    if (!device_.isNull()) device_.fill(backColor_ | ~RGB_MASK);
    currentX_ = 0;
    currentY_ = 0;
}

void CanvasImage::setWidth(int width) {
    allocate(width, image_.height());
}

void CanvasImage::setLineWidth(int width) {
    lineWidth_ = std::max(width, 1);
}

void CanvasImage::fillSpan(Surface s, int y, int xFrom, int xTo, QRgb color) {
    QImage& image = s.image;
    if (y < 0 || y >= image.height()) return;
    xFrom = std::max(xFrom, 0);
    xTo = std::min(xTo, image.width() - 1);
    if (xFrom > xTo) return;
    QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    std::fill(row + xFrom, row + xTo + 1, color | ~RGB_MASK);
}

// Every device pixel of the logical pixels left..right, top..bottom.
void CanvasImage::fillRect(Surface s, int left, int top, int right, int bottom, QRgb color) {
    const int from = std::max(s.first(top), 0);
    const int to = std::min(s.last(bottom), s.image.height() - 1);
    for (int y = from; y <= to; ++y)
        fillSpan(s, y, s.first(left), s.last(right), color);
}

void CanvasImage::stamp(Surface s, int x, int y, int pen, QRgb color) {
    const int low = -(pen / 2);
    const int high = low + pen - 1;
    for (int dy = low; dy <= high; ++dy)
        fillSpan(s, y + dy, x + low, x + high, color);
}

// Bresenham's line between the centres of two logical pixels, both included.
void CanvasImage::strokeLine(Surface s, int x1, int y1, int x2, int y2, int lineWidth, QRgb color) {
    const int pen = s.length(lineWidth);
    x1 = s.centre(x1), y1 = s.centre(y1), x2 = s.centre(x2), y2 = s.centre(y2);
    const int margin = pen;
    if (std::max(x1, x2) + margin < 0 || std::max(y1, y2) + margin < 0 ||
        std::min(x1, x2) - margin >= s.image.width() ||
        std::min(y1, y2) - margin >= s.image.height())
        return;
    const int dx = std::abs(x2 - x1);
    const int dy = -std::abs(y2 - y1);
    const int stepX = x1 < x2 ? 1 : -1;
    const int stepY = y1 < y2 ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        stamp(s, x1, y1, pen, color);
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
    onEachSurface([&](Surface s) {
        strokeLine(s, toPixel(x1), toPixel(y1), toPixel(x2), toPixel(y2), lineWidth_, color);
    });
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
    onEachSurface([&](Surface s) {
        if (fillStyle_ == FillStyle::Solid && left + 1 <= right - 1)
            fillRect(s, left + 1, top + 1, right - 1, bottom - 1, fillColor_);
        strokeLine(s, left, top, right, top, lineWidth_, foreColor_);
        strokeLine(s, right, top, right, bottom, lineWidth_, foreColor_);
        strokeLine(s, right, bottom, left, bottom, lineWidth_, foreColor_);
        strokeLine(s, left, bottom, left, top, lineWidth_, foreColor_);
    });
    currentX_ = x2;
    currentY_ = y2;
}

void CanvasImage::filledBox(double x1, double y1, double x2, double y2, QRgb color) {
    const int left = std::min(toPixel(x1), toPixel(x2));
    const int right = std::max(toPixel(x1), toPixel(x2));
    const int top = std::min(toPixel(y1), toPixel(y2));
    const int bottom = std::max(toPixel(y1), toPixel(y2));
    onEachSurface([&](Surface s) { fillRect(s, left, top, right, bottom, color); });
    currentX_ = x2;
    currentY_ = y2;
}

// The midpoint circle, one pen position per octant point.
void CanvasImage::circle(double cx, double cy, double r) {
    onEachSurface([&](Surface s) {
        const int x0 = s.centre(toPixel(cx));
        const int y0 = s.centre(toPixel(cy));
        const int radius = static_cast<int>(std::lround(std::abs(toPixel(r)) * s.scale));
        const int pen = s.length(lineWidth_);
        if (fillStyle_ == FillStyle::Solid) {
            for (int dy = -radius; dy <= radius; ++dy) {
                const int half =
                    static_cast<int>(std::sqrt(double(radius) * radius - double(dy) * dy));
                fillSpan(s, y0 + dy, x0 - half, x0 + half, fillColor_);
            }
        }
        int x = radius;
        int y = 0;
        int decision = 1 - radius;
        while (x >= y) {
            for (const auto& [px, py] :
                 {std::pair{x, y}, {y, x}, {-y, x}, {-x, y}, {-x, -y}, {-y, -x}, {y, -x}, {x, -y}})
                stamp(s, x0 + px, y0 + py, pen, foreColor_);
            ++y;
            if (decision < 0) {
                decision += 2 * y + 1;
            } else {
                --x;
                decision += 2 * (y - x) + 1;
            }
        }
    });
    currentX_ = cx;
    currentY_ = cy;
}

namespace {

// A scanline fill from each seed over the pixels `open` accepts (and that have not been visited):
// each popped seed is widened to its whole run on the row, and the rows above and below get one
// seed per open run. The visited mask keeps it finite even where the area already has the fill
// colour; it is the filled area afterwards.
template <typename Open, typename Fill>
void scanlineFill(int w, int h, std::vector<std::pair<int, int>> seeds, std::vector<bool>& visited,
                  Open open, Fill fill) {
    auto fillable = [&](int px, int py) {
        return !visited[static_cast<std::size_t>(py) * w + px] && open(px, py);
    };
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
        fill(sy, left, right);
        std::fill(visited.begin() + static_cast<std::ptrdiff_t>(sy) * w + left,
                  visited.begin() + static_cast<std::ptrdiff_t>(sy) * w + right + 1, true);
        for (const int ny : {sy - 1, sy + 1}) {
            if (ny < 0 || ny >= h) continue;
            bool inRun = false;
            for (int nx = left; nx <= right; ++nx) {
                const bool isOpen = fillable(nx, ny);
                if (isOpen && !inRun) seeds.emplace_back(nx, ny);
                inRun = isOpen;
            }
        }
    }
}

} // namespace

// The area is found on the logical image. The device image is filled over the same area: from
// every filled pixel, through device pixels not of the border colour that lie in filled pixels or
// in the border pixels around them (where the finer border leaves room), never beyond.
void CanvasImage::floodFill(double x, double y, QRgb border) {
    const int w = image_.width();
    const int h = image_.height();
    const int seedX = toPixel(x);
    const int seedY = toPixel(y);
    if (seedX < 0 || seedY < 0 || seedX >= w || seedY >= h) return;
    if (sameColor(image_.pixel(seedX, seedY), border)) return;
    const auto isBorder = [border](const QImage& image, int px, int py) {
        return sameColor(reinterpret_cast<const QRgb*>(image.constScanLine(py))[px], border);
    };
    std::vector<bool> filled(static_cast<std::size_t>(w) * h, false);
    const Surface flat = logical();
    scanlineFill(
        w, h, {{seedX, seedY}}, filled, [&](int px, int py) { return !isBorder(image_, px, py); },
        [&](int row, int from, int to) { fillSpan(flat, row, from, to, fillColor_); });
    if (scale_ == 1.0) return;

    const Surface d{device_, scale_};
    const auto logicalOf = [&](int p, int limit) {
        return std::clamp(static_cast<int>(std::floor((p + 0.5) / scale_)), 0, limit - 1);
    };
    std::vector<std::pair<int, int>> seeds;
    for (int py = 0; py < h; ++py)
        for (int px = 0; px < w; ++px)
            if (filled[static_cast<std::size_t>(py) * w + px])
                seeds.emplace_back(d.centre(px), d.centre(py));
    const int dw = device_.width();
    const int dh = device_.height();
    std::vector<bool> visited(static_cast<std::size_t>(dw) * dh, false);
    scanlineFill(
        dw, dh, std::move(seeds), visited,
        [&](int px, int py) {
            if (px >= dw || py >= dh || isBorder(device_, px, py)) return false;
            const int lx = logicalOf(px, w);
            const int ly = logicalOf(py, h);
            return filled[static_cast<std::size_t>(ly) * w + lx] || isBorder(image_, lx, ly);
        },
        [&](int row, int from, int to) { fillSpan(d, row, from, to, fillColor_); });
}

void CanvasImage::printOn(Surface s, const QString& text) const {
    const QFont font = textFont(fontSize_ * s.scale, bold_);
    const QFontMetricsF metrics(font, &s.image);
    QPainter painter(&s.image);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(font);
    painter.setPen(QColor::fromRgb(foreColor_));
    // Painting on an image of a device pixel ratio counts in logical pixels; count in pixels.
    painter.scale(1 / s.image.devicePixelRatio(), 1 / s.image.devicePixelRatio());
    const int left = s.first(toPixel(currentX_));
    const int top = s.first(toPixel(currentY_));
    painter.drawText(QPointF(left, top + std::round(metrics.ascent())), text);
}

void CanvasImage::print(std::string_view text, bool newline) {
    const QFont font = textFont(fontSize_, bold_);
    const QFontMetricsF metrics(font, &image_);
    const QString string = toQString(text);
    if (!string.isEmpty()) onEachSurface([&](Surface s) { printOn(s, string); });
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
    andCopy(source, from, to, QImage());
}

void CanvasImage::andCopy(const QImage& source, const QRect& from, QPoint to,
                          const QImage& doubledSource) {
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
    if (scale_ == 1.0) return;
    const Surface d{device_, scale_};
    if (scale_ >= kDoubledSheetScale && doubledSource.size() == 2 * src.size() &&
        !target.isEmpty()) {
        // Each device pixel takes the pixel of the doubled sheet under its centre: at scale 2
        // exactly the doubled sheet's own pixels.
        const QImage twice = doubledSource.format() == QImage::Format_RGB32 ||
                                     doubledSource.format() == QImage::Format_ARGB32
                                 ? doubledSource
                                 : doubledSource.convertToFormat(QImage::Format_RGB32);
        const int bottom = std::min(d.last(target.bottom()), device_.height() - 1);
        const int right = std::min(d.last(target.right()), device_.width() - 1);
        for (int dy = d.first(target.top()); dy <= bottom; ++dy) {
            const int sy = static_cast<int>(std::floor(2 * (dy + 0.5) / scale_)) - 2 * shift.y();
            const QRgb* in = reinterpret_cast<const QRgb*>(
                twice.constScanLine(std::clamp(sy, 0, twice.height() - 1)));
            QRgb* out = reinterpret_cast<QRgb*>(device_.scanLine(dy));
            for (int dx = d.first(target.left()); dx <= right; ++dx) {
                const int sx =
                    static_cast<int>(std::floor(2 * (dx + 0.5) / scale_)) - 2 * shift.x();
                out[dx] &= in[std::clamp(sx, 0, twice.width() - 1)] | ~RGB_MASK;
            }
        }
        return;
    }
    // The sheet has logical pixels only: each covers its device pixels.
    for (int y = target.top(); y <= target.bottom(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(src.constScanLine(y - shift.y()));
        for (int dy = d.first(y); dy <= d.last(y) && dy < device_.height(); ++dy) {
            QRgb* out = reinterpret_cast<QRgb*>(device_.scanLine(dy));
            for (int x = target.left(); x <= target.right(); ++x)
                for (int dx = d.first(x); dx <= d.last(x) && dx < device_.width(); ++dx)
                    out[dx] &= in[x - shift.x()] | ~RGB_MASK;
        }
    }
}

} // namespace zembera
