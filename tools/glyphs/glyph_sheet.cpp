#include "glyphs/glyph_sheet.h"

#include <QPainter>
#include <QPainterPath>
#include <vector>

#include "notation/glyph_sheet_layout.h"

namespace zembera::glyphs {
namespace {

// The staff copies glyphs with AND, so the sheet must be pure black and white: the signs are
// drawn smooth and then every pixel is set to black or white by its darkness.
constexpr int kDarkThreshold = 150;
// The note's centre row inside an accidental cell (the cell sits 9 rows above the head).
constexpr double kNoteRow = 12.5;

// A smooth curve through the points (Catmull-Rom segments as cubic Béziers).
QPainterPath curveThrough(const std::vector<QPointF>& points) {
    QPainterPath path(points.front());
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        const QPointF p0 = i == 0 ? points[0] : points[i - 1];
        const QPointF p1 = points[i];
        const QPointF p2 = points[i + 1];
        const QPointF p3 = i + 2 < points.size() ? points[i + 2] : p2;
        path.cubicTo(p1 + (p2 - p0) / 6, p2 - (p3 - p1) / 6, p2);
    }
    return path;
}

QPen pen(double width) {
    QPen p(Qt::black, width);
    p.setCapStyle(Qt::FlatCap);
    p.setJoinStyle(Qt::MiterJoin);
    return p;
}

// A vertical stroke of one pixel column from row `top` to row `bottom`, both included.
void column(QPainter& p, int x, int top, int bottom) {
    p.fillRect(QRect(x, top, 1, bottom - top + 1), Qt::black);
}

void row(QPainter& p, int y, int left, int right) {
    p.fillRect(QRect(left, y, right - left + 1, 1), Qt::black);
}

void drawTrebleClef(QPainter& p, double cx) {
    // The staff lines of the sheet: 14, 20, 26, 32 and 38; the curl winds round 32, the G line.
    const std::vector<QPointF> stroke = {
        {cx + 1.0, 32.5}, {cx + 3.5, 30.0}, {cx + 1.0, 26.8}, {cx - 3.0, 27.5}, {cx - 6.0, 32.0},
        {cx - 5.0, 38.0}, {cx + 0.0, 40.5}, {cx + 5.5, 38.5}, {cx + 7.0, 33.0}, {cx + 5.0, 27.0},
        {cx + 0.5, 21.0}, {cx - 3.5, 14.0}, {cx - 3.0, 7.0},  {cx + 1.0, 2.5},  {cx + 4.0, 4.5},
        {cx + 4.0, 9.5},  {cx + 1.5, 16.0}, {cx + 1.5, 27.0}, {cx + 2.5, 38.0}, {cx + 2.5, 43.0},
        {cx + 0.5, 46.0}, {cx - 2.5, 45.5}};
    p.strokePath(curveThrough(stroke), pen(1.6));
    p.setBrush(Qt::black);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(cx - 2.5, 43.8), 1.8, 1.8);
    p.setBrush(Qt::NoBrush);
}

void drawStaff(QPainter& p) {
    for (int y : kStaffLineRows)
        row(p, y, kStaff.x, kStaff.x + kStaff.width - 1);
    drawTrebleClef(p, kStaff.x + 12);
}

// Pixel art: '#' is black; the first string is the top row.
template <std::size_t Rows> void stamp(QPainter& p, const char* const (&art)[Rows], int x, int y) {
    for (std::size_t r = 0; r < Rows; ++r) {
        for (int c = 0; art[r][c] != '\0'; ++c) {
            if (art[r][c] == '#')
                p.fillRect(QRect(x + c, y + static_cast<int>(r), 1, 1), Qt::black);
        }
    }
}

// A whole-note head, 10 x 7: an oval with a slanting hole.
void drawNoteHead(QPainter& p) {
    static const char* const kHead[] = {
        "..######..", //
        ".###...###", //
        "###.....##", //
        "##......##", //
        "##.....###", //
        "###...###.", //
        "..######..", //
    };
    stamp(p, kHead, kNoteHead.x, kNoteHead.y);
}

// The same head as a drawing, for a sheet of more pixels: an oval with a hole slanting up to the
// right, as the pixels above have it.
void drawNoteHeadShape(QPainter& p) {
    const QPointF centre(kNoteHead.x + 5.0, kNoteHead.y + 3.5);
    QPainterPath head;
    head.setFillRule(Qt::OddEvenFill);
    head.addEllipse(centre, 5.0, 3.5);
    QPainterPath hole;
    hole.addEllipse(QPointF(0, 0), 2.9, 1.7);
    QTransform slant;
    slant.translate(centre.x() - 0.3, centre.y() - 0.2);
    slant.rotate(-35);
    head.addPath(slant.map(hole));
    p.fillPath(head, Qt::black);
}

