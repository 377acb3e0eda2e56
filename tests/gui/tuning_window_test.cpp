// The tuning controls with the bundled pitch table and systems, by real clicks and keys: each
// control reaches the pitches (checked in detail by the tuning and systems tests).

#include "window_fixture.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <sys/stat.h>

#include "shell/system_controls.h"
#include "systems/system_files.h"

namespace zembera {
namespace {

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
    SystemControls& controls() { return window->systemControls(); }
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
    void loadRast() {
        std::ifstream rast(std::string(ZEMBERA_SOURCE_DIR) + "/data/Rast.mkm");
        for (int s = 1; s <= 26; ++s)
            ASSERT_TRUE(rast >> pos()[s]);
    }
    std::string shown() {
        const auto& options = window->octaveDivisionButtons;
        return controls().list->currentText().toStdString() + " " +
               std::to_string(options[1]->isChecked()) + std::to_string(options[2]->isChecked());
    }
};

// The resets, the arrow, the degree shift (a message for string 20, whose degree is unknown),
// the levels and the space bar (one swap per stroke however X repeats it, none in a text box).
TEST_F(TuningWindow, EachControlReachesTheStrings) {
    program->tuning.tuningOffset[7] = 2;
    window->makamNameBox->setFocus(); // the reset's click gives the keys back
    QTest::mouseClick(window->tuningResetButton, Qt::LeftButton);
    EXPECT_EQ(program->tuning.tuningOffset[7], 0);
    QTest::keyClick(handle(), Qt::Key_Right);
    EXPECT_EQ(pos()[12], 1);
    QTest::mouseClick(window->mandalResetButton, Qt::LeftButton);
    EXPECT_EQ(pos(), PerString<std::int16_t>{});

    pos()[20] = 13;
    window->degreeShiftBar->setValue(5);
    EXPECT_EQ(window->degreeShiftBox->text(), QStringLiteral("5"));
    EXPECT_EQ(program->tuning.totalDegreeShift, 5);
    EXPECT_EQ(pos()[9], 5);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].starts_with("20  nolu perdenin derecesi belirlenemedi."));
    click(window->pitchLevelButtons[1]); // ŞAH
    EXPECT_EQ(program->tuning.totalDegreeShift, -46);
    EXPECT_EQ(window->degreeShiftBar->value(), 0);
    click(window->pitchLevelButtons[5]);
    QTest::mouseClick(window->mandalResetButton, Qt::LeftButton);
    EXPECT_EQ(program->tuning.totalDegreeShift, 0);

    // Rast at 6 cannot go one step further: the arrow held across the message steps no more.
    loadRast();
    window->degreeShiftBar->setValue(6);
    messages.shown.clear();
    const QPoint rightArrow(window->degreeShiftBar->width() - 3,
                            window->degreeShiftBar->height() / 2);
    QTest::mousePress(window->degreeShiftBar, Qt::LeftButton, {}, rightArrow);
    QTest::qWait(600);
    QTest::mouseRelease(window->degreeShiftBar, Qt::LeftButton, {}, rightArrow);
    QTest::qWait(100);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].starts_with("göçürme yapılamıyor")) << messages.shown[0];
    EXPECT_EQ(window->degreeShiftBar->value(), 0);

    chooseSystem("72 eşit");
    chooseSystem("Rauf Yekta 24");
    click(controls().swapButton);
    EXPECT_EQ(controls().list->currentText(), QStringLiteral("72 eşit"));
    window->instrumentPicture->setFocus();
    QTest::keyPress(handle(), Qt::Key_Space);
    for (int i = 0; i < 3; ++i) { // held: X repeats as release+press pairs, some unflagged
        QTest::keyRelease(handle(), Qt::Key_Space);
        QTest::keyPress(handle(), Qt::Key_Space);
    }
    QTest::keyRelease(handle(), Qt::Key_Space);
    settleRelease();
    EXPECT_EQ(controls().list->currentText(), QStringLiteral("Rauf Yekta 24"));
    EXPECT_NEAR(program->tables.centTable(12, 0), 905.865, 1e-3); // 1200 * log2(27/16)
    window->makamNameBox->setFocus();
    QTest::keyClick(handle(), Qt::Key_Space);
    EXPECT_EQ(controls().list->currentText(), QStringLiteral("Rauf Yekta 24"));
    EXPECT_EQ(window->makamNameBox->text(), QStringLiteral(" "));

    // The detail switch takes a click on its caption's first line; its options give the keyboard
    // back.
    QTest::mouseClick(window->detailCheck, Qt::LeftButton, {},
                      QPoint(window->detailCheck->width() - 3, 2));
    EXPECT_TRUE(window->detailShown());
    for (QRadioButton* option : {window->melodyModeButtons[3], window->replayModeButtons[2]}) {
        option->setFocus();
        QApplication::processEvents();
        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(5, 6));
        EXPECT_TRUE(option->isChecked() && window->instrumentPicture->hasFocus());
    }
}

