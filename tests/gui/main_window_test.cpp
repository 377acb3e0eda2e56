// The main window driven by real keys and clicks: each event reaches the instrument once (the
// moves themselves are checked by the instrument tests), and keys go to an open dialog.

#include "window_fixture.h"

#include <QDialog>
#include <QLineEdit>

namespace zembera {
namespace {

class Window : public test::WindowFixture {
  protected:
    // X11 auto-repeat of a held S: release+press pairs in the same millisecond, flagged as repeats
    // or, on a busy machine, not flagged at all.
    static void autoRepeatS(QWindow* to, std::initializer_list<bool> flags) {
        for (const bool flagged : flags) {
            QTest::simulateEvent(to, false, Qt::Key_S, Qt::NoModifier, "s", flagged);
            QTest::simulateEvent(to, true, Qt::Key_S, Qt::NoModifier, "s", flagged);
            QTest::qWait(KeyHook::kReleaseSettleMs / 2);
        }
    }
    // Notes of the memory channel since the last call.
    int plucks() {
        sound.settle();
        return std::exchange(sound.images, 0);
    }
    bool sLetterBlack() { return test::columnRowHas(*window, 12, 36, 51, test::kBlack, 14); }
};

// Arrows and a pluck move and sound; the strip and the fine tuning take their clicks.
TEST_F(Window, ArrowsPluckStripAndFineTuningReachTheInstrument) {
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers with;
        int string, mandal, plucks;
    } rows[] = {
        {Qt::Key_Up, {}, 11, 0, 1},
        {Qt::Key_Right, {}, 11, 1, 1},
        {Qt::Key_Down, Qt::ShiftModifier, 12, 0, 1},
    };
    for (const auto& r : rows) {
        QTest::keyClick(handle(), r.key, r.with);
        EXPECT_EQ(program->instrument.currentString, r.string) << r.key;
        EXPECT_EQ(pos()[r.string], r.mandal) << r.key;
        EXPECT_EQ(plucks(), r.plucks) << r.key;
    }
    QTest::mouseClick(window->instrumentPicture, Qt::LeftButton, {}, QPoint(700, 30));
    EXPECT_EQ(program->instrument.currentString, 1);
    EXPECT_EQ(plucks(), 1);
    // String 1's strip: slot of position -5 at 151 < x < 167, drawn 100 pixels to the left.
    QTest::mouseClick(window->mandalStrip, Qt::LeftButton, {}, QPoint(160, 30));
    QTest::mouseClick(window->fineTuningPicture, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(pos()[1], -5);
    EXPECT_EQ(program->tuning.tuningOffset[1], 2);
    EXPECT_EQ(plucks(), 2);
}

// A held letter sounds once however X repeats it and ends at the real release, its key letter
// black meanwhile; typed into the makam name it plays nothing; with a dialog open, keys belong
// to it, but a held note ends there.
TEST_F(Window, AHeldLetterSoundsOnceAndADialogTakesTheKeys) {
    QTest::keyPress(handle(), Qt::Key_S);
    autoRepeatS(handle(), {true, false, false, true, false});
    settleRelease();
    sound.settle();
    EXPECT_EQ(std::count(sound.opened.begin(), sound.opened.end(), "12"),
              static_cast<long>(sound.opened.size()));
    EXPECT_TRUE(sound.closed.empty()) << "a repeat is no release";
    EXPECT_TRUE(sLetterBlack());
    QTest::keyRelease(handle(), Qt::Key_S);
    settleRelease();
    EXPECT_EQ(sound.closed, std::vector<std::string>{"12"});
    EXPECT_FALSE(sLetterBlack());

    window->makamNameBox->setFocus();
    QApplication::processEvents();
    sound.opened.clear();
    QTest::keyClick(handle(), Qt::Key_Q);
    settleRelease();
    sound.settle();
    EXPECT_TRUE(sound.opened.empty());
    EXPECT_EQ(window->makamNameBox->text(), QStringLiteral("q"));
    window->instrumentPicture->setFocus();
    QApplication::processEvents();

    sound.closed.clear();
    QTest::keyPress(handle(), Qt::Key_S); // held before the dialog opens
    auto dialog = std::make_unique<QDialog>(window.get());
    dialog->setModal(true);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    QWindow* box = dialog->windowHandle();
    plucks();
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Right, Qt::Key_Q, Qt::Key_W}) {
        QTest::keyClick(box, key);
        QTest::keyClick(handle(), key); // blocked by the dialog, whatever reaches the window
    }
    autoRepeatS(box, {false});
    QTest::keyRelease(box, Qt::Key_S);
    settleRelease();
    EXPECT_EQ(program->instrument.currentString, 12);
    EXPECT_EQ(plucks(), 0);
    EXPECT_EQ(sound.closed, std::vector<std::string>{"12"});
    dialog.reset();
    QTest::keyClick(handle(), Qt::Key_Down);
    EXPECT_EQ(program->instrument.currentString, 13);
    EXPECT_EQ(plucks(), 1);
}

} // namespace
} // namespace zembera
