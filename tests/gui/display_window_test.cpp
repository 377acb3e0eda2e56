// What the window shows after keys, a makam load, a fine tuning, a transposition and the label
// switch, and the splash window, compared with approved pictures.

#include "window_fixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>

#include "files/makam_file.h"
#include "notation/glyph_sheet_layout.h"
#include "notation/staff.h"
#include "shell/splash_window.h"
#include "support/picture_stack.h"

namespace zembera {
namespace {

class DisplayWindow : public test::WindowFixture {
  protected:
    void prepareFolder() override { useBundled({"Dizek.txt", "glyphs.png"}); }

    // The staff, the pitch panel, the mandal number column, the mandal strip and strings 8..16.
    void addDrawings() {
        for (CanvasWidget* w :
             {window->staffPicture, window->pitchPanel, window->mandalColumn, window->mandalStrip})
            shots.push_back(w->canvas().image());
        shots.push_back(window->instrumentPicture->canvas().image().copy(380, 120, 420, 140));
    }
    QImage labelArea() const {
        return window->instrumentPicture->canvas().image().copy(0, 0, 520, 420);
    }
    std::vector<QImage> shots;
};

// Nothing on the staff before the first note, string 13 selected, then code +1 with its partner
// -12 (the drawings are checked in detail by the notation and instrument tests).
TEST_F(DisplayWindow, KeysDrawTheStaffPanelColumnAndStrip) {
    addDrawings();
    QTest::keyClick(handle(), Qt::Key_Down);
    addDrawings();
    QTest::keyClick(handle(), Qt::Key_Right);
    addDrawings();
    test::expectGoldenImage("gui/keys.png", test::stacked(shots));
}

// One degree up redraws the column and the strip; a makam load undoes the shift; the panel's hertz
// follow the shown note after the load (string 26 prepared last) and a fine tuning of +2 cents.
TEST_F(DisplayWindow, TranspositionLoadAndFineTuningRedraw) {
    QScrollBar* bar = window->degreeShiftBar;
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() - 6, bar->height() / 2));
    ASSERT_EQ(pos()[12], 1);
    addDrawings();
    PerString<std::int16_t> positions{};
    positions[12] = 3;
    write(dir / "deneme.mkm", makamFileText(positions));
    click(window->open_buton);
    chooseListEntry(window->makamList, QStringLiteral("deneme.mkm"));
    EXPECT_TRUE(bar->value() == 0 && window->degreeShiftBox->text() == QStringLiteral("0"));
    addDrawings();
    QTest::mouseClick(window->fineTuningPicture, Qt::LeftButton, {}, QPoint(10, 10));
    shots.push_back(window->pitchPanel->canvas().image());
    test::expectGoldenImage("gui/transposition.png", test::stacked(shots));
}

// Labels go at 0, the widest ones stay inside their boxes after a switch off and on, and the
// switch off removes them.
TEST_F(DisplayWindow, LabelSwitchShowsAndRemovesTheLabels) {
    auto toggleLabels = [&] {
        QTest::mouseClick(window->mandalLabelsCheck, Qt::LeftButton, {}, QPoint(5, 5));
    };
    toggleLabels();
    QTest::keyClick(handle(), Qt::Key_Right);
    shots.push_back(labelArea());
    QTest::keyClick(handle(), Qt::Key_Left);
    shots.push_back(labelArea());
    for (int s = 1; s <= 26; ++s)
        pos()[s] = program->instrument.mandalMax[s];
    toggleLabels();
    toggleLabels();
    shots.push_back(labelArea());
    toggleLabels();
    shots.push_back(labelArea());
    test::expectGoldenImage("gui/labels.png", test::stacked(shots));
}

// The built logo with its title whole and the caption, in the middle of the screen.
TEST(SplashWindow, ShowsTheApprovedLogoAndTheCaptionInTheMiddleOfTheScreen) {
    test::ensureGuiApplication<QApplication>();
    const auto logo =
        QString::fromStdString((std::filesystem::path(ZEMBERA_PROGRAM_DIR) / "logo.png").string());
    SplashWindow splash(logo);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((splash.geometry().center() - screen.center()).manhattanLength(), 1);
    test::expectGoldenImage("gui/splash.png", splash.grab().toImage());
}

// With the sheet drawn at twice the size beside the program, a staff drawn at a device scale of
// 2 holds its pixels one for one (here the staff and clef left of the notes); a sheet of another
// size is not taken.
class DoubledSheetWindow : public test::WindowFixture {
  protected:
    void prepareFolder() override { useBundled({"Dizek.txt", "glyphs.png", "glyphs-2x.png"}); }
};

TEST_F(DoubledSheetWindow, TheStaffAtScaleTwoShowsTheDoubledSheet) {
    QImage doubled(QString::fromStdString((dir / "glyphs-2x.png").string()));
    doubled.convertTo(QImage::Format_RGB32);
    ASSERT_EQ(window->doubledGlyphSheet, doubled);
    window->staffPicture->canvas().setDeviceScale(2);
    QTest::keyClick(handle(), Qt::Key_Down);
    const QImage& device = window->staffPicture->canvas().deviceImage();
    ASSERT_EQ(device.size(), QSize(280, 264));
    int differing = 0;
    int ink = 0;
    for (int y = 0; y < 2 * glyphs::kStaff.height; ++y)
        for (int x = 0; x < 2 * (kMainAccidentalX - kStaffLeft); ++x) {
            const QRgb want =
                doubled.pixel(2 * glyphs::kStaff.x + x, 2 * glyphs::kStaff.y + y) & RGB_MASK;
            ink += want == (qRgb(0, 0, 0) & RGB_MASK);
            differing += (device.pixel(2 * kStaffLeft + x, 2 * kStaffTop + y) & RGB_MASK) != want;
        }
    EXPECT_GT(ink, 0);
    EXPECT_EQ(differing, 0);

    // A sheet that is not twice the logical one is left alone.
    std::filesystem::copy_file(dir / "glyphs.png", dir / "glyphs-2x.png",
                               std::filesystem::copy_options::overwrite_existing);
    MainWindow other(*program, sound, messages);
    EXPECT_TRUE(other.doubledGlyphSheet.isNull());
}

} // namespace
} // namespace zembera
