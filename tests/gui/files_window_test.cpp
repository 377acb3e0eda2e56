// The makam, recording and melody frames of the main window, driven by real clicks and keys.

#include <gtest/gtest.h>

#include "window_fixture.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <sstream>

#include "files/makam_file.h"
#include "files/record_file.h"
#include "shell/canvas_widget.h"
#include "shell/key_hook.h"
#include "shell/main_window.h"
#include "support/program_folder.h"

namespace zembera {
namespace {

class CountingSound : public SoundOutput {
  public:
    void PlayImage(const SoundImagePtr&, std::uint32_t) override { ++images; }
    bool MciOpenPlay(const std::string&, const std::string& alias) override {
        opened.push_back(alias);
        return true;
    }
    void MciStopClose(const std::string&) override {}
    void PlayPatchedSample(const PatchedSampleSource&, int s, int m) override {
        patched.push_back({s, m});
    }
    void StopAllSound() override { ++stops; }
    int images = 0;
    int stops = 0;
    std::vector<std::string> opened;
    std::vector<std::pair<int, int>> patched;
};

constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kGreen = qRgb(0, 255, 0);

// Whether every pixel of the picture has `color`.
bool allPixels(CanvasWidget* picture, QRgb color) {
    const CanvasImage& c = picture->canvas();
    for (int y = 0; y < c.height(); ++y) {
        for (int x = 0; x < c.width(); ++x) {
            if (c.pixel(x, y) != color) return false;
        }
    }
    return true;
}

bool anyPixel(CanvasWidget* picture, QRgb color) {
    const CanvasImage& c = picture->canvas();
    for (int y = 0; y < c.height(); ++y) {
        for (int x = 0; x < c.width(); ++x) {
            if (c.pixel(x, y) == color) return true;
        }
    }
    return false;
}

std::string fileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string melodyLine(int note, int code, int mandal = 0, int condition = 0) {
    return "0," + std::to_string(note) + "," + std::to_string(code) + "," + std::to_string(mandal) +
           ",0,0,0,0,0," + std::to_string(condition) + "\r\n";
}

class FilesWindow : public test::WindowFixture<CountingSound> {
  protected:
    std::filesystem::path kayit() const { return dir / "wavs" / "kayıt.txt"; }
    void click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
    void chooseListEntry(QListWidget* list, const QString& text) {
        const auto items = list->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << text.toStdString();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(items[0]).center());
    }
    // Runs `check` at the first event round of a loop started right after.
    void duringLoop(std::function<void()> check) {
        QTimer::singleShot(0, window.get(), std::move(check));
    }
    bool framesEnabled(std::initializer_list<QGroupBox*> frames, bool on) const {
        for (QGroupBox* f : frames) {
            if (f->isEnabled() != on) return false;
        }
        return true;
    }
};

TEST_F(FilesWindow, StartState) {
    EXPECT_TRUE(allPixels(window->Picture8, kWhite));
    EXPECT_TRUE(allPixels(window->Picture9, kWhite));
    EXPECT_EQ(window->VScroll1->minimum(), 30);
    EXPECT_EQ(window->VScroll1->maximum(), 60);
    EXPECT_EQ(window->VScroll1->singleStep(), 2);
    EXPECT_EQ(window->VScroll1->pageStep(), 5);
    EXPECT_EQ(program->instrument.vscrollValue, 40);
    EXPECT_FALSE(window->File2->isVisible());
    EXPECT_FALSE(window->File3->isVisible());
    EXPECT_EQ(window->aç_kapa_buton->text(), QStringLiteral(">"));
}

TEST_F(FilesWindow, SavedMakamIsListedAtOnceAndLoadsBack) {
    program->instrument.mandalPos[3] = -2;
    program->instrument.mandalPos[20] = 7;
    window->Text1->setText(QString::fromUtf8("Uşşak"));
    click(window->save_buton);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(fileBytes(dir / "Uşşak.mkm"), makamFileText(program->instrument.mandalPos));

    click(window->open_buton);
    ASSERT_TRUE(window->File2->isVisible());
    program->instrument.mandalPos = PerString16{};
    window->Text1->clear();
    chooseListEntry(window->File2, QString::fromUtf8("Uşşak.mkm"));
    EXPECT_FALSE(window->File2->isVisible());
    EXPECT_EQ(window->Text1->text(), QString::fromUtf8("Uşşak"));
    EXPECT_EQ(program->instrument.mandalPos[3], -2);
    EXPECT_EQ(program->instrument.mandalPos[20], 7);
    EXPECT_TRUE(window->Picture2->hasFocus());
}

TEST_F(FilesWindow, SavingWithoutANameSaysSoAndLoadingSwitchesToTheUntransposedView) {
    click(window->save_buton);
    EXPECT_EQ(messages.shown, (std::vector<std::string>{"bir makam ismi girin"}));

    {
        std::ofstream out(dir / "rast.mkm", std::ios::binary);
        for (int k = 1; k <= 26; ++k)
            out << (k == 12 ? " 4 \r\n" : " 0 \r\n");
    }
    window->Option5[2]->setChecked(true);
    ASSERT_FALSE(program->instrument.untransposedShown);
    click(window->open_buton);
    chooseListEntry(window->File2, QStringLiteral("rast.mkm"));
    EXPECT_TRUE(window->Option5[1]->isChecked());
    EXPECT_TRUE(program->instrument.untransposedShown);
    EXPECT_EQ(program->instrument.mandalPos[12], 4);
}

TEST_F(FilesWindow, RecordingLightsItsLampBlocksKeysAndWritesOneLinePerPluck) {
    click(window->rec_buton);
    EXPECT_TRUE(allPixels(window->Picture9, kRed));
    EXPECT_TRUE(window->stop_buton->isEnabled());
    EXPECT_FALSE(window->rec_buton->isEnabled());
    EXPECT_FALSE(window->Play_buton->isEnabled());
    EXPECT_FALSE(window->pause_buton->isEnabled());
    EXPECT_TRUE(framesEnabled({window->Frame2, window->Frame3, window->Frame4, window->Frame5,
                               window->Frame7, window->Frame10},
                              false));
    EXPECT_TRUE(window->Frame1->isEnabled());

    QTest::keyClick(handle(), Qt::Key_Q);
    QTest::keyClick(handle(), Qt::Key_Up);
    QTest::keyClick(handle(), Qt::Key_Right);
    EXPECT_TRUE(sound.opened.empty());
    EXPECT_EQ(sound.images, 0);
    EXPECT_EQ(program->instrument.currentString, 12);

    QTest::mouseClick(window->Picture2, Qt::LeftButton, {}, QPoint(700, 30));
    QTest::mouseClick(window->Picture2, Qt::LeftButton, {}, QPoint(300, 400));
    QTest::mouseClick(window->Picture2, Qt::LeftButton, {}, QPoint(700, 30));
    EXPECT_EQ(sound.images, 3);
    click(window->stop_buton);

    const std::string text = fileBytes(kayit());
    FieldReader reader(text, "kayıt.txt");
    std::vector<int> strings;
    while (!reader.atEnd())
        strings.push_back(readRecordEntry(reader).string);
    EXPECT_EQ(strings, (std::vector<int>{1, 26, 1}));
    EXPECT_TRUE(allPixels(window->Picture9, kWhite));
    EXPECT_TRUE(window->rec_buton->isEnabled());
    EXPECT_TRUE(window->Play_buton->isEnabled());
    EXPECT_FALSE(window->stop_buton->isEnabled());
    EXPECT_TRUE(window->Frame4->isEnabled());
}

TEST_F(FilesWindow, ReplayShowsItsLampAndIgnoresKeysAndPlucksWhileItRuns) {
    std::ofstream(kayit(), std::ios::binary)
        << recordLine(5, 0, 5) + recordLine(9, 0, 5) + recordLine(14, 0, 5);
    program->instrument.mandalPos[9] = 2;
    bool checked = false;
    duringLoop([&] {
        checked = true;
        EXPECT_TRUE(allPixels(window->Picture8, kGreen));
        EXPECT_TRUE(window->pause_buton->isEnabled());
        EXPECT_FALSE(window->Play_buton->isEnabled());
        EXPECT_FALSE(window->Frame5->isEnabled());
        QTest::keyClick(handle(), Qt::Key_W);
        QTest::keyClick(handle(), Qt::Key_Right);
        QTest::mouseClick(window->Picture2, Qt::LeftButton, {}, QPoint(700, 30));
        QTest::mouseClick(window->Picture1, Qt::LeftButton, {}, QPoint(160, 30));
    });
    click(window->Play_buton);
    EXPECT_TRUE(checked);
    EXPECT_TRUE(sound.opened.empty());
    EXPECT_EQ(sound.images, 0);
    EXPECT_EQ(sound.patched, (std::vector<std::pair<int, int>>{{5, 0}, {9, 2}, {14, 0}}));
    EXPECT_EQ(sound.stops, 3);
    EXPECT_EQ(program->instrument.mandalPos[14], 0);
    EXPECT_TRUE(allPixels(window->Picture8, kWhite));
    EXPECT_TRUE(window->Play_buton->isEnabled());
    EXPECT_FALSE(window->pause_buton->isEnabled());
    EXPECT_TRUE(window->Frame5->isEnabled());
}

TEST_F(FilesWindow, StopAndPauseClicksAreHandledBetweenNotes) {
    std::string text;
    for (int i = 0; i < 6; ++i)
        text += recordLine(5 + i, 0, 5);
    std::ofstream(kayit(), std::ios::binary) << text;
    duringLoop([&] {
        click(window->pause_buton);
        click(window->stop_buton);
    });
    click(window->Play_buton);
    EXPECT_EQ(messages.shown, (std::vector<std::string>{"durduruldu"}));
    EXPECT_EQ(sound.patched.size(), 1u);
    EXPECT_FALSE(program->instrument.playingBack);
    EXPECT_TRUE(allPixels(window->Picture8, kWhite));
}

TEST_F(FilesWindow, ReplayWithoutARecordingSaysSo) {
    click(window->Play_buton);
    EXPECT_EQ(messages.shown, (std::vector<std::string>{"önceden yapılmış bir kayıt bulunamadı"}));
    EXPECT_TRUE(window->Play_buton->isEnabled());
    EXPECT_FALSE(window->stop_buton->isEnabled());
}

TEST_F(FilesWindow, AMelodyChosenFromTheListPlaysWithItsCounterAndEnds) {
    std::ofstream(dir / "ezgi.ses", std::ios::binary)
        << melodyLine(0, 6) + melodyLine(15, 6) + melodyLine(3, 6, 2, 1);
    window->VScroll1->setValue(30);
    click(window->open_ses_buton);
    ASSERT_TRUE(window->File3->isVisible());
    chooseListEntry(window->File3, QStringLiteral("ezgi.ses"));
    EXPECT_FALSE(window->File3->isVisible());
    EXPECT_EQ(window->Text2->text(), QStringLiteral("ezgi"));

    bool checked = false;
    duringLoop([&] {
        checked = true;
        EXPECT_EQ(window->aç_kapa_buton->text(), QStringLiteral("0"));
        EXPECT_FALSE(window->Frame1->isEnabled());
        EXPECT_TRUE(window->Frame5->isEnabled());
        EXPECT_TRUE(anyPixel(window->Picture7, qRgb(0, 0, 0))); // the counter is printed
        QTest::keyClick(handle(), Qt::Key_E);
    });
    click(window->aç_kapa_buton);
    EXPECT_TRUE(checked);
    EXPECT_TRUE(sound.opened.empty());
    // şartlı: the marked note sounds at its file mandal.
    EXPECT_EQ(sound.patched, (std::vector<std::pair<int, int>>{{4, 0}, {12, 0}, {7, 2}}));
    EXPECT_EQ(window->aç_kapa_buton->text(), QStringLiteral(">"));
    EXPECT_TRUE(allPixels(window->Picture7, kWhite));
    EXPECT_TRUE(window->Frame1->isEnabled());
    EXPECT_FALSE(program->instrument.playingBack);
}

TEST_F(FilesWindow, TheStartStopButtonEndsAMelodyBeforeItsNextNote) {
    std::string text;
    for (int i = 0; i < 8; ++i)
        text += melodyLine(i, 6);
    std::ofstream(dir / "uzun.ses", std::ios::binary) << text;
    window->Text2->setText(QStringLiteral("uzun"));
    duringLoop([&] { click(window->aç_kapa_buton); });
    click(window->aç_kapa_buton);
    EXPECT_TRUE(sound.patched.empty()); // the click came before the first note
    EXPECT_EQ(window->aç_kapa_buton->text(), QStringLiteral(">"));
    EXPECT_TRUE(allPixels(window->Picture7, kWhite));

    window->Text2->setText(QStringLiteral("yok"));
    click(window->aç_kapa_buton);
    EXPECT_EQ(messages.shown,
              (std::vector<std::string>{"ses dosyasından kaynaklanan bir hata oluştu."}));
}

TEST_F(FilesWindow, ClosingTheWindowEndsARunningMelody) {
    std::string text;
    for (int i = 0; i < 50; ++i)
        text += melodyLine(i % 20, 1); // whole notes: a long melody
    std::ofstream(dir / "uzun.ses", std::ios::binary) << text;
    window->Text2->setText(QStringLiteral("uzun"));
    duringLoop([&] { window->close(); });
    click(window->aç_kapa_buton);
    EXPECT_EQ(messages.asked.size(), 1u);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(sound.patched.empty());
    EXPECT_FALSE(program->instrument.playingBack);
}

} // namespace
} // namespace zembera
