// The tuning controls with the bundled pitch table and systems as one scenario of real clicks and
// keys: the controls reach the pitches (checked in detail by the tuning and systems tests).

#include "window_fixture.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <sys/stat.h>

#include "shell/system_controls.h"
#include "support/tuning_files.h"
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

    // Moves the focus away from the instrument, as a click elsewhere would.
    void focusElsewhere() {
        window->makamNameBox->setFocus();
        QApplication::processEvents();
        ASSERT_FALSE(window->instrumentPicture->hasFocus());
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
    // Logs the system, degree shift, level, octave division, fine tuning, last note, key map and
    // strip marks, and strings 9, 12, 16 and 25; then the window's line (WindowFixture::note).
    void record(const std::string& what) {
        const auto checked = [](const auto& buttons) {
            std::string flags;
            for (QRadioButton* b : buttons)
                flags += b == nullptr ? "" : b->isChecked() ? "1" : "0";
            return flags;
        };
        log << what << ": sistem " << controls().list->currentText().toStdString() << " ("
            << controls().list->count() << "), kaydırma " << window->degreeShiftBar->value() << " ["
            << window->degreeShiftBox->text().toStdString() << "] toplam "
            << program->tuning.totalDegreeShift << ", seviye " << checked(window->pitchLevelButtons)
            << ", oktav " << checked(window->octaveDivisionButtons) << ", göçürülmüş "
            << window->settingSwitch[2]->isChecked() << ", ince ayar 7 "
            << program->tuning.tuningOffset[7] << ", makam \""
            << window->makamNameBox->text().toStdString() << "\", sütun "
            << test::columnRowHas(*window, 12, 48, 66, test::kBlack)
            << test::columnRowHas(*window, 25, 60, 89, test::kRed) << ", şerit "
            << (window->mandalStrip->canvas().pixel(156 + 16 * 9 + 2, 30) == test::kRed);
        for (int s : {9, 12, 16, 25})
            log << ", tel " << s << " " << pos()[s] << " "
                << program->tables.centTable(s, pos()[s]);
        note("\n  pencere");
    }
};

