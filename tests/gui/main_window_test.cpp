// The main window driven by real keys and clicks: what it shows at start, how the keyboard and the
// mouse reach the instrument, the label column and closing.

#include "shell/main_window.h"

#include <gtest/gtest.h>

#include "window_fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "tuning/pitch_levels.h"

namespace zembera {
namespace {

using test::kBlack;
using test::kGreen;
using test::kRed;
using test::kWhite;

// A pixel on the first line of string s, halfway between its start and the bridge.
QRgb stringPixel(const MainWindow& w, int s) {
    const int x0 = 530 - 19 * (s - 1);
    return w.instrumentPicture->canvas().pixel((x0 + 680) / 2, 26 + 15 * (s - 1));
}

// Whether the key letter of string s holds a pixel of `color`.
bool keyLetterHas(const MainWindow& w, int s, QRgb color) {
    return test::columnRowHas(w, s, 36, 51, color, 14);
}

using Window = test::WindowFixture;

TEST_F(Window, StartsWithItsChoicesAndNothingRunning) {
    // The key help keeps its three lines, without the carriage returns of its text.
    EXPECT_EQ(window->keyHelp->text().split('\n').size(), 3);
    EXPECT_FALSE(window->keyHelp->text().contains('\r'));
    // Each level button carries the caption of the level it chooses.
    for (int i = 1; i <= kPitchLevelCount; ++i)
        EXPECT_EQ(window->pitchLevelButtons[i]->text(), QString::fromUtf8(kPitchLevels[i].caption))
            << i;
    for (int i = 1; i <= 2; ++i) {
        EXPECT_EQ(window->octaveDivisionButtons[i]->text().toStdString(),
                  program->tables.octaveDivisionCaptions[i - 1]);
        EXPECT_FALSE(window->octaveDivisionButtons[i]->isChecked()); // no octave division chosen
    }
    // SÜPÜRDE untransposed, melodies "şartlı", replays "çalgı".
    for (QRadioButton* chosen : {window->pitchLevelButtons[5], window->settingSwitch[1],
                                 window->melodyModeButtons[2], window->replayModeButtons[1]})
        EXPECT_TRUE(chosen->isChecked()) << chosen->text().toStdString();
    EXPECT_EQ(window->degreeShiftBox->text(), QStringLiteral("0"));
    EXPECT_EQ(program->instrument.vscrollValue, 40);
    // Nothing recorded, replayed or played: both lamps white, the lists closed.
    EXPECT_TRUE(window->rec_buton->isEnabled());
    EXPECT_TRUE(window->Play_buton->isEnabled());
    EXPECT_FALSE(window->stop_buton->isEnabled());
    EXPECT_FALSE(window->pause_buton->isEnabled());
    EXPECT_TRUE(test::allPixels(window->replayLamp, kWhite));
    EXPECT_TRUE(test::allPixels(window->recordLamp, kWhite));
    EXPECT_FALSE(window->makamList->isVisible());
    EXPECT_FALSE(window->melodyList->isVisible());
    EXPECT_EQ(window->aç_kapa_buton->text(), QStringLiteral(">"));
}

TEST_F(Window, ArrowKeysMoveTheSelectionAndTheMandal) {
    EXPECT_EQ(stringPixel(*window, 12), kBlack); // the selected string
    EXPECT_EQ(stringPixel(*window, 11), kWhite);
    QTest::keyClick(handle(), Qt::Key_Up);
    EXPECT_EQ(program->instrument.currentString, 11);
    EXPECT_EQ(stringPixel(*window, 11), kBlack);
    EXPECT_EQ(stringPixel(*window, 12), kRed);
    EXPECT_EQ(sound.images, 1);
    QTest::keyClick(handle(), Qt::Key_Right);
    EXPECT_EQ(pos()[11], 1);
    EXPECT_EQ(sound.images, 2);
    // The mandal strip follows: string 11 has 21 positions.
    EXPECT_EQ(window->mandalStrip->width(), 516);
    EXPECT_EQ(window->mandalStrip->x(), -100);
    QTest::keyClick(handle(), Qt::Key_Down, Qt::ShiftModifier); // Shift changes nothing
    EXPECT_EQ(program->instrument.currentString, 12);
}

TEST_F(Window, LetterKeysSoundWhileHeldAndAutoRepeatDoesNotRestart) {
    for (int s = 1; s <= 26; ++s)
        EXPECT_TRUE(keyLetterHas(*window, s, kGreen)) << s;
    QTest::keyPress(handle(), Qt::Key_S);
    ASSERT_EQ(sound.opened, (std::vector<std::string>{"12"}));
    EXPECT_TRUE(keyLetterHas(*window, 12, kBlack));
    // X11 auto-repeat: release+press pairs in the same millisecond, flagged as repeats or, on a
    // busy machine, not flagged at all.
    for (const bool flagged : {true, false, false, true, false}) {
        QTest::simulateEvent(handle(), false, Qt::Key_S, Qt::NoModifier, "s", flagged);
        QTest::simulateEvent(handle(), true, Qt::Key_S, Qt::NoModifier, "s", flagged);
        QTest::qWait(KeyHook::kReleaseSettleMs / 2);
    }
    settleRelease();
    EXPECT_TRUE(sound.closed.empty());
    EXPECT_EQ(sound.opened.size(), 6u); // the open of a sounding alias is refused by the service
    QTest::keyRelease(handle(), Qt::Key_S);
    settleRelease();
    EXPECT_EQ(sound.closed, (std::vector<std::string>{"12"}));
    EXPECT_TRUE(keyLetterHas(*window, 12, kGreen));
    EXPECT_FALSE(keyLetterHas(*window, 12, kBlack));
}

TEST_F(Window, TypingTheMakamNameDoesNotPlay) {
    window->makamNameBox->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(program->instrument.nameFieldFocused);
    QTest::keyClick(handle(), Qt::Key_Q);
    settleRelease();
    EXPECT_TRUE(sound.opened.empty());
    EXPECT_EQ(sound.closed, (std::vector<std::string>{"01"})); // the release still stops it
    window->instrumentPicture->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(program->instrument.nameFieldFocused);
}

TEST_F(Window, MousePlucksSetsMandalsAndTunes) {
    QTest::mouseClick(window->instrumentPicture, Qt::LeftButton, {}, QPoint(700, 30));
    EXPECT_EQ(program->instrument.currentString, 1);
    EXPECT_EQ(stringPixel(*window, 1), kBlack);
    EXPECT_EQ(sound.images, 1);
    // String 1's strip: slot of position -5 at 151 < x < 167, drawn 100 pixels to the left.
    QTest::mouseClick(window->mandalStrip, Qt::LeftButton, {}, QPoint(160, 30));
    EXPECT_EQ(pos()[1], -5);
    QTest::mouseClick(window->fineTuningPicture, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FLOAT_EQ(program->tuning.tuningOffset[1], 2);
    EXPECT_EQ(sound.images, 3);
}

TEST_F(Window, ClosingAsksAndNoKeepsItOpen) {
    messages.answer = false;
    QTest::mouseClick(window->exitButton, Qt::LeftButton);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(messages.asked, (std::vector<std::string>{"Bu proğramı kapatmak istiyormusunuz ?"}));
    messages.answer = true;
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(messages.asked.size(), 2u);
}

TEST_F(Window, SessionEndClosesWithoutAsking) {
    window->setSessionEnding(true);
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(messages.asked.empty());
}

} // namespace
} // namespace zembera
