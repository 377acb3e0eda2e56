// Draws the glyph sheet of the staff: a 490 x 56 picture with the staff and its clef, the note
// head and the accidentals in the cells the staff drawing copies from; with a second name, the
// same sheet drawn at twice the size (980 x 112) for screens of a higher device pixel ratio.
// Usage: make_glyphs <out.png> [<out-2x.png>]

#include <QGuiApplication>
#include <cstdio>

#include "glyphs/glyph_sheet.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: make_glyphs <out.png> [<out-2x.png>]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (!zembera::glyphs::drawGlyphSheet(i).save(QString::fromLocal8Bit(argv[i]), "PNG")) {
            std::fprintf(stderr, "make_glyphs: %s yazılamadı\n", argv[i]);
            return 1;
        }
    }
    return 0;
}