// Resets, octave division, levels, the degree shift held across its message, systems chosen from
// the list, the space bar as A/B (one swap per stroke), Scala files and the export.
TEST_F(TuningWindow, StepsMatchTheApprovedTranscript) {
    program->tuning.tuningOffset[7] = 2;
    focusElsewhere();
    QTest::mouseClick(window->tuningResetButton, Qt::LeftButton);
    record("ince ayar sıfırla");
    QTest::keyClick(handle(), Qt::Key_Right);
    record("sağ ok");
    focusElsewhere();
    QTest::mouseClick(window->mandalResetButton, Qt::LeftButton);
    record("mandal sıfırla");
    focusElsewhere();
    click(window->octaveDivisionButtons[2]);
    click(window->octaveDivisionButtons[1]);
    record("oktav bölümü");
    pos()[20] = 13;
    window->degreeShiftBar->setValue(5);
    record("kaydırma 5");
    for (int round = 0; round < 2; ++round) {
        focusElsewhere();
        click(window->pitchLevelButtons[1]); // ŞAH
        record("ŞAH");
    }
    click(window->pitchLevelButtons[5]);
    QTest::mouseClick(window->mandalResetButton, Qt::LeftButton);
    record("seviye 5, mandal sıfırla");

    // Rast at SÜPÜRDE: one step of the degree shift past 6 cannot be transposed. The right arrow
    // is held across the message, as a user's press is: no stepping behind the box.
    std::ifstream rast(std::string(ZEMBERA_SOURCE_DIR) + "/data/Rast.mkm");
    for (int s = 1; s <= 26; ++s)
        ASSERT_TRUE(rast >> pos()[s]);
    window->degreeShiftBar->setValue(6);
    record("Rast, kaydırma 6");
    const int middle = window->degreeShiftBar->height() / 2;
    const QPoint rightArrow(window->degreeShiftBar->width() - 3, middle);
    QTest::mousePress(window->degreeShiftBar, Qt::LeftButton, {}, rightArrow);
    QTest::qWait(600);
    record("sağ okta basılı");
    QTest::mouseRelease(window->degreeShiftBar, Qt::LeftButton, {}, rightArrow);
    QTest::qWait(100);
    record("bırakıldı");
    QTest::mouseClick(window->degreeShiftBar, Qt::LeftButton, {}, rightArrow);
    record("sağ ok");
    window->instrumentPicture->setFocus();
    QTest::keyClick(handle(), Qt::Key_Down);
    record("aşağı ok");
    QTest::mouseClick(window->degreeShiftBar, Qt::LeftButton, {}, QPoint(3, middle));
    QTest::mouseClick(window->mandalResetButton, Qt::LeftButton);
    record("sol ok, mandal sıfırla");

    pos()[9] = 5;
    program->tuning.tuningOffset[7] = 2;
    chooseSystem("72 eşit");
    record("72 eşit");
    chooseSystem("12 eşit");
    record("12 eşit");
    click(window->pitchLevelButtons[1]);
    record("ŞAH");
    click(window->pitchLevelButtons[5]);
    QTest::mouseClick(window->mandalResetButton, Qt::LeftButton);
    record("seviye 5, mandal sıfırla");

    chooseSystem("72 eşit");
    chooseSystem("Rauf Yekta 24");
    click(controls().swapButton);
    record("A/B");
    QTest::keyPress(handle(), Qt::Key_Space);
    for (int i = 0; i < 3; ++i) { // held: X repeats as release+press pairs, some unflagged
        QTest::keyRelease(handle(), Qt::Key_Space);
        QTest::keyPress(handle(), Qt::Key_Space);
    }
    QTest::keyRelease(handle(), Qt::Key_Space);
    settleRelease();
    record("boşluk basılı tutuldu");
    window->makamNameBox->setFocus();
    QTest::keyClick(handle(), Qt::Key_Space);
    record("makam adında boşluk");

    std::filesystem::copy_file(dir / systems::kSystemsFolder / "12-edo.scl", dir / "oniki.scl");
    log << "oniki.scl açıldı " << controls().openScale(dir / "oniki.scl") << "\n";
    write(dir / "bozuk.scl", "! bozuk.scl\nbroken\n 6\n 100.0\n 90.0\n");
    log << "bozuk.scl açıldı " << controls().openScale(dir / "bozuk.scl") << "\n";
    record("Scala dosyaları");
    // Exported with string 12 two degrees up and 2 cents down.
    pos()[12] = 2;
    program->tuning.tuningOffset[12] = -2.0f;
    log << "dışa aktarıldı " << controls().exportTo(dir / "ayar") << ", syx "
        << std::filesystem::file_size(dir / "ayar.syx") << "\n";
    // The caption's first line of the detail switch takes the click; the options give the
    // keyboard back.
    QTest::mouseClick(window->detailCheck, Qt::LeftButton, {},
                      QPoint(window->detailCheck->width() - 3, 2));
    for (QRadioButton* option : {window->melodyModeButtons[3], window->replayModeButtons[2]}) {
        option->setFocus();
        QApplication::processEvents();
        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(5, 6));
        log << "seçenek " << option->isChecked() << window->instrumentPicture->hasFocus() << ", ";
    }
    record("ayrıntı " + std::to_string(window->detailShown()));
    // The three files read back by their formats: each string sounds its 12-EDO degree from its
    // natural, moved by its position, plus its fine tuning, as oniki.scl read apart gives it.
    const test::SclPitches twelve = test::readScl((dir / "oniki.scl").string());
    const test::ScalaExport scala =
        test::readScalaExport(fileBytes(dir / "ayar.scl"), fileBytes(dir / "ayar.kbm"));
    const auto syx = fileBytes(dir / "ayar.syx");
    const std::vector<double> hz = test::readMtsBulkDump({syx.begin(), syx.end()});
    ASSERT_EQ(hz.size(), 128u);
    for (int s = 1; s <= kStringCount; ++s) {
        const auto i = static_cast<std::size_t>(s);
        const double cents =
            twelve.at(test::nearestDegree(twelve, test::naturalOf(s).cents()) + pos()[i]) +
            program->tuning.tuningOffset[i];
        EXPECT_NEAR(scala.pitchOf(s), cents, 1e-5) << s;
        EXPECT_NEAR(
            1200 * std::log2(hz[static_cast<std::size_t>(test::naturalOf(s).midiKey())] / 262.0),
            cents, test::kMtsHalfStepCents + 1e-9)
            << s;
        if (s == 17) {
            EXPECT_NEAR(scala.referenceHz, 262.0 * std::exp2(cents / 1200), 5e-7);
        }
    }
    EXPECT_EQ(scala.scale.size(), 9); // the distinct pitch classes, B 2 cents down among them
    test::expectGolden("gui/tuning_window.txt", log.str());
}

