// The tuning controls of the window with the bundled pitch table: real clicks on the option
// buttons and the reset buttons, the scroll bar set from code, and what the window shows.

#include <gtest/gtest.h>

#include "window_fixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <cmath>

#include "shell/canvas_widget.h"
#include "shell/main_window.h"
#include "support/program_folder.h"
#include "tuning/pitch_levels.h"
#include "tuning/transposition_messages.h"

namespace zembera {
namespace {

class SilentSound : public SoundOutput {
  public:
    void PlayImage(const SoundImagePtr&, std::uint32_t) override { ++images; }
    bool MciOpenPlay(const std::string&, const std::string&) override { return true; }
    void MciStopClose(const std::string&) override {}
    void PlayPatchedSample(const PatchedSampleSource&, int, int) override { ++images; }
    void StopAllSound() override {}
    int images = 0;
};

// Whether row s of the mandal number column holds a pixel of `color` between x0 and x1.
bool cellHas(const MainWindow& w, int s, int x0, int x1, QRgb color) {
    const CanvasImage& c = w.Picture10->canvas();
    const int top = 2 + 15 * (s - 1);
    for (int y = top; y <= top + 16; ++y) {
        for (int x = x0; x <= x1; ++x) {
            if (c.pixel(x, y) == color) return true;
        }
    }
    return false;
}
bool redCell(const MainWindow& w, int s) {
    return cellHas(w, s, 60, 89, qRgb(255, 0, 0));
}
bool blackCell(const MainWindow& w, int s) {
    return cellHas(w, s, 48, 66, qRgb(0, 0, 0));
}

class TuningWindow : public test::WindowFixture<SilentSound> {
  protected:
    // The bundled pitch table, and the glyph sheet of the staff when the build made one.
    void prepareFolder() override {
        useBundled("Dizek.txt");
        useBundled("glyphs.png");
    }
    void SetUp() override {
        WindowFixture::SetUp();
        if (HasFatalFailure()) return;
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    void click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, 8)); }
    // Moves the focus away from the instrument, as a click elsewhere would.
    void focusElsewhere() {
        window->Text1->setFocus();
        QApplication::processEvents();
        ASSERT_FALSE(window->Picture2->hasFocus());
    }
    PerString16& pos() { return program->instrument.mandalPos; }
};

TEST_F(TuningWindow, LevelButtonsCarryTheCaptionsOfTheirLevels) {
    for (int i = 1; i <= kPitchLevelCount; ++i)
        EXPECT_EQ(window->Option1[i]->text(), QString::fromUtf8(kPitchLevels[i].caption)) << i;
    EXPECT_EQ(window->HScroll1->minimum(), -8);
    EXPECT_EQ(window->HScroll1->maximum(), 12);
    EXPECT_EQ(window->Text3->text(), QStringLiteral("0"));
}

TEST_F(TuningWindow, ChoosingALevelResetsTheShiftAndTransposesOnce) {
    pos()[20] = 13; // each transposition reports this string once
    window->HScroll1->setValue(5);
    EXPECT_EQ(window->Text3->text(), QStringLiteral("5"));
    EXPECT_TRUE(window->Option5[2]->isChecked());
    ASSERT_EQ(messages.shown.size(), 1u);

    focusElsewhere();
    click(window->Option1[1]); // ŞAH
    EXPECT_TRUE(window->Option1[1]->isChecked());
    EXPECT_EQ(window->HScroll1->value(), 0);
    EXPECT_EQ(window->Text3->text(), QStringLiteral("0"));
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(program->tuning.ahenkShift, 4);
    EXPECT_EQ(program->tuning.totalDegreeShift, -46);
    EXPECT_TRUE(window->Option5[2]->isChecked());
    EXPECT_FALSE(program->instrument.untransposedShown);
    EXPECT_EQ(pos()[25], -6);
    EXPECT_TRUE(redCell(*window, 25));
    EXPECT_TRUE(window->Picture2->hasFocus());

    // A second click on the chosen level changes nothing but the focus.
    focusElsewhere();
    click(window->Option1[1]);
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_TRUE(window->Picture2->hasFocus());
}

