// What the window shows after the state changes behind it: the pitch panel's hertz after a makam
// load and a fine tuning, the number column and the close-up after a transposition, the label
// column after every mandal change, and controls whose captions and drawings stay whole.

#include <gtest/gtest.h>

#include "window_fixture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <cmath>
#include <fstream>

#include "files/makam_file.h"

namespace zembera {
namespace {

using test::kWhite;
constexpr QRgb kPanelBack = qRgb(255, 224, 192);
constexpr QRgb kLowLabel = qRgb(206, 30, 10);  // strings 8..26
constexpr QRgb kHighLabel = qRgb(192, 192, 0); // strings 1..7
constexpr QRect labelBox(int s) {
    return {489 - 19 * (s - 1), 18 + 15 * (s - 1), 22, 17};
}

int countIn(const QImage& image, QRect r, QRgb color) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x)
            n += image.pixel(x, y) == color;
    }
    return n;
}

class DisplayWindow : public test::WindowFixture {
  protected:
    void prepareFolder() override {
        useBundled("Dizek.txt");
        useBundled("glyphs.png");
    }

    void loadMakam(const PerString16& positions) {
        std::ofstream(dir / "deneme.mkm", std::ios::binary) << makamFileText(positions);
        QTest::mouseClick(window->open_buton, Qt::LeftButton);
        const auto items = window->File2->findItems(QStringLiteral("deneme.mkm"), Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        QTest::mouseClick(window->File2->viewport(), Qt::LeftButton, {},
                          window->File2->visualItemRect(items[0]).center());
    }
    // Moves the degree shift one step up with the scroll bar's right arrow.
    void shiftUp() {
        QScrollBar* bar = window->HScroll1;
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() - 6, bar->height() / 2));
    }

    // Whether line 6 of the panel reads the frequency of `cents`: the panel's pixels of that line,
    // label and value, equal those of the line printed alone.
    bool hertzLineShows(double cents) {
        char value[32];
        std::snprintf(value, sizeof value, "%.4f", 262 * std::exp2(cents / 1200));
        const CanvasImage& panel = window->Picture6->canvas();
        CanvasImage expected(panel.width(), panel.height(), kPanelBack);
        const double top = 5 * expected.textHeight();
        expected.setCurrentY(top);
        expected.setForeColor(test::kBlue);
        expected.print(" frekans :        ");
        expected.setForeColor(test::kBlack);
        expected.print(value);
        const QRect line(0, static_cast<int>(std::lround(top)),
                         static_cast<int>(expected.currentX()),
                         static_cast<int>(expected.textHeight()));
        return panel.image().copy(line) == expected.image().copy(line);
    }

    const CanvasImage& instrument() const { return window->Picture2->canvas(); }
    bool labelShown(int s) const {
        return countIn(instrument().image(), labelBox(s), s >= 8 ? kLowLabel : kHighLabel) > 5;
    }
    void clickCheck1() { QTest::mouseClick(window->Check1, Qt::LeftButton, {}, QPoint(5, 5)); }
};

TEST_F(DisplayWindow, PanelHertzAreThoseOfTheShownNoteAfterALoadAndAFineTuning) {
    PerString16 positions{};
    positions[12] = 3;
    positions[26] = -2;
    loadMakam(positions);
    ASSERT_EQ(pos()[12], 3);
    // String 26 was the last one prepared; the panel is about string 12.
    EXPECT_TRUE(hertzLineShows(program->tables.centTable(12, 3)));

    QTest::mouseClick(window->Picture5, Qt::LeftButton, {}, QPoint(10, 10)); // +2 cents
    ASSERT_FLOAT_EQ(program->tuning.tuningOffset[12], 2);
    EXPECT_TRUE(hertzLineShows(program->tables.centTable(12, 3) + 2));
}

TEST_F(DisplayWindow, TranspositionRedrawsTheBlackColumnAndTheCloseUp) {
    shiftUp();
    ASSERT_EQ(window->HScroll1->value(), 1);
    ASSERT_FALSE(program->instrument.untransposedShown);
    for (int s : {12, 20}) {
        ASSERT_NE(pos()[s], 0) << s;
        EXPECT_TRUE(test::columnRowHas(*window, s, 48, 66, test::kBlack)) << s;
    }
    // The close-up of string 12 stands up to the transposed position: its box is filled.
    const CanvasImage& strip = window->Picture1->canvas();
    const int slot = 156 + 16 * (pos()[12] + 8);
    EXPECT_EQ(strip.pixel(slot + 2, 30), test::kRed);

    QTest::mouseClick(window->Option5[1], Qt::LeftButton, {}, QPoint(6, 8));
    ASSERT_EQ(pos()[12], 0);
    EXPECT_FALSE(test::columnRowHas(*window, 12, 48, 66, test::kBlack));
    EXPECT_NE(strip.pixel(slot + 2, 30), test::kRed);
}