// The "oktav" options and the list are one choice: either chooses Yarman 79 or 80 and shows it
// on both, and in any other system neither option is chosen. A switch and its way back by A/B or
// the space bar give Rast back as set (a change in between: system_switch_test).
TEST_F(TuningWindow, OctaveOptionsAreTheListsYarmanEntriesAndSwitchingBackRestores) {
    std::array<QRadioButton*, 3>& options = window->octaveDivisionButtons;
    EXPECT_EQ(shown(), "Yarman 79 10");
    click(options[2]);
    EXPECT_EQ(shown(), "Yarman 80 01");
    click(options[2]); // chosen again: stays chosen
    EXPECT_EQ(shown(), "Yarman 80 01");
    chooseSystem("72 eşit");
    EXPECT_EQ(shown(), "72 eşit 00");
    EXPECT_NEAR(program->tables.centTable(12, 0), 900.0, 1e-9);
    click(options[1]);
    EXPECT_EQ(shown(), "Yarman 79 10");
    EXPECT_NEAR(program->tables.centTable(12, 0), 1200.0 * 119 / 159, 1e-5);

    loadRast();
    const PerString<std::int16_t> set = pos();
    chooseSystem("12 eşit");
    EXPECT_NEAR(program->tables.centTable(14, pos()[14]), 600.0, 1e-9); // F +6: F sharp
    click(controls().swapButton);
    EXPECT_EQ(shown(), "Yarman 79 10");
    EXPECT_EQ(pos(), set);
    window->instrumentPicture->setFocus();
    for (const char* after : {"12 eşit 00", "Yarman 79 10"}) {
        QTest::keyClick(handle(), Qt::Key_Space);
        settleRelease();
        EXPECT_EQ(shown(), after);
    }
    EXPECT_EQ(pos(), set);
}

// "Aç" takes a Scala file and refuses a broken one, a FIFO, a folder and an empty file, each with
// its reason. "Ver" asks about any of its three files and writes all three or none.
TEST_F(TuningWindow, ScalesOpenOrAreRefusedAndTheExportAsksAboutEachFile) {
    namespace fs = std::filesystem;
    fs::copy_file(dir / systems::kSystemsFolder / "12-edo.scl", dir / "oniki.scl");
    EXPECT_TRUE(controls().openScale(dir / "oniki.scl"));
    EXPECT_EQ(controls().list->currentText(), QStringLiteral("oniki"));
    write(dir / "bozuk.scl", "! bozuk.scl\nbroken\n 6\n 100.0\n 90.0\n");
    ASSERT_EQ(::mkfifo((dir / "boru.scl").c_str(), 0600), 0);
    fs::create_directories(dir / "klasör.scl");
    write(dir / "boş.scl", "");
    for (const char* name : {"bozuk.scl", "boru.scl", "klasör.scl", "boş.scl"})
        EXPECT_FALSE(controls().openScale(dir / name));
    ASSERT_EQ(messages.shown.size(), 4u);
    EXPECT_EQ(messages.shown[0],
              "bozuk.scl dosyasının 5. satırında hata: 2. perde bir öncekinden yüksek değil");
    EXPECT_EQ(messages.shown[1], "boru.scl dosyası okunamadı: normal bir dosya değil");
    EXPECT_EQ(messages.shown[2], "klasör.scl dosyası okunamadı: bir klasör");
    EXPECT_TRUE(messages.shown[3].starts_with("boş.scl dosyasında hata: ")) << messages.shown[3];
    EXPECT_EQ(controls().list->currentText(), QStringLiteral("oniki"));

    messages.shown.clear();
    write(dir / "ver.kbm", "eski");
    messages.answer = false;
    EXPECT_FALSE(controls().exportTo(dir / "ver"));
    EXPECT_EQ(messages.asked, std::vector<std::string>{"ver.kbm var; yerine yazılsın mı?"});
    EXPECT_FALSE(fs::exists(dir / "ver.scl") || fs::exists(dir / "ver.syx"));
    messages.answer = true;
    EXPECT_TRUE(controls().exportTo(dir / "ver"));
    EXPECT_EQ(messages.shown, std::vector<std::string>{"ver.scl, ver.kbm ve ver.syx yazıldı (" +
                                                       dir.string() + ")."});
    EXPECT_EQ(std::filesystem::file_size(dir / "ver.syx"), 408u); // what they hold: systems tests
    EXPECT_TRUE(fileBytes(dir / "ver.scl").starts_with("!"));
}

} // namespace
} // namespace zembera
