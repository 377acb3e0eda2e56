// Keys and mouse presses around the window's boxes: a dialog keeps its keys, a key held before it
// opened still ends its note, and the standard buttons speak Turkish.

#include <gtest/gtest.h>

#include "window_fixture.h"

#include <QDialog>
#include <QPushButton>

#include "shell/qt_messages.h"
#include "shell/turkish_translation.h"

namespace zembera {
namespace {

class DialogKeys : public test::WindowFixture {
  protected:
    // A modal dialog open over the window, as a message box or the close question is.
    QWindow* openDialog() {
        dialog = std::make_unique<QDialog>(window.get());
        dialog->setModal(true);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return dialog->windowHandle();
    }
    std::unique_ptr<QDialog> dialog;
};

TEST_F(DialogKeys, KeysBelongToAnOpenDialogButAHeldNoteStillEnds) {
    QTest::keyPress(handle(), Qt::Key_S); // held before the dialog opens
    ASSERT_EQ(sound.opened, (std::vector<std::string>{"12"}));
    QWindow* box = openDialog();
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Right, Qt::Key_Q, Qt::Key_W}) {
        QTest::keyClick(box, key);
        QTest::keyClick(handle(), key); // blocked by the dialog, whatever reaches the window
    }
    // Auto-repeat of the held key goes to the dialog now, then the key is let go there.
    QTest::simulateEvent(box, false, Qt::Key_S, Qt::NoModifier, "s", false);
    QTest::simulateEvent(box, true, Qt::Key_S, Qt::NoModifier, "s", false);
    QTest::keyRelease(box, Qt::Key_S);
    settleRelease();
    EXPECT_EQ(sound.opened, (std::vector<std::string>{"12"}));
    EXPECT_EQ(sound.closed, (std::vector<std::string>{"12"}));
    EXPECT_EQ(sound.images, 0);
    EXPECT_EQ(program->instrument.currentString, 12);
    EXPECT_EQ(pos()[12], 0);

    dialog.reset();
    QTest::keyClick(handle(), Qt::Key_Down); // the window plays again
    EXPECT_EQ(program->instrument.currentString, 13);
    EXPECT_EQ(sound.images, 1);
}

TEST_F(DialogKeys, StandardButtonsReadTurkish) {
    ASSERT_TRUE(installTurkishTranslation()) << "qtbase_tr missing";
    auto plain = [](QAbstractButton* b) { return b->text().remove('&'); };
    const auto message = makeMessageBox("bir perde seçin", window.get());
    EXPECT_EQ(plain(message->button(QMessageBox::Ok)), QStringLiteral("Tamam"));
    const auto question = makeQuestionBox(kCloseQuestion, window.get());
    EXPECT_EQ(plain(question->button(QMessageBox::Yes)), QStringLiteral("Evet"));
    EXPECT_EQ(plain(question->button(QMessageBox::No)), QString::fromUtf8("Hayır"));
    EXPECT_EQ(question->text(), QString::fromUtf8(kCloseQuestion));
}

} // namespace
} // namespace zembera
