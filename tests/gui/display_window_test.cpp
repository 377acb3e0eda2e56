// What the window shows, also after a makam load, a fine tuning or a transposition, and captions
// that stay whole.

#include "window_fixture.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <cmath>

#include "files/makam_file.h"

namespace zembera {
namespace {

using test::kBlack;
using test::kBlue;
constexpr QRgb kLabelInk[] = {qRgb(192, 192, 0), qRgb(206, 30, 10)}; // strings 1..7, 8..26

QRect labelBox(int s) {
    return {489 - 19 * (s - 1), 18 + 15 * (s - 1), 22, 17};
}

// Pixels of `color` in r, leaving out the rows of the staff lines when `offLines`.
int count(const QImage& image, QRect r, QRgb color, bool offLines = false) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        if (offLines && y >= 48 && y <= 72 && (y - 48) % 6 == 0) continue;
        for (int x = r.left(); x <= r.right(); ++x)
            n += image.pixel(x, y) == color;
    }
    return n;
}

class DisplayWindow : public test::WindowFixture {
  protected:
    void prepareFolder() override { useBundled({"Dizek.txt", "glyphs.png"}); }

    void loadMakam(const PerString16& positions) {
        write(dir / "deneme.mkm", makamFileText(positions));
        click(window->open_buton);
        chooseListEntry(window->makamList, QStringLiteral("deneme.mkm"));
    }
    // The panel's line 6 equals that line printed alone with the hertz of `cents`.
    bool hertzLineShows(double cents) {
        char value[32];
        std::snprintf(value, sizeof value, "%.4f", 262 * std::exp2(cents / 1200));
        const CanvasImage& panel = window->pitchPanel->canvas();
        CanvasImage expected(panel.width(), panel.height(), qRgb(255, 224, 192));
        expected.setCurrentY(5 * expected.textHeight());
        expected.setForeColor(kBlue);
        expected.print(" frekans :        ");
        expected.setForeColor(kBlack);
        expected.print(value);
        const QRect line(0, static_cast<int>(std::lround(expected.currentY())),
                         static_cast<int>(expected.currentX()),
                         static_cast<int>(expected.textHeight()));
        return panel.image().copy(line) == expected.image().copy(line);
    }
    int labelInk(int s) const {
        return count(window->instrumentPicture->canvas().image(), labelBox(s), kLabelInk[s >= 8]);
    }
    int staffInk(QRect r, bool offLines = false) const {
        return count(window->staffPicture->canvas().image(), r, kBlack, offLines);
    }
};

// The notation tests check the drawings; here the keys reach them.
TEST_F(DisplayWindow, ArrowKeysDrawTheStaffWithItsAccidentalsAndThePanel) {
    EXPECT_EQ(staffInk(QRect(0, 0, 140, 132)), 0); // nothing before the first note
    EXPECT_EQ(test::countColor(window->pitchPanel->canvas(), kBlue), 0);
    QTest::keyClick(handle(), Qt::Key_Down);
    // The head of string 13 at (56, 63), its centre on line 66, and the panel's blue labels.
    EXPECT_GT(std::min(staffInk(QRect(56, 63, 10, 3)), staffInk(QRect(56, 67, 10, 3))), 5);
    EXPECT_EQ(staffInk(QRect(86, 51, 19, 24), true), 0);
    EXPECT_GT(test::countColor(window->pitchPanel->canvas(), kBlue), 100);
    // Code +1 on string 13 and its partner -12 (a double flat) before the head of string 12.
    QTest::keyClick(handle(), Qt::Key_Right);
    EXPECT_GT(staffInk(QRect(86, 51, 19, 24), true), 15);
}

TEST_F(DisplayWindow, PanelHertzBelongToTheShownNoteAfterALoadAndAFineTuning) {
    PerString16 positions{};
    positions[12] = 3;
    loadMakam(positions); // string 26 is still the one prepared last
    EXPECT_TRUE(hertzLineShows(program->tables.centTable(12, 3)));
    QTest::mouseClick(window->fineTuningPicture, Qt::LeftButton, {}, QPoint(10, 10)); // +2 cents
    EXPECT_TRUE(hertzLineShows(program->tables.centTable(12, 3) + 2));
}

