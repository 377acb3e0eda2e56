// The main window driven by real keys and clicks: keyboard and mouse reach the instrument, keys
// around an open dialog, and closing.

#include "window_fixture.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "shell/qt_messages.h"
#include "shell/turkish_translation.h"

namespace zembera {
namespace {

using test::kBlack;
using test::kGreen;
using ::testing::ElementsAre;

// Whether the key letter of string s holds a pixel of `color`.
bool keyLetterHas(const MainWindow& w, int s, QRgb color) {
    return test::columnRowHas(w, s, 36, 51, color, 14);
}

using Window = test::WindowFixture;

// The arrows reach selection, mandal and strip (Shift changes nothing); plucks, the strip and the
// fine tuning take clicks. (The key help and the captions are checked in gui/window.png.)
TEST_F(Window, KeysAndClicksReachTheInstrument) {
    QTest::keyClick(handle(), Qt::Key_Up);
    QTest::keyClick(handle(), Qt::Key_Right);
    EXPECT_TRUE(program->instrument.currentString == 11 && pos()[11] == 1 && sound.images == 2);
    EXPECT_EQ(std::pair(window->mandalStrip->x(), window->mandalStrip->width()),
              std::pair(-100, 516));
    QTest::keyClick(handle(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(program->instrument.currentString, 12);
    QTest::mouseClick(window->instrumentPicture, Qt::LeftButton, {}, QPoint(700, 30));
    EXPECT_EQ(program->instrument.currentString, 1);
    // String 1's strip: slot of position -5 at 151 < x < 167, drawn 100 pixels to the left.
    QTest::mouseClick(window->mandalStrip, Qt::LeftButton, {}, QPoint(160, 30));
    EXPECT_EQ(pos()[1], -5);
    QTest::mouseClick(window->fineTuningPicture, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FLOAT_EQ(program->tuning.tuningOffset[1], 2);
    EXPECT_EQ(sound.images, 6);
}

TEST_F(Window, LetterKeysSoundWhileHeldAndAutoRepeatDoesNotRestart) {
    QTest::keyPress(handle(), Qt::Key_S);
    ASSERT_THAT(sound.opened, ElementsAre("12"));
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
    EXPECT_THAT(sound.closed, ElementsAre("12"));
    EXPECT_TRUE(keyLetterHas(*window, 12, kGreen) && !keyLetterHas(*window, 12, kBlack));

    // Typed into the makam name, a letter does not play, but its release still stops it.
    window->makamNameBox->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(program->instrument.nameFieldFocused);
    QTest::keyClick(handle(), Qt::Key_Q);
    settleRelease();
    EXPECT_EQ(sound.opened.size(), 6u);
    EXPECT_THAT(sound.closed, ElementsAre("12", "01"));
    window->instrumentPicture->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(program->instrument.nameFieldFocused);
}

TEST_F(Window, KeysBelongToAnOpenDialogButAHeldNoteStillEnds) {
    QTest::keyPress(handle(), Qt::Key_S); // held before the dialog opens
    ASSERT_THAT(sound.opened, ElementsAre("12"));
    auto dialog = std::make_unique<QDialog>(window.get()); // as a message box or the close question
    dialog->setModal(true);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    QWindow* box = dialog->windowHandle();
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Right, Qt::Key_Q, Qt::Key_W}) {
        QTest::keyClick(box, key);
        QTest::keyClick(handle(), key); // blocked by the dialog, whatever reaches the window
    }
    // Auto-repeat of the held key goes to the dialog now, then the key is let go there.
    QTest::simulateEvent(box, false, Qt::Key_S, Qt::NoModifier, "s", false);
    QTest::simulateEvent(box, true, Qt::Key_S, Qt::NoModifier, "s", false);
    QTest::keyRelease(box, Qt::Key_S);
    settleRelease();
    EXPECT_THAT(sound.opened, ElementsAre("12"));
    EXPECT_THAT(sound.closed, ElementsAre("12"));
    EXPECT_EQ(sound.images, 0);
    EXPECT_TRUE(program->instrument.currentString == 12 && pos()[12] == 0);

    dialog.reset();
    QTest::keyClick(handle(), Qt::Key_Down); // the window plays again
    EXPECT_TRUE(program->instrument.currentString == 13 && sound.images == 1);
}

TEST_F(Window, ClosingAsksInTurkishAndASessionEndDoesNot) {
    ASSERT_TRUE(installTurkishTranslation()) << "qtbase_tr missing";
    auto plain = [](QAbstractButton* b) { return b->text().remove('&'); };
    EXPECT_EQ(plain(makeMessageBox("bir perde seçin", window.get())->button(QMessageBox::Ok)),
              QStringLiteral("Tamam"));
    const auto question = makeQuestionBox(kCloseQuestion, window.get());
    EXPECT_EQ(plain(question->button(QMessageBox::Yes)), QStringLiteral("Evet"));
    EXPECT_EQ(plain(question->button(QMessageBox::No)), QString::fromUtf8("Hayır"));

    messages.answer = false;
    QTest::mouseClick(window->exitButton, Qt::LeftButton);
    EXPECT_TRUE(window->isVisible());
    window->setSessionEnding(true);
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_THAT(messages.asked, ElementsAre("Bu proğramı kapatmak istiyormusunuz ?"));
}

} // namespace
} // namespace zembera