// The "oktav" options and the list are one choice: either chooses Yarman 79 or 80 and shows it
// on both, and in any other system neither option is chosen. A switch and its way back by A/B or
// the space bar give Rast back as set (a change in between: system_switch_test).
TEST_F(TuningWindow, OctaveOptionsAreTheListsYarmanEntriesAndSwitchingBackRestores) {
    std::array<QRadioButton*, 3>& options = window->octaveDivisionButtons;
    const auto shown = [&] {
        return controls().list->currentText().toStdString() + " " +
               std::to_string(options[1]->isChecked()) + std::to_string(options[2]->isChecked());
    };
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

    std::ifstream rast(std::string(ZEMBERA_SOURCE_DIR) + "/data/Rast.mkm");
    for (int s = 1; s <= 26; ++s)
        ASSERT_TRUE(rast >> pos()[s]);
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

// "Ver" asks about any of its three files, not only the .scl, writes all three or none and says
// which it wrote; "Aç" refuses a FIFO, a folder and an empty file at once, each with its reason.
TEST_F(TuningWindow, ExportAsksAboutEachFileAndOpenRefusesWhatIsNoScale) {
    namespace fs = std::filesystem;
    write(dir / "ver.kbm", "eski");
    messages.answer = false;
    EXPECT_FALSE(controls().exportTo(dir / "ver"));
    EXPECT_EQ(messages.asked, std::vector<std::string>{"ver.kbm var; yerine yazılsın mı?"});
    EXPECT_FALSE(fs::exists(dir / "ver.scl") || fs::exists(dir / "ver.syx"));
    messages.answer = true;
    EXPECT_TRUE(controls().exportTo(dir / "ver"));
    EXPECT_EQ(messages.shown, std::vector<std::string>{"ver.scl, ver.kbm ve ver.syx yazıldı (" +
                                                       dir.string() + ")."});
    EXPECT_EQ(fs::file_size(dir / "ver.syx"), 408u);
    EXPECT_TRUE(fileBytes(dir / "ver.kbm").starts_with("!"));

    messages.shown.clear();
    ASSERT_EQ(::mkfifo((dir / "boru.scl").c_str(), 0600), 0);
    fs::create_directories(dir / "klasör.scl");
    write(dir / "boş.scl", "");
    for (const char* name : {"boru.scl", "klasör.scl", "boş.scl"})
        EXPECT_FALSE(controls().openScale(dir / name));
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[0], "boru.scl dosyası okunamadı: normal bir dosya değil");
    EXPECT_EQ(messages.shown[1], "klasör.scl dosyası okunamadı: bir klasör");
    EXPECT_TRUE(messages.shown[2].starts_with("boş.scl dosyasında hata: ")) << messages.shown[2];
}

} // namespace
} // namespace zembera
