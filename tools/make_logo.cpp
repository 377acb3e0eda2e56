// Draws the splash logo: a 482 x 200 picture of a kanun seen from above with the program's name.
// Usage: make_logo <out.png>

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>
#include <cstdio>

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

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_logo <out.png>\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
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
    if (!image.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "make_logo: %s yazılamadı\n", argv[1]);
        return 1;
    }
    return 0;
}
