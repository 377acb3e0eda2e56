// The makam, recording and melody frames driven by real clicks and keys, also from inside the
// replay and melody loops: the widgets reach their handlers and show what they do. Each step is
// logged (see WindowFixture::note) and the log compared with its approved copy.

#include "window_fixture.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

#include "files/melody_file.h"
#include "files/record_file.h"
#include "render/offline_render.h"

namespace zembera {
namespace {

using ::testing::ElementsAre;

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
    void listed(QListWidget* list) {
        log << "liste:";
        for (int i = 0; i < list->count(); ++i)
            log << " " << list->item(i)->text().toStdString();
        log << "\n";
    }
};

// Saved, the makam is listed at once (hidden files are not) and loads back in the untransposed
// view with its name; saving without a name is told.
TEST_F(FilesWindow, SavedMakamIsListedAtOnceAndLoadsBackInTheUntransposedView) {
    pos()[3] = -2;
    pos()[20] = 7;
    window->makamNameBox->setText(QString::fromUtf8("Uşşak"));
    click(window->save_buton);
    window->settingSwitch[2]->setChecked(true);
    write(dir / ".gizli.mkm", "");
    write(dir / "Acem.mkm", "");
    click(window->open_buton);
    listed(window->makamList);
    pos() = PerString16{};
    window->makamNameBox->clear();
    chooseListEntry(window->makamList, QString::fromUtf8("Uşşak.mkm"));
    EXPECT_TRUE(!window->makamList->isVisible() && window->settingSwitch[1]->isChecked());
    EXPECT_TRUE(program->instrument.untransposedShown);
    EXPECT_EQ(window->makamNameBox->text(), QString::fromUtf8("Uşşak"));
    EXPECT_THAT(std::pair(pos()[3], pos()[20]), ::testing::Pair(-2, 7));
    note("Uşşak açıldı");
    window->makamNameBox->clear();
    click(window->save_buton);
    note("adsız kaydet");
    test::expectGolden("gui/makam.txt", log.str());
}

// The lamp lights and the other frames rest while recording; the WAV button writes nothing then;
// one line a pluck; closing the window keeps a recording made so far.
TEST_F(FilesWindow, RecordingLightsItsLampWritesOneLinePerPluckAndClosingKeepsIt) {
    write(kayit(), recordLine(5, 0, 100)); // an earlier recording
    click(window->rec_buton);
    for (QPoint at : {QPoint(700, 30), QPoint(300, 400), QPoint(700, 30)})
        pluck(at);
    window->renderControls().askOutputFile = [&](const QString&) {
        ADD_FAILURE() << "asked for a file while recording";
        return QString();
    };
    window->renderControls().button()->menu()->actions().at(1)->trigger();
    note("kayıtta üç çekme ve WAV");
    click(window->stop_buton);
    EXPECT_THAT(recordedStrings(), ElementsAre(1, 26, 1));
    note("dur");
    click(window->rec_buton);
    pluck(QPoint(300, 400));
    window->close();
    ASSERT_FALSE(window->isVisible());
    EXPECT_THAT(recordedStrings(), ElementsAre(26));
    EXPECT_FALSE(std::filesystem::exists(dir / "wavs" / kRecordTemporaryName));
    test::expectGolden("gui/recording.txt", log.str());
}

// The replay shows its lamp and ignores keys, plucks and strip clicks while it runs; pause and
// stop clicks made while a 30-second note sounds act at once (the onsets are measured in bench/).
TEST_F(FilesWindow, ReplayIgnoresTheInstrumentAndStopsAtOnce) {
    write(kayit(), recordLine(5, 0, 5) + recordLine(9, 0, 5) + recordLine(14, 0, 5));
    pos()[9] = 2;
    duringLoop([&] {
        note("çalarken");
        QTest::keyClick(handle(), Qt::Key_W);
        QTest::keyClick(handle(), Qt::Key_Right);
        pluck(QPoint(700, 30));
        QTest::mouseClick(window->mandalStrip, Qt::LeftButton, {}, QPoint(160, 30));
    });
    click(window->Play_buton);
    note("çaldı, W sağ çekme şerit yok sayıldı");

    write(kayit(), recordLine(5, 0, 30000) + recordLine(6, 0, 20) + recordLine(7, 0, 30000));
    QTimer::singleShot(200, window.get(), [&] {
        click(window->pause_buton);
        note("duraklat");
    });
    QTimer::singleShot(400, window.get(), [&] { click(window->stop_buton); });
    QElapsedTimer elapsed;
    elapsed.start();
    click(window->Play_buton);
    EXPECT_LT(elapsed.elapsed(), 10000); // loose on purpose
    note("dur");
    test::expectGolden("gui/replay.txt", log.str());
}

// A melody chosen from the list plays with its counter and tempo (a conditional note at its file
// mandal) and is written out as a WAV file of three notes of 2 units at 30 ms.
TEST_F(FilesWindow, AMelodyChosenFromTheListPlaysWithItsCounterAndTempoAndIsWrittenOut) {
    write(dir / "ezgi.ses", melodyLine(0, 6) + melodyLine(15, 6) + melodyLine(3, 6, 2, 1));
    window->tempoBar->setValue(30);
    click(window->open_ses_buton);
    chooseListEntry(window->melodyList, QStringLiteral("ezgi.ses"));
    EXPECT_FALSE(window->melodyList->isVisible());
    EXPECT_EQ(window->melodyNameBox->text(), QStringLiteral("ezgi"));
    duringLoop([&] {
        EXPECT_EQ(window->aç_kapa_buton->text(), QStringLiteral("0"));
        EXPECT_GT(test::countColor(window->melodyCounter->canvas(), test::kBlack), 0);
        note("ezgi çalarken");
        QTest::keyClick(handle(), Qt::Key_E);
    });
    click(window->aç_kapa_buton);
    EXPECT_EQ(window->aç_kapa_buton->text(), QStringLiteral(">"));
    EXPECT_TRUE(test::allPixels(window->melodyCounter, test::kWhite) &&
                !program->instrument.playingBack);
    note("ezgi bitti, E yok sayıldı");

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
    EXPECT_THAT(messages.shown, ElementsAre(::testing::StartsWith(kMelodyFileFault)));
    messages.shown.clear();
    test::expectGolden("gui/melody.txt", log.str());

    // Closing the window ends a running melody.
    std::string text;
    for (int i = 0; i < 50; ++i)
        text += melodyLine(i % 20, 1); // whole notes: a long melody
    write(dir / "uzun.ses", text);
    window->melodyNameBox->setText(QStringLiteral("uzun"));
    duringLoop([&] { window->close(); });
    click(window->aç_kapa_buton);
    EXPECT_TRUE(!window->isVisible() && sound.patched.empty() && !program->instrument.playingBack);
}

// A score of another program: listed beside the melodies (not the pitch table or the recording),
// reported, played on its strings without a question, and kept as .ses by a button.
TEST_F(FilesWindow, AScoreChosenFromTheListIsReportedAndPlayedOnItsStrings) {
    write(dir / "kayıt.txt", " 17 0 500\r\n");
    write(dir / "kisa.txt", "Kod\tNota53\tKoma53\tPay\tPayda\tMs\n9\tLa4\t305\t1\t4\t200\n"
                            "9\tEs\t-1\t1\t4\t200\n9\tSol4\t296\t1\t4\t200\n");
    click(window->open_ses_buton);
    listed(window->melodyList);
    chooseListEntry(window->melodyList, QStringLiteral("kisa.txt"));
    EXPECT_EQ(window->melodyNameBox->text(), QStringLiteral("kisa.txt"));
    click(window->aç_kapa_buton);
    EXPECT_FALSE(program->instrument.playingBack);
    note("kisa.txt çalındı");
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("ses_kaydet_buton")),
                      Qt::LeftButton);
    EXPECT_TRUE(std::filesystem::exists(dir / "kisa.ses"));
    note("ses olarak kaydet");
    test::expectGolden("gui/score.txt", log.str());
}

} // namespace
} // namespace zembera
