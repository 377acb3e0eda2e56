#include "shell/main_window.h"

#include <gtest/gtest.h>

#include "window_fixture.h"

#include <QRadioButton>

namespace zembera {
namespace {

using test::kBlack;
using test::kBlue;
constexpr QRgb kPanelBack = qRgb(255, 224, 192);

int count(const CanvasImage& c, QRect r, QRgb color) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x)
            n += c.pixel(x, y) == color;
    }
    return n;
}

// Black pixels off the staff lines: what the notes and signs add to the staff.
int inkOffLines(const CanvasImage& c, QRect r) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        if (y >= 48 && y <= 72 && (y - 48) % 6 == 0) continue;
        n += count(c, QRect(r.left(), y, r.width(), 1), kBlack);
    }
    return n;
}

// The staff and the panel, drawn through the real window with the glyph sheet the build made.
class NotationWindow : public test::WindowFixture {
  protected:
    void prepareFolder() override { useBundled("glyphs.png"); }

    const CanvasImage& staff() const { return window->staffPicture->canvas(); }
    const CanvasImage& panel() const { return window->pitchPanel->canvas(); }
};

TEST_F(NotationWindow, ArrowKeysDrawTheStaffWithItsAccidentalsAndThePanel) {
    // Nothing is drawn before the first note.
    EXPECT_EQ(count(staff(), QRect(0, 0, 140, 132), kBlack), 0);
    EXPECT_EQ(count(panel(), QRect(0, 0, 239, 100), kBlue), 0);

    QTest::keyClick(window->windowHandle(), Qt::Key_Down);
    ASSERT_EQ(program->instrument.currentString, 13);
    // Five staff lines from x 5 to 119, the clef left of the notes, and the head of string 13
    // at (56, 63) between the lines 60 and 72 (its centre on line 66).
    for (int y : {48, 54, 60, 66, 72}) {
        EXPECT_EQ(count(staff(), QRect(5, y, 115, 1), kBlack), 115) << y;
        EXPECT_EQ(count(staff(), QRect(120, y, 20, 1), kBlack), 0) << y;
    }
    EXPECT_GT(count(staff(), QRect(5, 36, 28, 11), kBlack), 5); // the clef above the top line
    EXPECT_GT(count(staff(), QRect(56, 63, 10, 3), kBlack), 5);
    EXPECT_GT(count(staff(), QRect(56, 67, 10, 3), kBlack), 5);
    // The panel: its background, blue labels and black values.
    EXPECT_GT(count(panel(), QRect(0, 0, 239, 100), kPanelBack), 239 * 50);
    EXPECT_GT(count(panel(), QRect(0, 0, 239, 100), kBlue), 100);
    EXPECT_GT(count(panel(), QRect(0, 0, 239, 100), kBlack), 100);

    QTest::keyClick(window->windowHandle(), Qt::Key_Right);
    ASSERT_EQ(program->instrument.mandalPos[13], 1);
    // Code +1 beside the head on string 13, and its lowering partner -12 (a double flat)
    // before the head of string 12 at (106, 60).
    EXPECT_GT(inkOffLines(staff(), QRect(36, 54, 19, 24)), 5);
    EXPECT_GT(inkOffLines(staff(), QRect(86, 51, 19, 24)), 15);
    EXPECT_GT(count(staff(), QRect(106, 61, 10, 5), kBlack), 5);
}

TEST_F(NotationWindow, AccidentalOptionsGiveTheKeyboardBack) {
    window->melodyModeButtons[1]->setFocus();
    QApplication::processEvents();
    QTest::mouseClick(window->melodyModeButtons[3], Qt::LeftButton, {}, QPoint(5, 6));
    EXPECT_TRUE(window->melodyModeButtons[3]->isChecked());
    EXPECT_TRUE(window->instrumentPicture->hasFocus());
    window->replayModeButtons[2]->setFocus();
    QApplication::processEvents();
    QTest::mouseClick(window->replayModeButtons[2], Qt::LeftButton, {}, QPoint(5, 6));
    EXPECT_TRUE(window->replayModeButtons[2]->isChecked());
    EXPECT_TRUE(window->instrumentPicture->hasFocus());
}

} // namespace
} // namespace zembera
