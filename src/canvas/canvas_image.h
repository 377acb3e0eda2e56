#pragma once
// The drawing surface of a picture box: a persistent RGB32 image with the drawing primitives the
// original toolkit offered. Nothing is anti-aliased, so every pixel has exactly the colour it was
// drawn in and the borders that flood fills rely on are closed.
//
// Coordinates are pixels (x right, y down) and may carry fractions: they are rounded to the
// nearest pixel, halves upwards. As in the toolkit, line, box and circle move the current position
// (the one text is printed at) to the end point, the second corner and the centre.
//
// Text needs a QGuiApplication (its font database); all other primitives work without one.
//
// On a screen of a higher device pixel ratio the same drawing is made a second time at that
// resolution (the device image): lines, boxes, circles and fills cover the device pixels of their
// logical pixels with pens as much wider, and text is set in a font as much larger, so it is sharp
// rather than an enlarged picture. The glyph copies (andCopy) are enlarged from their logical
// sheet unless a sheet drawn at twice the size is given. Pixel reads and flood fill borders are the
// logical image's; at scale 1 there is no device image and nothing changes.

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRgb>

#include <string_view>

namespace zembera {

enum class FillStyle { Solid, Transparent };

class CanvasImage {
  public:
    CanvasImage(int width, int height, QRgb backColor = qRgb(255, 255, 255));

    const QImage& image() const { return image_; }
    // Draws from now on also at `scale` device pixels per pixel (1 for none). Clears the image.
    void setDeviceScale(double scale);
    double deviceScale() const { return scale_; }
    // The drawing at device resolution, its device pixel ratio set; the logical image at scale 1.
    const QImage& deviceImage() const { return scale_ == 1.0 ? image_ : device_; }
    int width() const { return image_.width(); }
    int height() const { return image_.height(); }
    QRgb pixel(int x, int y) const { return image_.pixel(x, y); }
    QRgb backColor() const { return backColor_; }

    // Fills the image with the back colour and moves the current position to (0, 0).
    void clear();
    // A new width, same height. Nothing is kept: the image is cleared.
    void setWidth(int width);

    void setLineWidth(int width);
    int lineWidth() const { return lineWidth_; }
    void setForeColor(QRgb color) { foreColor_ = color; }
    void setFillColor(QRgb color) { fillColor_ = color; }
    void setFillStyle(FillStyle style) { fillStyle_ = style; }

    // A straight line covering the pixels of both end points. Lines wider than one pixel are a
    // square pen of that width moved along the line, centred on it (an even width has its extra
    // pixel up and to the left), so they reach half the width beyond each end and close corners.
    void line(double x1, double y1, double x2, double y2);
    void line(double x1, double y1, double x2, double y2, QRgb color);
    // A line from the current position.
    void lineTo(double x, double y);

    // The outline of the rectangle with these corners in the drawing colour and width; with the
    // fill style solid its inside is first filled with the fill colour.
    void box(double x1, double y1, double x2, double y2);
    // Every pixel of the rectangle with these corners, both included, in `color`.
    void filledBox(double x1, double y1, double x2, double y2, QRgb color);
    // A circle outline of radius r in the drawing colour and width; filled like a box.
    void circle(double cx, double cy, double r);

    // Paints the fill colour over the area around (x, y) that is bounded by `border`: every pixel
    // reachable from it through pixels not of the border colour. Nothing happens when the point is
    // outside the image or on the border colour.
    void floodFill(double x, double y, QRgb border = qRgb(0, 0, 0));

    // Text position: the top-left corner of the next printed text.
    double currentX() const { return currentX_; }
    double currentY() const { return currentY_; }
    void setCurrentX(double x) { currentX_ = x; }
    void setCurrentY(double y) { currentY_ = y; }

    void setBold(bool bold) { bold_ = bold; }
    void setFontSize(double points) { fontSize_ = points; }

    // Draws UTF-8 text in the drawing colour on a transparent background at the text position.
    // Without a line break x advances by the text's width; with one x returns to 0 and y moves
    // down by the text height.
    void print(std::string_view text, bool newline = false);
    // A whole number as the toolkit prints it: a leading blank when not negative, a minus sign
    // otherwise, and one trailing blank.
    void printNumber(long value, bool newline = false);
    double textWidth(std::string_view text) const;
    double textHeight() const;

    // dest = dest AND source for each colour channel, from the rectangle `from` of `source` to
    // the point `to` of this image (the raster operation SRCAND). Clipped to both images.
    void andCopy(const QImage& source, const QRect& from, QPoint to);
    // The same, and at a device scale of 1.5 or more the device image takes its pixels from
    // `doubledSource`, the same sheet drawn at twice its size, rather than enlarging `source`.
    // A `doubledSource` not exactly twice the size of `source` is not used.
    void andCopy(const QImage& source, const QRect& from, QPoint to, const QImage& doubledSource);
    // The device scale from which a doubled sheet is used.
    static constexpr double kDoubledSheetScale = 1.5;

    static constexpr const char* kFontFamily = "DejaVu Sans";
    static constexpr double kDefaultFontSize = 8.0;
    static constexpr int kDotsPerInch = 96;

  private:
    // One image the primitives draw into, at `scale` of its pixels per logical pixel. The logical
    // image has scale 1, where every mapping below is the identity.
    struct Surface {
        QImage& image;
        double scale;
        int centre(int p) const; // the device pixel at the centre of logical pixel p
        int first(int p) const;  // the first and last device pixels of logical pixel p
        int last(int p) const;
        int length(int n) const; // n logical pixels, at least 1
    };
    Surface logical() { return {image_, 1.0}; }
    template <typename Draw> void onEachSurface(Draw draw);

    void allocate(int width, int height);
    static void stamp(Surface s, int x, int y, int pen, QRgb color); // one square pen position
    static void strokeLine(Surface s, int x1, int y1, int x2, int y2, int pen, QRgb color);
    static void fillSpan(Surface s, int y, int xFrom, int xTo, QRgb color);
    static void fillRect(Surface s, int left, int top, int right, int bottom, QRgb color);
    void floodFill(Surface s, int seedX, int seedY, QRgb border);
    void printOn(Surface s, const QString& text) const;

    QImage image_;
    QImage device_; // null at scale 1
    double scale_ = 1.0;
    QRgb backColor_;
    QRgb foreColor_ = qRgb(0, 0, 0);
    QRgb fillColor_ = qRgb(0, 0, 0);
    FillStyle fillStyle_ = FillStyle::Transparent;
    int lineWidth_ = 1;
    double currentX_ = 0;
    double currentY_ = 0;
    bool bold_ = false;
    double fontSize_ = kDefaultFontSize;
};

} // namespace zembera
