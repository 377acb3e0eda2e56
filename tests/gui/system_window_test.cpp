// The "Ses sistemi" list, A/B and the Scala files of the window, driven by mouse clicks.

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>
#include <fstream>

#include "pitch/scala_file.h"
#include "shell/system_controls.h"
#include "systems/system_files.h"
#include "window_fixture.h"

namespace zembera::test {
namespace {

namespace fs = std::filesystem;

class SystemWindow : public WindowFixture {
  protected:
    void prepareFolder() override {
        useBundled("Dizek.txt");
        fs::copy(fs::path(ZEMBERA_PROGRAM_DIR) / systems::kSystemsFolder,
                 dir / systems::kSystemsFolder, fs::copy_options::recursive);
    }

    SystemControls& controls() { return window->systemControls(); }

    // Opens the list with a click and clicks the entry `name`.
    void chooseFromList(const char* name) {
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

    void click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, 8)); }

    double cents(int s) { return program->tables.centTable(s, pos()[s]); }
};

// The controls sit in the free corner below the staff: clear of the pictures and check box on the
// instrument, of the mandal labels along its slanted edge and of the instrument drawing.
TEST_F(SystemWindow, ControlsLieInFreeSpaceOfTheInstrumentPicture) {
    QList<QRect> taken = {window->staffPicture->geometry(), window->pitchPanel->geometry(),
                          window->fineTuningPicture->geometry(),
                          window->mandalLabelsCheck->geometry()};
    for (int s = 19; s <= 23; ++s) // the labels next to the controls: 21 by 16 pixels
        taken.append(QRect(489 - 19 * (s - 1), 18 + 15 * (s - 1), 22, 17));
    const CanvasImage& picture = window->instrumentPicture->canvas();
    for (QWidget* w :
         std::initializer_list<QWidget*>{controls().list, controls().swapButton,
                                         controls().openButton, controls().exportButton}) {
        EXPECT_EQ(w->parentWidget(), window->instrumentPicture);
        for (const QRect& r : taken)
            EXPECT_FALSE(w->geometry().intersects(r)) << w->objectName().toStdString();
        const QRect g = w->geometry();
        for (int y = g.top(); y <= g.bottom(); ++y) {
            for (int x = g.left(); x <= g.right(); ++x)
                ASSERT_EQ(picture.pixel(x, y), qRgb(236, 233, 216)) << x << "," << y;
        }
    }
}

TEST_F(SystemWindow, ChoosingASystemRetunesEveryStringAndKeepsTheSetting) {
    pos()[9] = 5;
    pos()[20] = -1;
    program->tuning.tuningOffset[20] = 0.25f;
    chooseFromList("72 eşit");
    EXPECT_EQ(controls().list->currentText(), QString::fromUtf8("72 eşit"));
    EXPECT_NEAR(cents(12), 900.0, 1e-3);
    EXPECT_NEAR(cents(9), 1400.0 + 5 * 1200.0 / 72, 1e-3);
    EXPECT_NEAR(cents(20), -500.0 - 1200.0 / 72, 1e-3);
    EXPECT_EQ(program->tuning.tuningOffset[20], 0.25f);
    EXPECT_EQ(program->tuning.degreesPerOctave, 72);
    // The last string retuned is string 26, A2 open, in 72-EDO.
    EXPECT_NEAR(program->sounds->noteCents, -1500.0, 1e-3);
    EXPECT_TRUE(messages.shown.empty());

    chooseFromList("12 eşit");
    EXPECT_EQ(pos()[9], 2); // held at the end of the narrower range
    EXPECT_EQ(program->instrument.mandalMax[9], 2);
    EXPECT_NEAR(cents(9), 1600.0, 1e-3);
}

TEST_F(SystemWindow, ABSwapsBetweenTheLastTwoSystems) {
    chooseFromList("72 eşit");
    chooseFromList("Rauf Yekta 24");
    click(controls().swapButton);
    EXPECT_EQ(controls().list->currentText(), QString::fromUtf8("72 eşit"));
    EXPECT_NEAR(cents(12), 900.0, 1e-3);
    click(controls().swapButton);
    EXPECT_EQ(controls().list->currentText(), QString::fromUtf8("Rauf Yekta 24"));
    EXPECT_NEAR(cents(12), 905.865, 1e-3); // the Pythagorean A: 27/16 above C
    EXPECT_TRUE(window->instrumentPicture->hasFocus());
}

