// The makam, recording and melody frames driven by real clicks and keys, also from inside the
// replay and melody loops: the widgets reach their handlers and show what they do.

#include "window_fixture.h"

#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

#include "files/makam_file.h"
#include "files/melody_file.h"
#include "files/record_file.h"
#include "render/offline_render.h"

namespace zembera {
namespace {

using test::allPixels;
using test::kWhite;
using ::testing::ElementsAre;
using ::testing::Pair;
using ::testing::StartsWith;
using Plays = std::vector<std::pair<int, int>>;

std::string melodyLine(int note, int code, int mandal = 0, int condition = 0) {
    return "0," + std::to_string(note) + "," + std::to_string(code) + "," + std::to_string(mandal) +
           ",0,0,0,0,0," + std::to_string(condition) + "\r\n";
}

class FilesWindow : public test::WindowFixture {
  protected:
    std::filesystem::path kayit() const { return dir / "wavs" / "kayıt.txt"; }
    // The strings of the lines of the recording file.
    std::vector<int> recordedStrings() const {
        const std::string text = fileBytes(kayit());
        FieldReader reader(text, "kayıt.txt");
        std::vector<int> strings;
        while (!reader.atEnd())
            strings.push_back(readRecordEntry(reader).string);
        return strings;
    }
    void pluck(QPoint at) { QTest::mouseClick(window->instrumentPicture, Qt::LeftButton, {}, at); }
    // Runs `check` at the first event round of a loop started right after.
    void duringLoop(std::function<void()> check) { QTimer::singleShot(0, window.get(), check); }
    // The recording frame with nothing running: Play and rec enabled, stop and pause not.
    bool recordingIdle() const {
        return window->Play_buton->isEnabled() && window->rec_buton->isEnabled() &&
               !window->stop_buton->isEnabled() && !window->pause_buton->isEnabled();
    }
};

TEST_F(FilesWindow, SavedMakamIsListedAtOnceAndLoadsBackInTheUntransposedView) {
    pos()[3] = -2;
    pos()[20] = 7;
    window->makamNameBox->setText(QString::fromUtf8("Uşşak"));
    click(window->save_buton);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(fileBytes(dir / "Uşşak.mkm"), makamFileText(pos()));

    window->settingSwitch[2]->setChecked(true);
    ASSERT_FALSE(program->instrument.untransposedShown);
    write(dir / ".gizli.mkm", "");
    write(dir / "Acem.mkm", "");
    click(window->open_buton);
    EXPECT_EQ(window->makamList->count(), 2); // the hidden file is not listed
    EXPECT_EQ(window->makamList->item(0)->text(), "Acem.mkm");
    pos() = PerString16{};
    window->makamNameBox->clear();
    chooseListEntry(window->makamList, QString::fromUtf8("Uşşak.mkm"));
    EXPECT_FALSE(window->makamList->isVisible());
    EXPECT_TRUE(window->settingSwitch[1]->isChecked());
    EXPECT_TRUE(program->instrument.untransposedShown);
    EXPECT_EQ(window->makamNameBox->text(), QString::fromUtf8("Uşşak"));
    EXPECT_THAT(std::pair(pos()[3], pos()[20]), Pair(-2, 7));
    EXPECT_TRUE(window->instrumentPicture->hasFocus());

    window->makamNameBox->clear();
    click(window->save_buton);
    EXPECT_EQ(messages.shown, (std::vector<std::string>{"bir makam ismi girin"}));
}

TEST_F(FilesWindow, RecordingLightsItsLampWritesOneLinePerPluckAndClosingKeepsIt) {
    write(kayit(), recordLine(5, 0, 100)); // an earlier recording
    click(window->rec_buton);
    EXPECT_TRUE(allPixels(window->recordLamp, test::kRed));
    EXPECT_TRUE(window->stop_buton->isEnabled() && window->recordFrame->isEnabled());
    EXPECT_FALSE(recordingIdle());
    for (QGroupBox* frame : {window->pitchLevelFrame, window->resetFrame, window->makamFrame,
                             window->melodyFrame, window->emptyFrame, window->octaveFrame})
        EXPECT_FALSE(frame->isEnabled()) << frame->objectName().toStdString();
    for (QPoint at : {QPoint(700, 30), QPoint(300, 400), QPoint(700, 30)})
        pluck(at);
    EXPECT_EQ(sound.images, 3);
    bool asked = false; // the WAV button writes no recording while one runs
    window->renderControls().askOutputFile = [&](const QString&) {
        asked = true;
        return QString();
    };
    window->renderControls().button()->menu()->actions().at(1)->trigger();
    EXPECT_FALSE(asked);
    EXPECT_TRUE(messages.shown.empty());
    click(window->stop_buton);
    EXPECT_THAT(recordedStrings(), ElementsAre(1, 26, 1));
    EXPECT_TRUE(allPixels(window->recordLamp, kWhite));
    EXPECT_TRUE(recordingIdle() && window->makamFrame->isEnabled());

    // Closing the window keeps a recording made so far.
    click(window->rec_buton);
    pluck(QPoint(300, 400));
    window->close();
    ASSERT_FALSE(window->isVisible());
    EXPECT_THAT(recordedStrings(), ElementsAre(26));
    EXPECT_FALSE(std::filesystem::exists(dir / "wavs" / kRecordTemporaryName));
}

TEST_F(FilesWindow, ReplayShowsItsLampAndIgnoresKeysAndPlucksWhileItRuns) {
    write(kayit(), recordLine(5, 0, 5) + recordLine(9, 0, 5) + recordLine(14, 0, 5));
    pos()[9] = 2;
    bool checked = false;
    duringLoop([&] {
        checked = true;
        EXPECT_TRUE(allPixels(window->replayLamp, test::kGreen));
        EXPECT_TRUE(window->pause_buton->isEnabled());
        EXPECT_FALSE(window->Play_buton->isEnabled() || window->melodyFrame->isEnabled());
        QTest::keyClick(handle(), Qt::Key_W);
        QTest::keyClick(handle(), Qt::Key_Right);
        pluck(QPoint(700, 30));
        QTest::mouseClick(window->mandalStrip, Qt::LeftButton, {}, QPoint(160, 30));
    });
    click(window->Play_buton);
    EXPECT_TRUE(checked && sound.opened.empty());
    EXPECT_EQ(sound.images, 0);
    EXPECT_EQ(sound.patched, (Plays{{5, 0}, {9, 2}, {14, 0}}));
    EXPECT_EQ(sound.stops, 3);
    EXPECT_EQ(pos()[14], 0);
    EXPECT_TRUE(allPixels(window->replayLamp, kWhite));
    EXPECT_TRUE(recordingIdle() && window->melodyFrame->isEnabled());
}

// Clicks made while a 30-second note sounds act at once: the replay returns long before the note
// would have ended (the bound is loose on purpose; the onsets are measured in bench/).
TEST_F(FilesWindow, StopAndPauseClicksCutALongNoteAtOnce) {
    write(kayit(), recordLine(5, 0, 30000) + recordLine(6, 0, 20) + recordLine(7, 0, 30000));
    int stopsAfterPause = -1;
    QTimer::singleShot(200, window.get(), [&] {
        click(window->pause_buton);
        stopsAfterPause = sound.stops;
    });
    QTimer::singleShot(400, window.get(), [&] { click(window->stop_buton); });
    QElapsedTimer elapsed;
    elapsed.start();
    click(window->Play_buton);
    EXPECT_LT(elapsed.elapsed(), 10000);
    EXPECT_THAT(messages.shown, ElementsAre("durduruldu"));
    EXPECT_EQ(stopsAfterPause, 1);
    // The pause cut the first note, the second sounded after the message, the stop cut the third.
    EXPECT_EQ(sound.patched, (Plays{{5, 0}, {6, 0}, {7, 0}}));
    EXPECT_TRUE(recordingIdle());
}

TEST_F(FilesWindow, AMelodyChosenFromTheListPlaysWithItsCounterAndTempoAndIsWrittenOut) {
    write(dir / "ezgi.ses", melodyLine(0, 6) + melodyLine(15, 6) + melodyLine(3, 6, 2, 1));
    window->tempoBar->setValue(30);
    click(window->open_ses_buton);
    chooseListEntry(window->melodyList, QStringLiteral("ezgi.ses"));
    EXPECT_FALSE(window->melodyList->isVisible());
    EXPECT_EQ(window->melodyNameBox->text(), QStringLiteral("ezgi"));

    bool checked = false;
    duringLoop([&] {
        checked = true;
        EXPECT_EQ(window->aç_kapa_buton->text(), QStringLiteral("0"));
        EXPECT_TRUE(!window->recordFrame->isEnabled() && window->melodyFrame->isEnabled());
        EXPECT_GT(test::countColor(window->melodyCounter->canvas(), test::kBlack), 0);
        QTest::keyClick(handle(), Qt::Key_E);
    });
    click(window->aç_kapa_buton);
    EXPECT_TRUE(checked && sound.opened.empty());
    // şartlı: the marked note sounds at its file mandal.
    EXPECT_EQ(sound.patched, (Plays{{4, 0}, {12, 0}, {7, 2}}));
    EXPECT_EQ(window->aç_kapa_buton->text(), QStringLiteral(">"));
    EXPECT_TRUE(allPixels(window->melodyCounter, kWhite) && window->recordFrame->isEnabled());
    EXPECT_FALSE(program->instrument.playingBack);

    // Written out: three notes of 2 units at 30 ms, into a name without extension: a WAV file.
    QStringList suggested;
    window->renderControls().askOutputFile = [&](const QString& name) {
        suggested.append(name);
        return QString::fromStdString((dir / "çıktı").string());
    };
    QAction* melodyEntry = window->renderControls().button()->menu()->actions().at(0);
    melodyEntry->trigger();
    EXPECT_EQ(suggested, QStringList{QString::fromStdString((dir / "ezgi.wav").string())});
    EXPECT_EQ(std::filesystem::file_size(dir / "çıktı.wav"), 44 + 2 * frameAt(3 * 2 * 30));
    window->melodyNameBox->setText("yok");
    melodyEntry->trigger();
    EXPECT_THAT(messages.shown, ElementsAre(StartsWith(kMelodyFileFault)));
}

TEST_F(FilesWindow, ClosingTheWindowEndsARunningMelody) {
    std::string text;
    for (int i = 0; i < 50; ++i)
        text += melodyLine(i % 20, 1); // whole notes: a long melody
    write(dir / "uzun.ses", text);
    window->melodyNameBox->setText(QStringLiteral("uzun"));
    duringLoop([&] { window->close(); });
    click(window->aç_kapa_buton);
    EXPECT_TRUE(!window->isVisible() && sound.patched.empty());
    EXPECT_FALSE(program->instrument.playingBack);
}

// A score of another program: listed beside the melodies (not the pitch table or the recording),
// reported and played on its strings.
TEST_F(FilesWindow, AScoreChosenFromTheListIsReportedAndPlayedOnItsStrings) {
    write(dir / "kayıt.txt", " 17 0 500\r\n");
    write(dir / "kisa.txt", "Kod\tNota53\tKoma53\tPay\tPayda\tMs\n9\tLa4\t305\t1\t4\t200\n"
                            "9\tEs\t-1\t1\t4\t200\n9\tSol4\t296\t1\t4\t200\n");
    click(window->open_ses_buton);
    for (const char* hidden : {"Dizek.txt", "kayıt.txt"})
        EXPECT_TRUE(
            window->melodyList->findItems(QString::fromUtf8(hidden), Qt::MatchExactly).isEmpty());
    chooseListEntry(window->melodyList, QStringLiteral("kisa.txt"));
    EXPECT_EQ(window->melodyNameBox->text(), QStringLiteral("kisa.txt"));

    click(window->aç_kapa_buton);
    EXPECT_THAT(messages.shown, ElementsAre(StartsWith("kisa.txt\n2 nota, en büyük sapma ")));
    EXPECT_TRUE(messages.asked.empty()); // playing asks nothing: a button keeps it as .ses
    EXPECT_THAT(sound.patched, ElementsAre(Pair(12, ::testing::_), Pair(13, ::testing::_)));
    EXPECT_FALSE(program->instrument.playingBack);
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("ses_kaydet_buton")),
                      Qt::LeftButton);
    EXPECT_EQ(messages.shown.back(), "kisa.ses kaydedildi");
    EXPECT_TRUE(std::filesystem::exists(dir / "kisa.ses"));
}

} // namespace
} // namespace zembera
