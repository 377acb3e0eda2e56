// The main window driven by real keys and clicks: keyboard and mouse reach the instrument, keys
// around an open dialog.

#include "window_fixture.h"

#include <QDialog>
#include <QLineEdit>

namespace zembera {
namespace {

class Window : public test::WindowFixture {
  protected:
    // The window's line (see WindowFixture::note) after the current string's mandal and fine
    // tuning, the strip's place, the colour of string 12's key letter and the name field's focus.
    void step(const std::string& what) {
        const int s = program->instrument.currentString;
        const bool black = test::columnRowHas(*window, 12, 36, 51, test::kBlack, 14);
        const bool green = test::columnRowHas(*window, 12, 36, 51, test::kGreen, 14);
        log << what << ": mandal " << pos()[s] << ", ince ayar " << program->tuning.tuningOffset[s]
            << ", şerit " << window->mandalStrip->x() << " " << window->mandalStrip->width()
            << ", S harfi " << (black ? "siyah" : "") << (green ? "yeşil" : "") << ", ad kutusu "
            << window->nameFieldFocused() << ", kapanan";
        for (const std::string& alias : sound.closed)
            log << " " << alias;
        sound.closed.clear();
        note("\n ");
    }
    // X11 auto-repeat of a held S: release+press pairs in the same millisecond, flagged as repeats
    // or, on a busy machine, not flagged at all.
    static void autoRepeatS(QWindow* to, std::initializer_list<bool> flags) {
        for (const bool flagged : flags) {
            QTest::simulateEvent(to, false, Qt::Key_S, Qt::NoModifier, "s", flagged);
            QTest::simulateEvent(to, true, Qt::Key_S, Qt::NoModifier, "s", flagged);
            QTest::qWait(KeyHook::kReleaseSettleMs / 2);
        }
    }
};

// Arrows, plucks, strip and fine tuning clicks; a held letter sounds once however X repeats it, not
// when typed into the makam name; keys belong to an open dialog, but a held note ends there.
TEST_F(Window, RealKeysAndClicksMatchTheApprovedTranscript) {
    QTest::keyClick(handle(), Qt::Key_Up);
    QTest::keyClick(handle(), Qt::Key_Right);
    step("yukarı, sağ");
    QTest::keyClick(handle(), Qt::Key_Down, Qt::ShiftModifier);
    step("Shift aşağı");
    QTest::mouseClick(window->instrumentPicture, Qt::LeftButton, {}, QPoint(700, 30));
    step("tel 1 çekildi");
    // String 1's strip: slot of position -5 at 151 < x < 167, drawn 100 pixels to the left.
    QTest::mouseClick(window->mandalStrip, Qt::LeftButton, {}, QPoint(160, 30));
    QTest::mouseClick(window->fineTuningPicture, Qt::LeftButton, {}, QPoint(10, 10));
    step("şerit ve ince ayar");

    QTest::keyPress(handle(), Qt::Key_S);
    step("S basılı");
    autoRepeatS(handle(), {true, false, false, true, false});
    settleRelease();
    step("S tekrarları"); // the open of a sounding alias is refused by the service
    QTest::keyRelease(handle(), Qt::Key_S);
    settleRelease();
    step("S bırakıldı");
    window->makamNameBox->setFocus();
    QApplication::processEvents();
    QTest::keyClick(handle(), Qt::Key_Q);
    settleRelease();
    step("makam adına Q");
    window->instrumentPicture->setFocus();
    QApplication::processEvents();

    QTest::keyPress(handle(), Qt::Key_S); // held before the dialog opens
    step("S basılı");
    auto dialog = std::make_unique<QDialog>(window.get());
    dialog->setModal(true);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    QWindow* box = dialog->windowHandle();
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Right, Qt::Key_Q, Qt::Key_W}) {
        QTest::keyClick(box, key);
        QTest::keyClick(handle(), key); // blocked by the dialog, whatever reaches the window
    }
    // Auto-repeat of the held key goes to the dialog now, then the key is let go there.
    autoRepeatS(box, {false});
    QTest::keyRelease(box, Qt::Key_S);
    settleRelease();
    step("iletişim kutusunda oklar, Q, W, S bırakıldı");
    dialog.reset();
    QTest::keyClick(handle(), Qt::Key_Down);
    step("kutu kapandı, aşağı");
    test::expectGolden("gui/real_use.txt", log.str());
}

} // namespace
} // namespace zembera