// A flat whose stem is the pixel column x of the cell at (cx, cy); its bowl is round the note's
// row. Drawn pixel by pixel: at this size a drawn curve fills the bowl.
void drawFlat(QPainter& p, int cx, int cy, int x) {
    static const char* const kFlat[] = {
        "#....", "#....", "#....", "#....", "#....", "#....", "#....", "#....", //
        "#.##.",                                                                //
        "##..#",                                                                //
        "#...#",                                                                //
        "#..##",                                                                //
        "#.##.",                                                                //
        "###..",                                                                //
        "##...",                                                                //
        "#....",                                                                //
    };
    stamp(p, kFlat, cx + x, cy + 1);
}

// The same flat as a drawing, for a sheet of more pixels: the stem and a bowl bulging to the
// right round the note's row.
void drawFlatShape(QPainter& p, int cx, int cy, int x) {
    column(p, cx + x, cy + 1, cy + 16);
    const double left = cx + x + 0.6;
    QPainterPath bowl(QPointF(left, cy + 11.2));
    bowl.cubicTo(QPointF(left + 1.8, cy + 8.6), QPointF(left + 5.0, cy + 9.2),
                 QPointF(left + 3.6, cy + 12.6));
    bowl.cubicTo(QPointF(left + 2.9, cy + 14.2), QPointF(left + 1.2, cy + 15.4),
                 QPointF(left, cy + 16.4));
    p.strokePath(bowl, pen(1.3));
}

void drawSharp(QPainter& p, int cx, int cy) {
    column(p, cx + 12, cy + 5, cy + 21);
    column(p, cx + 15, cy + 4, cy + 20);
    // Two thick bars rising to the right, evenly round the note's row.
    for (double mid : {kNoteRow - 3.0, kNoteRow + 3.0}) {
        const QPolygonF bar({QPointF(cx + 10, cy + mid + 0.2), QPointF(cx + 18, cy + mid - 1.8),
                             QPointF(cx + 18, cy + mid + 0.2), QPointF(cx + 10, cy + mid + 2.2)});
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawPolygon(bar);
        p.setBrush(Qt::NoBrush);
    }
}

void drawDoubleSharp(QPainter& p, int cx, int cy) {
    static const char* const kCross[] = {
        "##..##", //
        "##..##", //
        "..##..", //
        "..##..", //
        "##..##", //
        "##..##", //
    };
    stamp(p, kCross, cx + 12, cy + 10);
}

// The same cross as a drawing, for a sheet of more pixels: two diagonals ending in square heads.
void drawDoubleSharpShape(QPainter& p, int cx, int cy) {
    const QPointF centre(cx + 15.0, cy + 13.0);
    p.setPen(pen(1.1));
    p.drawLine(centre + QPointF(-2.2, -2.2), centre + QPointF(2.2, 2.2));
    p.drawLine(centre + QPointF(-2.2, 2.2), centre + QPointF(2.2, -2.2));
    for (const QPointF corner : {QPointF(-2, -2), QPointF(2, -2), QPointF(-2, 2), QPointF(2, 2)})
        p.fillRect(QRectF(centre + corner - QPointF(1.0, 1.0), QSizeF(2.0, 2.0)), Qt::black);
}

void drawBase(QPainter& p, BaseSign base, int cx, int cy, bool shapes) {
    const auto flat = shapes ? drawFlatShape : drawFlat;
    switch (base) {
    case BaseSign::None:
        return;
    case BaseSign::Flat:
        flat(p, cx, cy, 13);
        return;
    case BaseSign::DoubleFlat:
        flat(p, cx, cy, 7);
        flat(p, cx, cy, 13);
        return;
    case BaseSign::Sharp:
        drawSharp(p, cx, cy);
        return;
    case BaseSign::DoubleSharp:
        (shapes ? drawDoubleSharpShape : drawDoubleSharp)(p, cx, cy);
        return;
    }
}

