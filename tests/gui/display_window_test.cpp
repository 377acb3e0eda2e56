// What the window redraws after keys, a makam load, a fine tuning, a transposition and the label
// switch; the splash window; the doubled glyph sheet.

#include "window_fixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>

#include "files/makam_file.h"
#include "notation/glyph_sheet_layout.h"
#include "notation/staff.h"
#include "shell/splash_window.h"
#include <functional>

namespace zembera {
namespace {

class DisplayWindow : public test::WindowFixture {
  protected:
    void prepareFolder() override { useBundled({"Dizek.txt", "glyphs.png"}); }
};

// Each event redraws the pictures showing what it changed (what they draw: the notation and
// instrument tests): the staff, the pitch panel, the mandal number column, the mandal strip and
// the instrument with its labels.
TEST_F(DisplayWindow, EventsRedrawWhatTheyChange) {
    CanvasWidget* const pictures[] = {window->staffPicture, window->pitchPanel,
                                      window->mandalColumn, window->mandalStrip,
                                      window->instrumentPicture};
    QScrollBar* bar = window->degreeShiftBar;
    PerString<std::int16_t> positions{};
    positions[12] = 3;
    write(dir / "deneme.mkm", makamFileText(positions));
    const auto labels = [&] {
        QTest::mouseClick(window->mandalLabelsCheck, Qt::LeftButton, {}, QPoint(5, 5));
    };
    const struct {
        const char* what;
        std::function<void()> event;
        const char* redrawn; // one flag a picture, in the order above
    } steps[] = {
        {"first note", [&] { QTest::keyClick(handle(), Qt::Key_Down); }, "11010"},
        {"mandal up", [&] { QTest::keyClick(handle(), Qt::Key_Right); }, "11110"},
        {"degree shift",
         [&] {
             QTest::mouseClick(bar, Qt::LeftButton, {}, {bar->width() - 6, bar->height() / 2});
         },
         "00110"},
        {"makam",
         [&] {
             click(window->open_buton);
             chooseListEntry(window->makamList, QStringLiteral("deneme.mkm"));
         },
         "00110"},
        {"fine tuning",
         [&] {
             QTest::mouseClick(window->fineTuningPicture, Qt::LeftButton, {}, {10, 10});
         },
         "01000"},
        {"labels on", labels, "00001"},
    };
    for (const auto& step : steps) {
        std::vector<QImage> before;
        for (CanvasWidget* w : pictures)
            before.push_back(w->canvas().image());
        step.event();
        for (std::size_t i = 0; i < before.size(); ++i)
            if (step.redrawn[i] == '1') {
                EXPECT_NE(pictures[i]->canvas().image(), before[i]) << step.what << " " << i;
            }
    }
    EXPECT_TRUE(bar->value() == 0 && window->degreeShiftBox->text() == QStringLiteral("0"));
    const QImage labelled = window->instrumentPicture->canvas().image();
    labels();
    EXPECT_NE(window->instrumentPicture->canvas().image(), labelled) << "labels off";
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
