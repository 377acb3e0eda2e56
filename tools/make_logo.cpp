// Draws the splash logo: a 482 x 200 picture of a kanun seen from above with the program's name;
// with --icon, the same kanun alone on a clear square of the given size, the desktop icon.
// Usage: make_logo <out.png> | make_logo --icon <size> <out.png>

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void drawKanun(QPainter& p) {
    // The trapezoid body, soundboard to the right, strings across it, bridge on the skin.
    const QPolygonF body(
        {QPointF(250, 24), QPointF(466, 24), QPointF(466, 176), QPointF(120, 176)});
    QLinearGradient wood(120, 0, 466, 0);
    wood.setColorAt(0, QColor(150, 70, 40));
    wood.setColorAt(1, QColor(252, 179, 100));
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(wood);
    p.drawPolygon(body);
    p.setBrush(QColor(230, 220, 180));
    p.drawRect(QRectF(410, 30, 46, 140));
    p.setPen(QPen(QColor(0, 0, 255), 3));
    p.drawLine(QPointF(434, 24), QPointF(434, 176));
    for (int s = 0; s < 26; ++s) {
        const double y = 30 + s * 5.6;
        const double x0 = 250 - (250 - 120) * (y - 24) / 152.0;
        p.setPen(QPen(s % 7 == 4 ? QColor(200, 0, 0) : QColor(250, 250, 250), 1));
        p.drawLine(QPointF(x0 + 8, y), QPointF(462, y));
        p.setPen(QPen(QColor(40, 40, 40), 1));
        for (int k = 0; k < 3; ++k)
            p.drawLine(QPointF(x0 + 14 + 4 * k, y - 2), QPointF(x0 + 14 + 4 * k, y + 2));
    }
}

// The name left of the body, whole: set smaller when the face is too wide for the room there.
void drawTitle(QPainter& p) {
    const QString name = QStringLiteral("ZEMBERA");
    const QRectF room(8, 40, 172, 60); // the body's left edge reaches x 185 at its foot
    QFont title(QStringLiteral("DejaVu Serif"));
    title.setBold(true);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 2); // the letters stand apart
    for (int size = 40; size > 8; --size) {
        title.setPixelSize(size);
        if (QFontMetricsF(title).horizontalAdvance(name) <= room.width()) break;
    }
    p.setPen(QColor(90, 30, 20));
    p.setFont(title);
    p.drawText(room, Qt::AlignLeft | Qt::AlignVCenter, name);
}

// The kanun of the logo centred on a transparent square of `size` pixels.
QImage drawIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // The body spans x 120..466 and y 24..176; a margin of 1/16 of the side is left around it.
    const QRectF body(120, 24, 346, 152);
    const double scale = size * (1 - 2.0 / 16) / body.width();
    p.translate(size / 2.0, size / 2.0);
    p.scale(scale, scale);
    p.translate(-body.center());
    drawKanun(p);
    p.end();
    return image;
}

bool save(const QImage& image, const char* file) {
    if (image.save(QString::fromLocal8Bit(file), "PNG")) return true;
    std::fprintf(stderr, "make_logo: %s yazılamadı\n", file);
    return false;
}

} // namespace

int main(int argc, char** argv) {
    const bool icon = argc == 4 && std::strcmp(argv[1], "--icon") == 0;
    if (argc != 2 && !icon) {
        std::fprintf(stderr, "usage: make_logo <out.png> | make_logo --icon <size> <out.png>\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (icon) {
        const int size = std::atoi(argv[2]);
        if (size < 16 || size > 1024) {
            std::fprintf(stderr, "make_logo: simge boyu 16 ile 1024 arasında olmalı\n");
            return 2;
        }
        return save(drawIcon(size), argv[3]) ? 0 : 1;
    }
    QImage image(482, 200, QImage::Format_RGB32);
    image.fill(QColor(245, 238, 224));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawKanun(p);
    drawTitle(p);
    QFont sub(QStringLiteral("DejaVu Sans"));
    sub.setPixelSize(14);
    p.setFont(sub);
    p.drawText(QRectF(10, 96, 200, 60), Qt::AlignLeft | Qt::TextWordWrap,
               QString::fromUtf8("kanun ile perde ve\naralık denemeleri"));
    p.end();
    return save(image, argv[1]) ? 0 : 1;
}
