// The tuning controls with the bundled pitch table and systems, clicked and keyed for real: the
// controls reach the pitches (checked in detail by the tuning and systems tests).

#include "window_fixture.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "shell/system_controls.h"
#include "systems/system_files.h"

namespace zembera {
namespace {

using ::testing::ElementsAre;
using ::testing::StartsWith;

class TuningWindow : public test::WindowFixture {
  protected:
    void prepareFolder() override {
        useBundled({"Dizek.txt", "glyphs.png", systems::kSystemsFolder});
    }
    void SetUp() override {
        WindowFixture::SetUp();
        if (HasFatalFailure()) return;
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    // Moves the focus away from the instrument, as a click elsewhere would.
    void focusElsewhere() {
        window->makamNameBox->setFocus();
        QApplication::processEvents();
        ASSERT_FALSE(window->instrumentPicture->hasFocus());
    }
    SystemControls& controls() { return window->systemControls(); }
    QString systemShown() { return controls().list->currentText(); }
    // Opens the system list with a click and clicks the entry `name`.
    void chooseSystem(const char* name) {
        QComboBox* list = controls().list;
        const int index = list->findText(QString::fromUtf8(name));
        ASSERT_GE(index, 0) << name;
        QTest::mouseClick(list, Qt::LeftButton);
        QAbstractItemView* view = list->view();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
        const QRect item = view->visualRect(view->model()->index(index, 0));
        // The list ignores a release that comes within a double click of its opening.
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        QTest::mouseMove(view->viewport(), item.center());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
        QTest::qWait(0);
    }
    double cents(int s) { return program->tables.centTable(s, pos()[s]); }
    // A line of the log with the degree shift (bar and box) and its total, whether ŞAH and the
    // transposed setting are checked, string 7's fine tuning, the mandal and cents of strings 9,
    // 12 and 25, and the window's line (see WindowFixture::note).
    void tuningNote(const std::string& what) {
        log << what << ": kaydırma " << window->degreeShiftBar->value() << " ["
            << window->degreeShiftBox->text().toStdString() << "] toplam "
            << program->tuning.totalDegreeShift << ", ŞAH "
            << window->pitchLevelButtons[1]->isChecked() << ", göçürülmüş "
            << window->settingSwitch[2]->isChecked() << ", ince ayar 7 "
            << program->tuning.tuningOffset[7];
        for (int s : {9, 12, 25})
            log << ", tel " << s << " " << pos()[s] << " " << cents(s);
        note("\n  pencere");
    }
};

// The resets clear the fine tuning and the mandals (column and strip follow); the octave division
// buttons, a group of their own, change no pitch. A level resets the shift and transposes once
// (string 20 beyond the table reports once each time); a second click on the chosen level changes
// nothing but the focus. All give the keyboard back.
TEST_F(TuningWindow, LevelsResetsAndOctaveDivisionsMatchTheApprovedLog) {
    program->tuning.tuningOffset[7] = 2;
    focusElsewhere();
    QTest::mouseClick(window->tuningResetButton, Qt::LeftButton);
    tuningNote("ince ayar sıfırla");
    QTest::keyClick(handle(), Qt::Key_Right);
    ASSERT_TRUE(test::columnRowHas(*window, 12, 48, 66, test::kBlack));
    focusElsewhere();
    QTest::mouseClick(window->mandalResetButton, Qt::LeftButton);
    EXPECT_FALSE(test::columnRowHas(*window, 12, 48, 66, test::kBlack));
    // The strip of string 12 shows position 0: the box of position 1 is lifted.
    EXPECT_NE(window->mandalStrip->canvas().pixel(156 + 16 * 9 + 2, 30), test::kRed);
    EXPECT_NEAR(program->sounds->noteCents, program->tables.centTable(12, 0), 1e-3);
    tuningNote("mandal sıfırla");
    focusElsewhere();
    click(window->octaveDivisionButtons[1]);
    click(window->octaveDivisionButtons[2]);
    EXPECT_TRUE(!window->octaveDivisionButtons[1]->isChecked() &&
                window->octaveDivisionButtons[2]->isChecked());
    tuningNote("oktav bölümü");
    pos()[20] = 13;
    window->degreeShiftBar->setValue(5);
    tuningNote("kaydırma 5");
    for (int round = 0; round < 2; ++round) {
        focusElsewhere();
        click(window->pitchLevelButtons[1]); // ŞAH
        tuningNote("ŞAH");
    }
    EXPECT_TRUE(test::columnRowHas(*window, 25, 60, 89, test::kRed));

    test::expectGolden("gui/levels_and_resets.txt", log.str());
}

TEST_F(TuningWindow, AMessageEndsTheScrollBarPressThatCausedIt) {
    // Rast at SÜPÜRDE: one step of the degree shift past 6 cannot be transposed (message C).
    std::ifstream rast(std::string(ZEMBERA_SOURCE_DIR) + "/data/Rast.mkm");
    for (int s = 1; s <= 26; ++s)
        ASSERT_TRUE(rast >> pos()[s]);
    window->degreeShiftBar->setValue(6);
    ASSERT_TRUE(window->settingSwitch[2]->isChecked());
    messages.shown.clear();

    // The right arrow held across the message, as a user's press is: no stepping behind the box.
    const QPoint rightArrow(window->degreeShiftBar->width() - 3,
                            window->degreeShiftBar->height() / 2);
    QTest::mousePress(window->degreeShiftBar, Qt::LeftButton, {}, rightArrow);
    QTest::qWait(600);
    EXPECT_EQ(window->degreeShiftBox->text(), QStringLiteral("0"));
    QTest::mouseRelease(window->degreeShiftBar, Qt::LeftButton, {}, rightArrow);
    QTest::qWait(100);
    EXPECT_THAT(messages.shown, ElementsAre(StartsWith("göçürme yapılamıyor")));
    EXPECT_EQ(window->degreeShiftBar->value(), 0);

    // The window is usable again: the scroll bar steps once per click and the keys play.
    QTest::mouseClick(window->degreeShiftBar, Qt::LeftButton, {}, rightArrow);
    EXPECT_EQ(window->degreeShiftBar->value(), 1);
    window->instrumentPicture->setFocus();
    QTest::keyClick(handle(), Qt::Key_Down);
    EXPECT_TRUE(program->instrument.currentString == 13 && sound.images > 0);
}

// A system chosen from the list retunes the strings (the last retuned, string 26, sounds its
// note); a position beyond a narrower range is held at its end; a level keeps its interval in the
// system's own degrees (ŞAH: F an octave down).
TEST_F(TuningWindow, ChoosingASystemRetunesTheStringsAndTheLevels) {
    pos()[9] = 5;
    chooseSystem("72 eşit");
    EXPECT_NEAR(cents(9), 1400.0 + 5 * 1200.0 / 72, 1e-3);
    EXPECT_NEAR(program->sounds->noteCents, -1500.0, 1e-3);
    chooseSystem("12 eşit");
    EXPECT_EQ(pos()[9], 2);
    click(window->pitchLevelButtons[1]);
    EXPECT_EQ(program->tuning.totalDegreeShift, -7);
    EXPECT_TRUE(messages.shown.empty());
}

// The space bar is the A/B button: one swap per stroke, however long it is held, and none while
// the makam name is typed.
TEST_F(TuningWindow, ABAndTheSpaceBarSwapBetweenTheLastTwoSystems) {
    chooseSystem("72 eşit");
    chooseSystem("Rauf Yekta 24");
    click(controls().swapButton);
    EXPECT_EQ(systemShown(), QString::fromUtf8("72 eşit"));
    EXPECT_NEAR(cents(12), 900.0, 1e-3);
    EXPECT_TRUE(window->instrumentPicture->hasFocus());
    QTest::keyPress(handle(), Qt::Key_Space);
    for (int i = 0; i < 3; ++i) { // held: X repeats as release+press pairs, some unflagged
        QTest::keyRelease(handle(), Qt::Key_Space);
        QTest::keyPress(handle(), Qt::Key_Space);
    }
    QTest::keyRelease(handle(), Qt::Key_Space);
    settleRelease();
    EXPECT_NEAR(cents(12), 905.865, 1e-3); // Rauf Yekta's Pythagorean A: 27/16 above C

    window->makamNameBox->setFocus();
    QTest::keyClick(handle(), Qt::Key_Space);
    EXPECT_EQ(systemShown(), QString::fromUtf8("Rauf Yekta 24"));
    EXPECT_EQ(window->makamNameBox->text(), QStringLiteral(" "));
}

// A Scala file joins the list for the session; a broken one is told and the system stays; the
// strings are exported as Scala files and a MIDI tuning dump.
TEST_F(TuningWindow, ScalaFilesJoinTheListOrAreToldBrokenAndTheStringsAreExported) {
    std::filesystem::copy_file(dir / systems::kSystemsFolder / "12-edo.scl", dir / "oniki.scl");
    ASSERT_TRUE(controls().openScale(dir / "oniki.scl"));
    EXPECT_NEAR(cents(16), 200.0, 1e-3);
    write(dir / "bozuk.scl", "! bozuk.scl\nbroken\n 6\n 100.0\n 90.0\n");
    EXPECT_FALSE(controls().openScale(dir / "bozuk.scl"));
    EXPECT_THAT(messages.shown, ElementsAre("bozuk.scl dosyasının 5. satırında hata: 2. perde "
                                            "bir öncekinden yüksek değil"));
    EXPECT_EQ(controls().list->count(), 8);
    EXPECT_EQ(systemShown(), QStringLiteral("oniki"));

    // Exported with string 12 two degrees up and 2 cents down.
    pos()[12] = 2;
    program->tuning.tuningOffset[12] = -2.0f;
    ASSERT_TRUE(controls().exportTo(dir / "ayar"));
    test::expectGolden("gui/ayar.scl", fileBytes(dir / "ayar.scl"));
    test::expectGolden("gui/ayar.kbm", fileBytes(dir / "ayar.kbm"));
    EXPECT_EQ(std::filesystem::file_size(dir / "ayar.syx"), 408u);
}

} // namespace
} // namespace zembera