// The space bar is the A/B button: one swap per stroke, however long it is held, and none while
// the makam name is typed.
TEST_F(SystemWindow, TheSpaceBarSwapsOncePerStroke) {
    chooseFromList("72 eşit");
    chooseFromList("Rauf Yekta 24");
    QWindow* w = window->windowHandle();
    QTest::keyPress(w, Qt::Key_Space);
    for (int i = 0; i < 3; ++i) { // held: X repeats as release+press pairs, some unflagged
        QTest::keyRelease(w, Qt::Key_Space);
        QTest::keyPress(w, Qt::Key_Space);
    }
    QTest::keyRelease(w, Qt::Key_Space);
    settleRelease();
    EXPECT_EQ(controls().list->currentText(), QString::fromUtf8("72 eşit"));
    EXPECT_NEAR(cents(12), 900.0, 1e-3);

    window->makamNameBox->setFocus();
    QTest::keyClick(w, Qt::Key_Space);
    EXPECT_EQ(controls().list->currentText(), QString::fromUtf8("72 eşit"));
    EXPECT_EQ(window->makamNameBox->text(), QStringLiteral(" "));
}

// ŞAH is still the fifth below: F an octave down, in the system's own degrees.
TEST_F(SystemWindow, PitchLevelsKeepTheirIntervalInTheNewSystem) {
    click(window->pitchLevelButtons[1]);
    EXPECT_EQ(program->tuning.totalDegreeShift, -46);
    chooseFromList("12 eşit");
    click(window->pitchLevelButtons[5]);
    click(window->pitchLevelButtons[1]);
    EXPECT_EQ(program->tuning.totalDegreeShift, -7);
    EXPECT_TRUE(messages.shown.empty()) << messages.shown.front();
}

TEST_F(SystemWindow, ABrokenScalaFileIsToldAndTheSystemStays) {
    chooseFromList("72 eşit");
    std::ofstream(dir / "bozuk.scl") << "! bozuk.scl\nbroken\n 6\n 100.0\n 90.0\n";
    EXPECT_FALSE(controls().openScale(dir / "bozuk.scl"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0],
              "bozuk.scl dosyasının 5. satırında hata: 2. perde bir öncekinden yüksek değil");
    EXPECT_EQ(controls().list->count(), 7);
    EXPECT_EQ(controls().list->currentText(), QString::fromUtf8("72 eşit"));
    EXPECT_NEAR(cents(12), 900.0, 1e-3);
}

TEST_F(SystemWindow, AnOpenedScalaFileJoinsTheListForTheSession) {
    fs::copy_file(dir / systems::kSystemsFolder / "12-edo.scl", dir / "oniki.scl");
    ASSERT_TRUE(controls().openScale(dir / "oniki.scl"));
    EXPECT_EQ(controls().list->count(), 8);
    EXPECT_EQ(controls().list->currentText(), QStringLiteral("oniki"));
    EXPECT_NEAR(cents(16), 200.0, 1e-3);
    click(controls().swapButton);
    EXPECT_EQ(controls().list->currentText(), QString::fromUtf8("Yarman 79"));
    chooseFromList("oniki");
    EXPECT_NEAR(cents(16), 200.0, 1e-3);
}

TEST_F(SystemWindow, ExportWritesTheThreeFilesOfWhatTheStringsSound) {
    chooseFromList("53 koma");
    pos()[12] = 2;
    program->tuning.tuningOffset[12] = -2.0f;
    ASSERT_TRUE(controls().exportTo(dir / "ayar"));
    std::ifstream scl(dir / "ayar.scl"), kbm(dir / "ayar.kbm");
    const std::string sclText{std::istreambuf_iterator<char>(scl), {}};
    const std::string kbmText{std::istreambuf_iterator<char>(kbm), {}};
    const Scale scale = parseScale(sclText, "ayar.scl");
    const KeyboardMapping map = parseKeyboardMapping(kbmText, "ayar.kbm");
    // A4 on key 69, two commas up and 2 cents down, heard against C4 on key 60.
    const double a4 = degreeCents(scale, *degreeOfKey(map, 69)) -
                      degreeCents(scale, *degreeOfKey(map, 60)) +
                      1200.0 * std::log2(map.referenceHz / 262.0);
    EXPECT_NEAR(a4, cents(12) - 2.0, 1e-3);
    EXPECT_EQ(fs::file_size(dir / "ayar.syx"), 408u);
}

} // namespace
} // namespace zembera::test