TEST_F(DisplayWindow, LoadingAMakamAtTheReferenceLevelPutsTheShiftBackToZero) {
    shiftUp();
    ASSERT_TRUE(window->Option1[5]->isChecked());
    ASSERT_TRUE(test::columnRowHas(*window, 20, 67, 89, test::kRed));
    loadMakam(PerString16{});
    EXPECT_EQ(window->HScroll1->value(), 0);
    EXPECT_EQ(window->Text3->text(), QStringLiteral("0"));
    EXPECT_EQ(program->tuning.totalDegreeShift, 0);
    EXPECT_TRUE(window->Option5[1]->isChecked());
    for (int s = 1; s <= 26; ++s)
        EXPECT_FALSE(test::columnRowHas(*window, s, 67, 89, test::kRed)) << s;
}

TEST_F(DisplayWindow, LabelsFollowEveryMandalMoveBackToZeroAndTheMandalReset) {
    clickCheck1();
    ASSERT_TRUE(window->Check1->isChecked());
    QTest::keyClick(handle(), Qt::Key_Right);
    EXPECT_TRUE(labelShown(12));
    QTest::keyClick(handle(), Qt::Key_Left);
    ASSERT_EQ(pos()[12], 0);
    EXPECT_EQ(countIn(instrument().image(), labelBox(12), kWhite), 22 * 17);

    QTest::keyClick(handle(), Qt::Key_Right);
    QTest::keyClick(handle(), Qt::Key_Up);
    QTest::keyClick(handle(), Qt::Key_Left);
    ASSERT_TRUE(labelShown(12) && labelShown(11));
    QTest::mouseClick(window->Command9, Qt::LeftButton);
    EXPECT_FALSE(labelShown(12));
    EXPECT_FALSE(labelShown(11));
}

TEST_F(DisplayWindow, LabelsStayInsideTheirBoxesAndString26sIsNotCovered) {
    for (int s = 1; s <= 26; ++s)
        pos()[s] = program->instrument.mandalMax[s]; // the widest labels: 6, 8, 10 and 12
    pos()[25] = -8;
    clickCheck1();
    // Seen as the screen shows it, with the check box over the instrument.
    const QImage shown = window->Picture2->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QRegion boxes;
    for (int s = 1; s <= 26; ++s) {
        boxes += labelBox(s);
        EXPECT_TRUE(labelShown(s)) << s;
    }
    EXPECT_EQ(shown.copy(labelBox(26)), instrument().image().copy(labelBox(26)));
    for (QRgb ink : {kLowLabel, kHighLabel}) {
        int inside = 0;
        for (const QRect& r : boxes)
            inside += countIn(instrument().image(), r, ink);
        EXPECT_EQ(inside, test::countColor(instrument(), ink)) << "ink outside a box";
    }
    clickCheck1();
    EXPECT_EQ(test::countColor(instrument(), kLowLabel), 0);
    EXPECT_EQ(test::countColor(instrument(), kHighLabel), 0);
}

TEST_F(DisplayWindow, CaptionsFitTheirControlsAndFrame11EndsAboveTheColumn) {
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
        if (b->text().isEmpty()) continue;
        const std::string caption = b->text().toStdString();
        // A push button's hint has a floor of its own; its caption needs the text and the border.
        const int needed = qobject_cast<QPushButton*>(b)
                               ? b->fontMetrics().horizontalAdvance(b->text()) + 4
                               : b->sizeHint().width();
        EXPECT_LE(needed, b->width()) << caption;
        EXPECT_TRUE(b->parentWidget()->rect().contains(b->geometry())) << caption;
    }
    EXPECT_LE(window->Check2->sizeHint().height(), window->Check2->height());
    EXPECT_EQ(window->Check2->text(), QString::fromUtf8("detay  göster"));
    const auto* frame11 = window->findChild<QGroupBox*>(QStringLiteral("Frame11"));
    ASSERT_NE(frame11, nullptr);
    EXPECT_LT(frame11->geometry().bottom(), window->Picture10->y());
}

} // namespace
} // namespace zembera