// The small signs stand in a box of 7 x 11 pixels round the note's row, its left edge at ox.
void drawSmall(QPainter& p, SmallSign sign, int ox, int cy) {
    const int top = cy + 7;
    const int bottom = cy + 17;
    p.setPen(pen(1.4));
    switch (sign) {
    case SmallSign::None:
        return;
    case SmallSign::Plus1: // a stem with a flag at its top-left, like the figure 1
        column(p, ox + 4, top, bottom);
        p.drawLine(QPointF(ox + 4.5, top + 0.5), QPointF(ox + 1.0, top + 3.5));
        return;
    case SmallSign::Plus2: { // a stem with a hook over its top
        column(p, ox + 1, top + 2, bottom);
        QPainterPath hook(QPointF(ox + 1.5, top + 2.5));
        hook.cubicTo(QPointF(ox + 1.5, top - 0.5), QPointF(ox + 6.0, top - 0.5),
                     QPointF(ox + 5.8, top + 3.5));
        p.strokePath(hook, pen(1.4));
        return;
    }
    case SmallSign::Plus3: // an upward arrow
        column(p, ox + 3, top, bottom);
        p.drawLine(QPointF(ox + 3.5, top + 0.2), QPointF(ox + 0.3, top + 3.6));
        p.drawLine(QPointF(ox + 3.5, top + 0.2), QPointF(ox + 6.7, top + 3.6));
        return;
    case SmallSign::Minus1: // a tick shaped like a check mark
        p.drawLine(QPointF(ox + 0.5, top + 5.5), QPointF(ox + 2.5, top + 9.0));
        p.drawLine(QPointF(ox + 2.5, top + 9.0), QPointF(ox + 6.5, top + 1.0));
        return;
    case SmallSign::Minus2: // a stem with a hook at its foot, like the letter L
        column(p, ox + 1, top, bottom);
        row(p, bottom, ox + 1, ox + 5);
        return;
    case SmallSign::Minus3: // a downward arrow
        column(p, ox + 3, top, bottom);
        p.drawLine(QPointF(ox + 3.5, bottom + 0.8), QPointF(ox + 0.3, bottom - 2.6));
        p.drawLine(QPointF(ox + 3.5, bottom + 0.8), QPointF(ox + 6.7, bottom - 2.6));
        return;
    }
}

void drawAccidental(QPainter& p, int code, const Region& cell, bool shapes) {
    const Accidental a = accidentalOf(code);
    drawBase(p, a.base, cell.x, cell.y, shapes);
    const int ox = a.base == BaseSign::None ? kSmallSignAloneX : kSmallSignBesideX;
    drawSmall(p, a.small, cell.x + ox, cell.y);
}

void toBlackAndWhite(QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = qGray(line[x]) < kDarkThreshold ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
    }
}

// One pixel of the sheet's own just outside the region, whatever the sheet's scale.
void frame(QPainter& p, const Region& r, int scale) {
    p.drawRect(QRect(scale * r.x - 1, scale * r.y - 1, scale * r.width + 1, scale * r.height + 1));
}

} // namespace

Accidental accidentalOf(int code) {
    using S = SmallSign;
    using B = BaseSign;
    switch (code) {
    case -12:
        return {S::None, B::DoubleFlat};
    case -11:
        return {S::Plus1, B::DoubleFlat};
    case -10:
        return {S::Plus2, B::DoubleFlat};
    case -9:
        return {S::Minus3, B::Flat};
    case -8:
        return {S::Minus2, B::Flat};
    case -7:
        return {S::Minus1, B::Flat};
    case -6:
        return {S::None, B::Flat};
    case -5:
        return {S::Plus1, B::Flat};
    case -4:
        return {S::Plus2, B::Flat};
    case -3:
        return {S::Minus3, B::None};
    case -2:
        return {S::Minus2, B::None};
    case -1:
        return {S::Minus1, B::None};
    case 1:
        return {S::Plus1, B::None};
    case 2:
        return {S::Plus2, B::None};
    case 3:
        return {S::Plus3, B::None};
    case 4:
        return {S::Minus2, B::Sharp};
    case 5:
        return {S::Minus1, B::Sharp};
    case 6:
        return {S::None, B::Sharp};
    case 7:
        return {S::Plus1, B::Sharp};
    case 8:
        return {S::Plus2, B::Sharp};
    case 9:
        return {S::Plus3, B::Sharp};
    case 10:
        return {S::Minus2, B::DoubleSharp};
    case 11:
        return {S::Minus1, B::DoubleSharp};
    case 12:
        return {S::None, B::DoubleSharp};
    default:
        return {S::None, B::None};
    }
}

QImage drawGlyphSheet(int scale) {
    QImage sheet(scale * kSheetWidth, scale * kSheetHeight, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    // Beyond scale 1 the glyphs drawn pixel by pixel at scale 1 are drawn as shapes, so that no
    // part of the sheet is an enlarged pixel.
    const bool shapes = scale != 1;
    {
        QPainter p(&sheet);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        drawStaff(p);
        if (shapes)
            drawNoteHeadShape(p);
        else
            drawNoteHead(p);
        for (int c = 0; c < kColumns; ++c) {
            drawAccidental(p, loweringCode(c), loweringCell(c), shapes);
            drawAccidental(p, raisingCode(c), raisingCell(c), shapes);
        }
    }
    toBlackAndWhite(sheet);

    QPainter p(&sheet);
    p.setPen(QPen(QColor(255, 0, 0), 1));
    frame(p, kStaff, scale);
    frame(p, kNoteHead, scale);
    for (int c = 0; c < kColumns; ++c) {
        frame(p, loweringCell(c), scale);
        frame(p, raisingCell(c), scale);
    }
    return sheet;
}

} // namespace zembera::glyphs
