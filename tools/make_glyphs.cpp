// Draws the glyph sheet of the staff: a 490 x 56 picture with the staff and its clef, the note
// head and the accidentals in the cells the staff drawing copies from.
// Usage: make_glyphs <out.png>

#include <QGuiApplication>
#include <cstdio>

#include "glyphs/glyph_sheet.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_glyphs <out.png>\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (!zembera::glyphs::drawGlyphSheet().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "make_glyphs: %s yazılamadı\n", argv[1]);
        return 1;
    }
    return 0;
}
