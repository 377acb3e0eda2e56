// What the letter keys and plucks sound, measured from the mixer's output, after whatever moved
// the strings: the expected pitches come from the 79-tone scale file and the degrees of the open
// strings, not from the program's table. And what the window shows of the sounding note.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <cmath>
#include <filesystem>

#include "notation/pitch_panel.h"
#include "shell/canvas_widget.h"
#include "shell/key_hook.h"
#include "shell/main_window.h"
#include "support/scl_pitches.h"
#include "support/wav_files.h"
#include "window_fixture.h"

namespace zembera {
namespace {

const test::SclPitches& yarman79() {
    static const test::SclPitches scale =
        test::readScl(std::string(ZEMBERA_SOURCE_DIR) + "/tools/tunings/79-159.scl");
    return scale;
}
// Cents of degree d of the 79-tone scale; the open degree of string s, nearest its natural.
double degreeCents(int d) {
    return yarman79().at(d);
}
int openDegree(int s) {
    return test::nearestDegree(yarman79(), test::naturalOf(s).cents());
}

// The window over the real pitch table and a makam file, sounding through the mixer.
class SoundingPitch : public test::WindowFixture {
  protected:
    int sampleFrames() const override { return 20000; }
    SoundPort& output() override { return heard.attach(*program); }
    void prepareFolder() override {
        useBundled({"Dizek.txt", "glyphs.png"});
        std::filesystem::copy_file(std::string(ZEMBERA_SOURCE_DIR) + "/data/Rast.mkm",
                                   dir / "Rast.mkm");
    }

    std::vector<std::int16_t> render(std::size_t frames) { return heard.render(frames); }
    // Holds `key`, measures what sounds, releases it: cents above C4.
    double keyCents(Qt::Key key) {
        heard.platform->endNote(Voice::memoryChannel());
        render(1000); // the note before dies away
        QTest::keyPress(window->windowHandle(), key);
        const std::vector<std::int16_t> heard = render(8000);
        QTest::keyRelease(window->windowHandle(), key);
        QTest::qWait(2 * KeyHook::kReleaseSettleMs);
        const std::vector<std::int16_t> steady(heard.begin() + 1000, heard.end());
        return 1200 * std::log2(test::measuredHz(steady) / 262);
    }
    void loadMakam(const char* name) {
        click(window->open_buton);
        chooseListEntry(window->makamList, QString::fromUtf8(name));
        window->instrumentPicture->setFocus();
    }
    // The panel as it would be drawn for the instrument's state now.
    QImage panelNow() {
        CanvasImage fresh(window->pitchPanel->canvas().width(),
                          window->pitchPanel->canvas().height(), qRgb(255, 224, 192));
        etiket(fresh, program->instrument, program->tuning, program->tables);
        return fresh.image();
    }

    test::RenderedSound heard;
};

// Rast (F strings +6, B strings -1), then ŞAH (every note 46 degrees lower, four strings down),
// back to SÜPÜRDE, MANDAL RESET, a fine tuning and AKORD RESET: each time the letter key sounds
// the string where it stands now, within a cent (the load, the levels and the resets move the
// strings without the player).
TEST_F(SoundingPitch, LetterKeysSoundTheStringsWhereTheyStandNow) {
    for (Qt::Key key : {Qt::Key_F, Qt::Key_A}) // prepared at the open strings
        keyCents(key);
    loadMakam("Rast.mkm");
    EXPECT_NEAR(keyCents(Qt::Key_F), degreeCents(openDegree(14) + 6), 1);
    EXPECT_NEAR(keyCents(Qt::Key_A), degreeCents(openDegree(11) - 1), 1);

    // ŞAH: the F of string 14 sounds on string 18 (K), the B of string 11 on string 15 (G).
    QTest::mouseClick(window->pitchLevelButtons[1], Qt::LeftButton, {}, QPoint(6, 8));
    window->instrumentPicture->setFocus();
    // The panel and the staff follow the selected string (A's) to its transposed position.
    EXPECT_EQ(window->pitchPanel->canvas().image(), panelNow());
    EXPECT_NEAR(keyCents(Qt::Key_K), degreeCents(openDegree(14) + 6 - 46), 1);
    EXPECT_NEAR(keyCents(Qt::Key_G), degreeCents(openDegree(11) - 1 - 46), 1);

    QTest::mouseClick(window->pitchLevelButtons[5], Qt::LeftButton, {}, QPoint(6, 8));
    window->instrumentPicture->setFocus();
    EXPECT_NEAR(keyCents(Qt::Key_K), degreeCents(openDegree(18) - 1), 1);
    EXPECT_NEAR(keyCents(Qt::Key_F), degreeCents(openDegree(14) + 6), 1);

    QTest::mouseClick(window->mandalResetButton, Qt::LeftButton);
    window->instrumentPicture->setFocus();
    EXPECT_NEAR(keyCents(Qt::Key_F), degreeCents(openDegree(14)), 1);

    // F is selected: +2 cents, then AKORD RESET.
    QTest::mouseClick(window->fineTuningPicture, Qt::LeftButton, {}, QPoint(10, 20));
    EXPECT_NEAR(keyCents(Qt::Key_F), degreeCents(openDegree(14)) + 2, 0.5);
    QTest::mouseClick(window->tuningResetButton, Qt::LeftButton);
    window->instrumentPicture->setFocus();
    EXPECT_NEAR(keyCents(Qt::Key_F), degreeCents(openDegree(14)), 0.5);
}

// "Teller tınlasın": off by default; on, a pluck lets the string before ring on.
TEST_F(SoundingPitch, TheRingingCheckBoxLetsThePluckedStringsRingOn) {
    QCheckBox* check = window->stringsRingCheck;
    EXPECT_FALSE(check->isChecked());
    EXPECT_FALSE(program->instrument.stringsRing);
    EXPECT_FALSE(check->toolTip().isEmpty());
    EXPECT_EQ(check->text(), QString::fromUtf8("Teller tınlasın"));
    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(5, check->height() / 2));
    EXPECT_TRUE(program->instrument.stringsRing);
    EXPECT_TRUE(window->instrumentPicture->hasFocus());

    // String 17 (J) plucked by its arrow-selected note, then string 12 by the arrow above: both
    // sound, so what is heard is no longer string 12 alone.
    InstrumentPlayer& player = window->player();
    program->instrument.currentString = 18;
    player.Form_KeyDown(kKeyUp); // string 17
    render(2000);
    program->instrument.currentString = 13;
    player.Form_KeyDown(kKeyUp); // string 12
    const std::vector<std::int16_t> both = render(4000);
    const engine::Note twelve = heard.engine.prepareNote(
        12, soundingCents(program->tables, program->tuning.tuningOffset, 12, pos()[12]),
        engine::Resampling::stepped);
    const std::vector<std::int16_t> alone(
        twelve.frames.get(), twelve.frames.get() + std::min<std::size_t>(twelve.count, 8000));
    double rest = 0; // energy beyond string 12's own
    for (std::size_t i = 0; i < both.size() && i < alone.size(); ++i)
        rest += std::pow(both[i] - alone[i], 2);
    EXPECT_GT(rest / static_cast<double>(both.size()), 1e5); // string 17 still rings (~3e7)
}

} // namespace
} // namespace zembera
