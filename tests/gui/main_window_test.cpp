#include "shell/main_window.h"

#include <gtest/gtest.h>

#include "window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "shell/canvas_widget.h"
#include "shell/key_hook.h"
#include "support/program_folder.h"

namespace zembera {
namespace {

class RecordingSound : public SoundOutput {
  public:
    void PlayImage(const SoundImagePtr& image, std::uint32_t) override { images.push_back(image); }
    bool MciOpenPlay(const std::string& file, const std::string& alias) override {
        opened.push_back(alias);
        files.push_back(file);
        return true;
    }
    void MciStopClose(const std::string& alias) override { closed.push_back(alias); }
    std::vector<SoundImagePtr> images;
    std::vector<std::string> opened, files, closed;
};

constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kGreen = qRgb(0, 255, 0);

// A pixel on the first line of string s, halfway between its start and the bridge.
QRgb stringPixel(const MainWindow& w, int s) {
    const int x0 = 530 - 19 * (s - 1);
    return w.Picture2->canvas().pixel((x0 + 680) / 2, 26 + 15 * (s - 1));
}

// Whether the key letter column of string s holds a pixel of `color`.
bool keyLetterHas(const MainWindow& w, int s, QRgb color) {
    const CanvasImage& c = w.Picture10->canvas();
    const int top = 2 + 15 * (s - 1);
    for (int y = top; y < top + 14; ++y) {
        for (int x = 36; x < 52; ++x) {
            if (c.pixel(x, y) == color) return true;
        }
    }
    return false;
}

class Window : public test::WindowFixture<RecordingSound> {
  protected:
};

TEST_F(Window, LayoutCaptionsAndStartState) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Z E M B E R A"));
    const QRect p2 = window->Picture2->geometry();
    EXPECT_EQ(p2.size(), QSize(904, 420));
    EXPECT_EQ(p2.top(), 63);
    EXPECT_NEAR(window->Frame2->geometry().x() + window->Frame2->width(), p2.x() + p2.width(), 1);
    EXPECT_EQ(window->Frame3->geometry().topLeft(), QPoint(12, 4));
    EXPECT_EQ(window->Command10->text(), QString::fromUtf8("Ç  I  K"));
    EXPECT_EQ(window->Check2->text(), QString::fromUtf8("detay  göster"));
    EXPECT_EQ(window->Label36->text().split('\n').size(), 3);
    EXPECT_TRUE(window->Label36->text().split('\n')[0].endsWith(' '));
    EXPECT_EQ(window->Option4[1]->text(), QStringLiteral("Yarman79"));
    EXPECT_EQ(window->Option4[2]->text(), QStringLiteral("Yarman80"));
    EXPECT_TRUE(window->Option1[5]->isChecked());
    EXPECT_EQ(window->Option1[8]->text(), QString::fromUtf8("ŞAH NISFİYE"));
    EXPECT_TRUE(window->Option5[1]->isChecked());
    EXPECT_FALSE(window->stop_buton->isEnabled());
    EXPECT_FALSE(window->pause_buton->isEnabled());
    EXPECT_TRUE(window->Play_buton->isEnabled());
}

TEST_F(Window, DrawingShowsSelectionAndKeyMap) {
    EXPECT_EQ(stringPixel(*window, 12), kBlack);
    for (int s : {5, 19, 26})
        EXPECT_EQ(stringPixel(*window, s), kRed) << s;
    for (int s : {1, 11, 13, 25})
        EXPECT_EQ(stringPixel(*window, s), kWhite) << s;
    for (int s = 1; s <= 26; ++s)
        EXPECT_TRUE(keyLetterHas(*window, s, kGreen)) << s;
}

TEST_F(Window, ArrowKeysMoveSelectionAndMandal) {
    QTest::keyClick(handle(), Qt::Key_Up);
    EXPECT_EQ(program->instrument.currentString, 11);
    EXPECT_EQ(stringPixel(*window, 11), kBlack);
    EXPECT_EQ(stringPixel(*window, 12), kRed);
    EXPECT_EQ(sound.images.size(), 1u);
    QTest::keyClick(handle(), Qt::Key_Right);
    EXPECT_EQ(program->instrument.mandalPos[11], 1);
    EXPECT_EQ(sound.images.size(), 2u);
    // The mandal strip follows: string 11 has 21 positions.
    EXPECT_EQ(window->Picture1->width(), 516);
    EXPECT_EQ(window->Picture1->x(), -100);
    QTest::keyClick(handle(), Qt::Key_Down, Qt::ShiftModifier); // Shift changes nothing
    EXPECT_EQ(program->instrument.currentString, 12);
}

TEST_F(Window, LetterKeysSoundWhileHeldAndAutoRepeatDoesNotRestart) {
    QTest::keyPress(handle(), Qt::Key_S);
    ASSERT_EQ(sound.opened, (std::vector<std::string>{"12"}));
    EXPECT_TRUE(keyLetterHas(*window, 12, kBlack));
    // X11 auto-repeat: release+press pairs flagged as repeats.
    QTest::simulateEvent(handle(), false, Qt::Key_S, Qt::NoModifier, "s", true);
    QTest::simulateEvent(handle(), true, Qt::Key_S, Qt::NoModifier, "s", true);
    EXPECT_TRUE(sound.closed.empty());
    EXPECT_EQ(sound.opened.size(), 2u); // the open of a sounding alias is refused by the service
    QTest::keyRelease(handle(), Qt::Key_S);
    EXPECT_EQ(sound.closed, (std::vector<std::string>{"12"}));
    EXPECT_TRUE(keyLetterHas(*window, 12, kGreen));
    EXPECT_FALSE(keyLetterHas(*window, 12, kBlack));
}

TEST_F(Window, TypingTheMakamNameDoesNotPlay) {
    window->Text1->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(program->instrument.nameFieldFocused);
    QTest::keyClick(handle(), Qt::Key_Q);
    EXPECT_TRUE(sound.opened.empty());
    EXPECT_EQ(sound.closed, (std::vector<std::string>{"01"})); // the release still stops it
    window->Picture2->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(program->instrument.nameFieldFocused);
}

TEST_F(Window, MousePlucksAndSetsMandals) {
    QTest::mouseClick(window->Picture2, Qt::LeftButton, {}, QPoint(700, 30));
    EXPECT_EQ(program->instrument.currentString, 1);
    EXPECT_EQ(stringPixel(*window, 1), kBlack);
    EXPECT_EQ(sound.images.size(), 1u);
    QTest::mouseClick(window->Picture2, Qt::LeftButton, {}, QPoint(600, 30));
    EXPECT_EQ(sound.images.size(), 1u);

    // String 1's strip: slot of position -5 at 151 < x < 167, drawn 100 pixels to the left.
    QTest::mouseClick(window->Picture1, Qt::LeftButton, {}, QPoint(160, 30));
    EXPECT_EQ(program->instrument.mandalPos[1], -5);
    QTest::mouseClick(window->Picture5, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FLOAT_EQ(program->tuning.tuningOffset[1], 2);
    EXPECT_EQ(sound.images.size(), 3u);
}

TEST_F(Window, LabelColumnFollowsCheck1AndMandalColumn) {
    program->instrument.mandalPos[3] = -2;
    QTest::mouseClick(window->Check1, Qt::LeftButton, {}, QPoint(5, 8));
    ASSERT_TRUE(window->Check1->isChecked());
    const CanvasImage& c = window->Picture2->canvas();
    int yellow = 0;
    for (int y = 48; y < 64; ++y) {
        for (int x = 451; x < 472; ++x)
            yellow += c.pixel(x, y) == qRgb(192, 192, 0);
    }
    EXPECT_GT(yellow, 3);
    QTest::mouseClick(window->Check1, Qt::LeftButton, {}, QPoint(5, 8));
    for (int y = 48; y < 64; ++y) {
        for (int x = 451; x < 472; ++x)
            ASSERT_EQ(c.pixel(x, y), kWhite);
    }
}

TEST_F(Window, ClosingAsksAndNoKeepsItOpen) {
    messages.answer = false;
    window->close();
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(messages.asked.size(), 1u);
    EXPECT_EQ(messages.asked[0], "Bu proğramı kapatmak istiyormusunuz ?");
    messages.answer = true;
    QTest::mouseClick(window->Command10, Qt::LeftButton);
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