TEST_F(DisplayWindow, TranspositionRedrawsColumnAndCloseUpAndAMakamLoadUndoesTheShift) {
    QScrollBar* bar = window->degreeShiftBar;
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() - 6, bar->height() / 2));
    ASSERT_EQ(pos()[12], 1); // one degree up
    EXPECT_TRUE(test::columnRowHas(*window, 12, 48, 66, kBlack));
    EXPECT_EQ(window->mandalStrip->canvas().pixel(156 + 16 * 9 + 2, 30), test::kRed); // upright
    ASSERT_TRUE(test::columnRowHas(*window, 12, 67, 89, test::kRed));

    loadMakam(PerString16{}); // already at SÜPÜRDE
    EXPECT_TRUE(bar->value() == 0 && window->degreeShiftBox->text() == QStringLiteral("0"));
    for (int s = 1; s <= 26; ++s)
        EXPECT_FALSE(test::columnRowHas(*window, s, 48, 89, test::kRed)) << s;
}

TEST_F(DisplayWindow, LabelsGoAtZeroStayInsideTheirBoxesAndString26sIsNotCovered) {
    auto toggleLabels = [&] {
        QTest::mouseClick(window->mandalLabelsCheck, Qt::LeftButton, {}, QPoint(5, 5));
    };
    toggleLabels();
    QTest::keyClick(handle(), Qt::Key_Right);
    EXPECT_GT(labelInk(12), 5);
    QTest::keyClick(handle(), Qt::Key_Left);
    EXPECT_EQ(labelInk(12), 0);

    for (int s = 1; s <= 26; ++s)
        pos()[s] = program->instrument.mandalMax[s]; // the widest labels: 6, 8, 10, 12
    toggleLabels();                                  // off
    toggleLabels();                                  // on again
    const CanvasImage& drawn = window->instrumentPicture->canvas();
    int inBoxes = 0;
    for (int s = 1; s <= 26; ++s) {
        EXPECT_GT(labelInk(s), 5) << s;
        inBoxes += labelInk(s);
    }
    EXPECT_EQ(inBoxes,
              test::countColor(drawn, kLabelInk[0]) + test::countColor(drawn, kLabelInk[1]));
    const QImage shown =
        window->instrumentPicture->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.copy(labelBox(26)), drawn.image().copy(labelBox(26)));
    toggleLabels();
    for (QRgb ink : kLabelInk)
        EXPECT_EQ(test::countColor(drawn, ink), 0);
}

TEST_F(DisplayWindow, CaptionsFitTheirControlsAndOptionsGiveTheKeyboardBack) {
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
        // A push button's hint has a floor of its own; its caption needs the text and the border.
        const int needed = qobject_cast<QPushButton*>(b)
                               ? b->fontMetrics().horizontalAdvance(b->text()) + 4
                               : b->sizeHint().width();
        EXPECT_LE(needed, b->width()) << b->text().toStdString();
        EXPECT_TRUE(b->parentWidget()->rect().contains(b->geometry())) << b->text().toStdString();
    }
    EXPECT_LE(window->detailCheck->sizeHint().height(), window->detailCheck->height());
    QTest::mouseClick(window->detailCheck, Qt::LeftButton, {},
                      QPoint(window->detailCheck->width() - 3, 2));
    EXPECT_TRUE(program->instrument.detailShown); // the caption's first line takes the click
    EXPECT_LT(window->findChild<QGroupBox*>("settingSwitchFrame")->geometry().bottom(),
              window->mandalColumn->y());

    for (QRadioButton* option : {window->melodyModeButtons[3], window->replayModeButtons[2]}) {
        option->setFocus();
        QApplication::processEvents();
        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(5, 6));
        EXPECT_TRUE(option->isChecked() && window->instrumentPicture->hasFocus());
    }
}

} // namespace
} // namespace zembera
