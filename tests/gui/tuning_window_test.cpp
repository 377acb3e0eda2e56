// The tuning controls of the window with the bundled pitch table: real clicks on the option
// buttons and the reset buttons, the scroll bar set from code, and what the window shows. The
// tuning tests check the transposition itself; these check that the controls reach it.

#include <gtest/gtest.h>

#include "window_fixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <cmath>
#include <fstream>

namespace zembera {
namespace {

bool redCell(const MainWindow& w, int s) {
    return test::columnRowHas(w, s, 60, 89, test::kRed);
}
bool blackCell(const MainWindow& w, int s) {
    return test::columnRowHas(w, s, 48, 66, test::kBlack);
}

class TuningWindow : public test::WindowFixture {
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
        window->makamNameBox->setFocus();
        QApplication::processEvents();
        ASSERT_FALSE(window->instrumentPicture->hasFocus());
    }
};

TEST_F(TuningWindow, ChoosingALevelResetsTheShiftAndTransposesOnce) {
    pos()[20] = 13; // each transposition reports this string once
    window->degreeShiftBar->setValue(5);
    EXPECT_EQ(window->degreeShiftBox->text(), QStringLiteral("5"));
    EXPECT_TRUE(window->settingSwitch[2]->isChecked());
    ASSERT_EQ(messages.shown.size(), 1u);

    focusElsewhere();
    click(window->pitchLevelButtons[1]); // ŞAH
    EXPECT_TRUE(window->pitchLevelButtons[1]->isChecked());
    EXPECT_EQ(window->degreeShiftBar->value(), 0);
    EXPECT_EQ(window->degreeShiftBox->text(), QStringLiteral("0"));
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(program->tuning.totalDegreeShift, -46);
    EXPECT_FALSE(program->instrument.untransposedShown);
    EXPECT_EQ(pos()[25], -6);
    EXPECT_TRUE(redCell(*window, 25));
    EXPECT_TRUE(window->instrumentPicture->hasFocus());

    // A second click on the chosen level changes nothing but the focus.
    focusElsewhere();
    click(window->pitchLevelButtons[1]);
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_TRUE(window->instrumentPicture->hasFocus());
}

TEST_F(TuningWindow, CancelledShiftMovesTheBarBackAndRerunsTheLevelAlone) {
    pos()[22] = 12; // KIZ NEYİ cannot place it on string 24, with or without a shift
    click(window->pitchLevelButtons[3]);
    ASSERT_EQ(messages.shown.size(), 1u);
    window->degreeShiftBar->setValue(3);
    EXPECT_EQ(messages.shown.size(), 3u); // the cancelled run and the rerun at shift 0
    EXPECT_EQ(window->degreeShiftBar->value(), 0);
    EXPECT_EQ(window->degreeShiftBox->text(), QStringLiteral("0"));
    EXPECT_TRUE(window->settingSwitch[1]->isChecked());
    EXPECT_EQ(pos()[22], 12);
}

TEST_F(TuningWindow, OptionButtonsSwitchTheSettingOrNothingAndGiveTheKeyboardBack) {
    pos()[12] = 3;
    window->degreeShiftBar->setValue(2);
    ASSERT_TRUE(window->settingSwitch[2]->isChecked());
    EXPECT_EQ(pos()[12], 5);
    const std::size_t shown = messages.shown.size();
    focusElsewhere();
    click(window->settingSwitch[1]);
    EXPECT_TRUE(program->instrument.untransposedShown);
    EXPECT_EQ(pos()[12], 3);
    EXPECT_TRUE(window->instrumentPicture->hasFocus());
    click(window->settingSwitch[2]);
    EXPECT_FALSE(program->instrument.untransposedShown);
    EXPECT_EQ(pos()[12], 5);
    focusElsewhere();
    click(window->settingSwitch[2]); // already chosen: only the keyboard comes back
    EXPECT_TRUE(window->instrumentPicture->hasFocus());

    // The octave division buttons are a group of their own and change no pitch.
    focusElsewhere();
    click(window->octaveDivisionButtons[1]);
    EXPECT_TRUE(window->octaveDivisionButtons[1]->isChecked());
    EXPECT_TRUE(window->instrumentPicture->hasFocus());
    click(window->octaveDivisionButtons[2]);
    EXPECT_FALSE(window->octaveDivisionButtons[1]->isChecked());
    EXPECT_TRUE(window->octaveDivisionButtons[2]->isChecked());
    click(window->octaveDivisionButtons[2]);
    EXPECT_TRUE(window->octaveDivisionButtons[2]->isChecked());
    EXPECT_TRUE(window->settingSwitch[2]->isChecked());
    EXPECT_EQ(pos()[12], 5);
    EXPECT_EQ(messages.shown.size(), shown);
}

TEST_F(TuningWindow, TheResetsClearTheFineTuningTheBlackColumnAndTheStrip) {
    program->tuning.tuningOffset[7] = 2;
    focusElsewhere();
    QTest::mouseClick(window->tuningResetButton, Qt::LeftButton);
    EXPECT_EQ(program->tuning.tuningOffset[7], 0);
    EXPECT_TRUE(window->instrumentPicture->hasFocus());

    program->instrument.currentString = 12;
    pos()[12] = 2;
    pos()[3] = -2;
    window->arıza_yaz(12);
    window->arıza_yaz(3);
    window->mandal_at();
    ASSERT_TRUE(blackCell(*window, 12));
    ASSERT_TRUE(blackCell(*window, 3));

    focusElsewhere();
    QTest::mouseClick(window->mandalResetButton, Qt::LeftButton);
    EXPECT_EQ(pos()[12], 0);
    EXPECT_EQ(pos()[3], 0);
    EXPECT_FALSE(blackCell(*window, 12));
    EXPECT_FALSE(blackCell(*window, 3));
    // The strip of string 12 shows position 0: the box of position 1 (x 156 + 16 * 9) is lifted.
    EXPECT_NE(window->mandalStrip->canvas().pixel(156 + 16 * 9 + 2, 30), qRgb(255, 0, 0));
    EXPECT_EQ(window->mandalStrip->canvas().pixel(156 + 16 * 8 + 2, 30), qRgb(0, 0, 255));
    EXPECT_FLOAT_EQ(program->sounds->noteFrequency,
                    static_cast<float>(262 * std::pow(2, program->tables.centTable(12, 0) / 1200)));
    EXPECT_TRUE(window->instrumentPicture->hasFocus());
}

TEST_F(TuningWindow, AMessageEndsTheScrollBarPressThatCausedIt) {
    // Rast at SÜPÜRDE: one step of the degree shift past 6 cannot be transposed (message C).
    std::ifstream rast(std::string(ZEMBERA_SOURCE_DIR) + "/data/Rast.mkm");
    for (int s = 1; s <= 26; ++s)
        ASSERT_TRUE(rast >> pos()[s]);
    window->degreeShiftBar->setValue(6);
    ASSERT_TRUE(window->settingSwitch[2]->isChecked());
    messages.shown.clear();

    // The right arrow held down across the message, as a user's 120 ms press is, and longer: the
    // scroll bar must not go on stepping behind the box.
    const QPoint rightArrow(window->degreeShiftBar->width() - 3,
                            window->degreeShiftBar->height() / 2);
    QTest::mousePress(window->degreeShiftBar, Qt::LeftButton, {}, rightArrow);
    QTest::qWait(600);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].rfind("göçürme yapılamıyor", 0), 0u) << messages.shown[0];
    EXPECT_EQ(window->degreeShiftBar->value(), 0);
    EXPECT_EQ(window->degreeShiftBox->text(), QStringLiteral("0"));
    QTest::mouseRelease(window->degreeShiftBar, Qt::LeftButton, {}, rightArrow);
    QTest::qWait(100);
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(window->degreeShiftBar->value(), 0);

    // The window is usable again: the scroll bar steps once per click and the keys play.
    QTest::mouseClick(window->degreeShiftBar, Qt::LeftButton, {}, rightArrow);
    EXPECT_EQ(window->degreeShiftBar->value(), 1);
    window->instrumentPicture->setFocus();
    QTest::keyClick(handle(), Qt::Key_Down);
    EXPECT_EQ(program->instrument.currentString, 13);
    EXPECT_GT(sound.images, 0);
}

} // namespace
} // namespace zembera