TEST_F(TuningWindow, CancelledShiftMovesTheBarBackAndRerunsTheLevelAlone) {
    pos()[22] = 12; // KIZ NEYİ cannot place it on string 24, with or without a shift
    click(window->Option1[3]);
    ASSERT_EQ(messages.shown.size(), 1u);
    window->HScroll1->setValue(3);
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[1], noPlaceOnTargetMessage({22, 12, 24, 23, 22}));
    EXPECT_EQ(messages.shown[2], noPlaceOnTargetMessage({22, 12, 24, 22, 23}));
    EXPECT_EQ(window->HScroll1->value(), 0);
    EXPECT_EQ(window->Text3->text(), QStringLiteral("0"));
    EXPECT_TRUE(window->Option5[1]->isChecked());
    EXPECT_EQ(pos()[22], 12);
}

TEST_F(TuningWindow, SettingSwitchFollowsTheButtons) {
    pos()[12] = 3;
    window->HScroll1->setValue(2);
    ASSERT_TRUE(window->Option5[2]->isChecked());
    EXPECT_EQ(pos()[12], 5);
    focusElsewhere();
    click(window->Option5[1]);
    EXPECT_TRUE(program->instrument.untransposedShown);
    EXPECT_EQ(pos()[12], 3);
    EXPECT_EQ(pos()[13], 0);
    EXPECT_TRUE(window->Picture2->hasFocus());
    click(window->Option5[2]);
    EXPECT_FALSE(program->instrument.untransposedShown);
    EXPECT_EQ(pos()[12], 5);
    EXPECT_EQ(pos()[13], 2);
}

TEST_F(TuningWindow, OctaveDivisionButtonsAreOneGroupAndChangeNoPitch) {
    EXPECT_FALSE(window->Option4[1]->isChecked());
    EXPECT_FALSE(window->Option4[2]->isChecked());
    focusElsewhere();
    click(window->Option4[1]);
    EXPECT_TRUE(window->Option4[1]->isChecked());
    EXPECT_TRUE(window->Picture2->hasFocus());
    click(window->Option4[2]);
    EXPECT_FALSE(window->Option4[1]->isChecked());
    EXPECT_TRUE(window->Option4[2]->isChecked());
    click(window->Option4[2]);
    EXPECT_TRUE(window->Option4[2]->isChecked());
    EXPECT_TRUE(window->Option5[1]->isChecked());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(TuningWindow, MandalResetClearsTheBlackColumnAndTheStrip) {
    program->instrument.currentString = 12;
    pos()[12] = 2;
    pos()[3] = -2;
    window->arıza_yaz(12);
    window->arıza_yaz(3);
    window->mandal_at();
    ASSERT_TRUE(blackCell(*window, 12));
    ASSERT_TRUE(blackCell(*window, 3));

    focusElsewhere();
    QTest::mouseClick(window->Command9, Qt::LeftButton);
    EXPECT_EQ(pos()[12], 0);
    EXPECT_EQ(pos()[3], 0);
    EXPECT_FALSE(blackCell(*window, 12));
    EXPECT_FALSE(blackCell(*window, 3));
    // The strip of string 12 shows position 0: the box of position 1 (x 156 + 16 * 9) is lifted.
    EXPECT_NE(window->Picture1->canvas().pixel(156 + 16 * 9 + 2, 30), qRgb(255, 0, 0));
    EXPECT_EQ(window->Picture1->canvas().pixel(156 + 16 * 8 + 2, 30), qRgb(0, 0, 255));
    EXPECT_FLOAT_EQ(program->sounds->noteFrequency,
                    static_cast<float>(262 * std::pow(2, program->tables.centTable(12, 0) / 1200)));
    EXPECT_TRUE(window->Picture2->hasFocus());
}

} // namespace
} // namespace zembera
