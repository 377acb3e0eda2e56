// The makam, replay, melody, score and recording frames as one scenario of real clicks and keys,
// some while a replay or melody plays from the window's own event loop; after each step the
// transcript gets what the step could change and the window's line (see WindowFixture::note).

#include "window_fixture.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>
#include <set>

#include "files/makam_file.h"
#include "files/record_file.h"
#include "shell/qt_messages.h"
#include "shell/turkish_translation.h"

namespace zembera {
namespace {

using test::melodyLine;

class FilesWindow : public test::WindowFixture {
  protected:
    std::filesystem::path kayit() const { return dir / "wavs" / "kayıt.txt"; }
    void pluck(QPoint at) { QTest::mouseClick(window->instrumentPicture, Qt::LeftButton, {}, at); }
    // Lets the window's event loop run until the piece playing has ended.
    bool untilIdle(int timeoutMs = 10000) {
        return QTest::qWaitFor([this] { return !program->instrument.playingBack; }, timeoutMs);
    }
    void listed(const char* name, QLineEdit* box, QListWidget* list) {
        log << name << " \"" << box->text().toStdString() << "\"";
        for (int i = 0; list->isVisible() && i < list->count(); ++i)
            log << " " << list->item(i)->text().toStdString();
        log << ", ";
    }
    // Logs what a step could change: of the recording file only its strings (its times vary), of
    // the folder the files but the pitch table and samples; then the window's line.
    void record(const std::string& what) {
        log << what << ": ";
        listed("makam", window->makamNameBox, window->makamList);
        listed("ezgi", window->melodyNameBox, window->melodyList);
        log << "mandal 3 " << pos()[3] << " 9 " << pos()[9] << " 20 " << pos()[20]
            << ", göçürülmemiş " << program->instrument.untransposedShown << " ayar "
            << window->settingSwitch[1]->isChecked() << window->settingSwitch[2]->isChecked()
            << ", çalıyor " << program->instrument.playingBack << ", aç-kapa "
            << window->aç_kapa_buton->text().toStdString() << ", sayaç boş "
            << test::allPixels(window->melodyCounter, test::kWhite) << ", görünür "
            << window->isVisible() << ", sorulan";
        for (const QString& name : suggested)
            log << " " << std::filesystem::path(name.toStdString()).lexically_relative(dir);
        suggested.clear();
        log << ", kayıt";
        const std::string text = fileBytes(kayit());
        for (FieldReader reader(text, "kayıt.txt"); !reader.atEnd();)
            log << " " << readRecordEntry(reader).string;
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
            const std::string name = entry.path().lexically_relative(dir).generic_string();
            const auto ext = entry.path().extension();
            if (name == "Dizek.txt" || name.find("_026200_") != std::string::npos || ext == "")
                continue;
            const bool whole = ext == ".mkm" || ext == ".ses" || ext == ".wav";
            names.insert(name + (whole ? " " + std::to_string(entry.file_size()) : ""));
        }
        log << ", dosyalar";
        for (const std::string& name : names)
            log << " " << name;
        note("\n  pencere");
    }
    QStringList suggested; // the names the WAV entries suggest
};

// Makams saved, listed and loaded; replay, melody and score loops ignoring keys and stopping; WAV
// output; recording plucks and closing the window; the close question in Turkish.
TEST_F(FilesWindow, StepsMatchTheApprovedTranscript) {
    window->renderControls().askOutputFile = [&](const QString& name) {
        suggested.append(name);
        return QString::fromStdString((dir / "çıktı").string());
    };
    QAction* melodyWav = window->renderControls().button()->menu()->actions().at(0);
    pos()[3] = -2;
    pos()[20] = 7;
    window->makamNameBox->setText(QString::fromUtf8("Uşşak"));
    click(window->save_buton);
    window->settingSwitch[2]->setChecked(true);
    write(dir / ".gizli.mkm", "");
    write(dir / "Acem.mkm", "");
    click(window->open_buton);
    pos() = PerString<std::int16_t>{};
    window->makamNameBox->clear();
    record("Uşşak kaydedildi, liste açıldı");
    chooseListEntry(window->makamList, QString::fromUtf8("Uşşak.mkm"));
    record("Uşşak seçildi");
    window->makamNameBox->clear();
    click(window->save_buton);
    record("adsız kaydet");

    // The first note lasts long enough that the keys and clicks below arrive while it plays,
    // even on a loaded machine.
    write(kayit(), recordLine(5, 0, 600) + recordLine(9, 0, 5) + recordLine(14, 0, 5));
    pos()[9] = 2;
    click(window->Play_buton);
    record("çalarken");
    QTest::keyClick(handle(), Qt::Key_W);
    QTest::keyClick(handle(), Qt::Key_Right);
    pluck(QPoint(700, 30));
    QTest::mouseClick(window->mandalStrip, Qt::LeftButton, {}, QPoint(160, 30));
    ASSERT_TRUE(untilIdle());
    record("kayıt çalındı, W sağ çekme şerit yok sayıldı");
    write(kayit(), recordLine(5, 0, 30000) + recordLine(6, 0, 20) + recordLine(7, 0, 30000));
    QTimer::singleShot(200, window.get(), [&] {
        click(window->pause_buton);
        record("duraklat");
    });
    QTimer::singleShot(400, window.get(), [&] { click(window->stop_buton); });
    QElapsedTimer elapsed;
    elapsed.start();
    click(window->Play_buton);
    ASSERT_TRUE(untilIdle());
    log << "10 saniyeden kısa " << (elapsed.elapsed() < 10000) << "\n"; // loose on purpose
    record("dur");

    // A first note of 16 units (480 ms), so that the key E arrives while it plays.
    write(dir / "ezgi.ses", melodyLine(0, 3) + melodyLine(15, 6) + melodyLine(3, 6, 2, 1));
    window->tempoBar->setValue(30);
    click(window->open_ses_buton);
    chooseListEntry(window->melodyList, QStringLiteral("ezgi.ses"));
    record("ezgi seçildi");
    click(window->aç_kapa_buton);
    record("ezgi çalarken");
    QTest::keyClick(handle(), Qt::Key_E);
    ASSERT_TRUE(untilIdle());
    record("ezgi bitti, E yok sayıldı");
    melodyWav->trigger();
    record("ezgi WAV");
    window->melodyNameBox->setText("yok");
    melodyWav->trigger();
    record("olmayan ezgi WAV");

    write(dir / "kayıt.txt", " 17 0 500\r\n");
    write(dir / "kisa.txt", "Kod\tNota53\tKoma53\tPay\tPayda\tMs\n9\tLa4\t305\t1\t4\t200\n"
                            "9\tEs\t-1\t1\t4\t200\n9\tSol4\t296\t1\t4\t200\n");
    std::filesystem::remove(dir / "çıktı.wav");
    click(window->open_ses_buton);
    record("kisa.txt listede");
    chooseListEntry(window->melodyList, QStringLiteral("kisa.txt"));
    click(window->aç_kapa_buton);
    ASSERT_TRUE(untilIdle());
    record("kisa.txt çalındı");
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("ses_kaydet_buton")),
                      Qt::LeftButton);
    record("ses olarak kaydet");

    write(kayit(), recordLine(5, 0, 100)); // an earlier recording
    click(window->rec_buton);
    for (QPoint at : {QPoint(700, 30), QPoint(300, 400), QPoint(700, 30)})
        pluck(at);
    window->renderControls().button()->menu()->actions().at(1)->trigger();
    record("kayıtta üç çekme ve WAV");
    click(window->stop_buton);
    record("dur");
    click(window->rec_buton);
    pluck(QPoint(300, 400));
    window->close();
    record("kayıtta çekme ve pencere kapandı");

    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    std::string text;
    for (int i = 0; i < 50; ++i)
        text += melodyLine(i % 20, 1); // whole notes: a long melody
    write(dir / "uzun.ses", text);
    window->melodyNameBox->setText(QStringLiteral("uzun"));
    click(window->aç_kapa_buton);
    window->close();
    record("uzun ezgide pencere kapandı");

    // Closing asks in Turkish (the buttons too); a session end does not ask.
    ASSERT_TRUE(installTurkishTranslation()) << "qtbase_tr missing";
    const auto box = makeMessageBox("bir perde seçin", window.get());
    const auto question = makeQuestionBox(kCloseQuestion, window.get());
    for (QAbstractButton* b : {box->button(QMessageBox::Ok), question->button(QMessageBox::Yes),
                               question->button(QMessageBox::No)})
        log << b->text().remove('&').toStdString() << "\n";
    window->show();
    messages.answer = false;
    QTest::mouseClick(window->exitButton, Qt::LeftButton);
    record("çıkışa hayır");
    window->setSessionEnding(true);
    window->close();
    record("oturum sonunda kapandı");

    text = log.str();
    const std::string folder = dir.string();
    for (auto at = text.find(folder); at != std::string::npos; at = text.find(folder))
        text.replace(at, folder.size(), "<klasör>");
    test::expectGolden("gui/files_window.txt", text);
}

// A melody plays from the window's event loop: the click that starts it returns with its first
// note sounding, the loop runs other work while the piece goes on, and a click on the start/stop
// button ends it at once: cut, the controls back, nothing sounding after. A window destroyed
// while a piece plays leaves no timer behind.
TEST_F(FilesWindow, AMelodyPlaysWithTheEventLoopFreeAndAStopClickSilencesIt) {
    std::string text;
    for (int i = 0; i < 20; ++i)
        text += melodyLine(i % 20, 1); // whole notes: 64 units, about 2 s each at 30 ms per unit
    write(dir / "uzun.ses", text);
    window->tempoBar->setValue(30);
    window->melodyNameBox->setText(QStringLiteral("uzun"));
    click(window->aç_kapa_buton);
    EXPECT_TRUE(program->instrument.playingBack);
    EXPECT_EQ(sound.patched.size(), 1u);
    bool otherWorkRan = false;
    QTimer::singleShot(20, window.get(), [&] { otherWorkRan = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return otherWorkRan; }, 1000));
    EXPECT_TRUE(program->instrument.playingBack);
    EXPECT_EQ(window->aç_kapa_buton->text(), QStringLiteral("0"));
    EXPECT_FALSE(window->melodyFrame->isEnabled() && window->makamFrame->isEnabled());
    EXPECT_FALSE(test::allPixels(window->melodyCounter, test::kWhite));

    const int stopsBefore = sound.stops;
    click(window->aç_kapa_buton);
    EXPECT_FALSE(program->instrument.playingBack);
    EXPECT_GT(sound.stops, stopsBefore);
    EXPECT_EQ(window->aç_kapa_buton->text(), QStringLiteral(">"));
    EXPECT_TRUE(window->makamFrame->isEnabled());
    EXPECT_TRUE(window->recordFrame->isEnabled());
    EXPECT_TRUE(test::allPixels(window->melodyCounter, test::kWhite));
    const auto played = sound.patched;
    const int stops = sound.stops;
    QTest::qWait(100);
    EXPECT_EQ(sound.patched, played);
    EXPECT_EQ(sound.stops, stops);
    EXPECT_TRUE(messages.shown.empty());

    click(window->aç_kapa_buton);
    EXPECT_TRUE(program->instrument.playingBack);
    window.reset();
    QTest::qWait(50);
}

// A pause during a replay cuts its note and shows "durduruldu"; as the message closes, the next
// note starts at once and the replay goes on; a stop ends it. Rec and Play do nothing meanwhile.
TEST_F(FilesWindow, APauseShowsItsMessageAndTheReplayResumesWithTheNextNote) {
    write(kayit(), recordLine(5, 0, 30000) + recordLine(6, 0, 30000) + recordLine(7, 0, 30000));
    click(window->Play_buton);
    ASSERT_TRUE(program->instrument.playingBack);
    EXPECT_EQ(sound.patched, (std::vector<std::pair<int, int>>{{5, 0}}));
    click(window->rec_buton);
    click(window->Play_buton);
    EXPECT_FALSE(program->instrument.recording);
    QTest::qWait(30);
    const int stopsBefore = sound.stops;
    click(window->pause_buton);
    EXPECT_EQ(messages.shown, std::vector<std::string>{"durduruldu"});
    EXPECT_GT(sound.stops, stopsBefore);
    EXPECT_EQ(sound.patched, (std::vector<std::pair<int, int>>{{5, 0}, {6, 0}}));
    EXPECT_TRUE(program->instrument.playingBack);
    EXPECT_TRUE(window->stop_buton->isEnabled());
    click(window->stop_buton);
    EXPECT_FALSE(program->instrument.playingBack);
    EXPECT_TRUE(window->Play_buton->isEnabled());
    EXPECT_FALSE(window->pause_buton->isEnabled());
    EXPECT_TRUE(test::allPixels(window->replayLamp, qRgb(255, 255, 255)));
    QTest::qWait(50);
    EXPECT_EQ(sound.patched.size(), 2u);
}

// A makam file of the old platform, named in Windows-1254, is listed decoded and opens by a click.
TEST_F(FilesWindow, AMakamNamedInTheOldCodePageOpens) {
    PerString<std::int16_t> saved{};
    saved[4] = 3;
    write(dir / "\xDE\xFEk.mkm", makamFileText(saved)); // "Şşk" in Windows-1254
    click(window->open_buton);
    chooseListEntry(window->makamList, QString::fromUtf8("Şşk.mkm"));
    EXPECT_EQ(pos()[4], 3);
    EXPECT_EQ(window->makamNameBox->text(), QString::fromUtf8("Şşk"));
    EXPECT_TRUE(messages.shown.empty());
}

// The score list takes what the score readers take (scores::isScoreFile): MIDI files whatever
// the case of their extension, not a file the readers do not know.
TEST_F(FilesWindow, MidiFilesAreListedWithTheScores) {
    for (const char* name : {"parça.mid", "DANS.MIDI", "notlar.smf"})
        write(dir / name, "MThd");
    click(window->open_ses_buton);
    QStringList shown;
    for (int i = 0; i < window->melodyList->count(); ++i)
        shown << window->melodyList->item(i)->text();
    EXPECT_TRUE(shown.contains(QString::fromUtf8("parça.mid"))) << shown.join(' ').toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("DANS.MIDI")));
    EXPECT_FALSE(shown.contains(QStringLiteral("notlar.smf")));
}

// A melody of the old platform, named in Windows-1254, is listed decoded, chosen by a click and
// played by its own bytes: the same notes as the same melody under a UTF-8 name.
TEST_F(FilesWindow, AMelodyNamedInTheOldCodePagePlays) {
    const std::string melody = melodyLine(0, 6) + melodyLine(15, 6) + melodyLine(3, 6, 2, 1);
    write(dir / "utf.ses", melody);
    write(dir / "\xDE\xFEk.ses", melody); // "Şşk" in Windows-1254
    window->tempoBar->setValue(30);
    window->melodyNameBox->setText(QStringLiteral("utf"));
    click(window->aç_kapa_buton);
    ASSERT_TRUE(untilIdle());
    const auto expected = sound.patched;
    ASSERT_FALSE(expected.empty());
    ASSERT_TRUE(messages.shown.empty());
    sound.patched.clear();

    click(window->open_ses_buton);
    chooseListEntry(window->melodyList, QString::fromUtf8("Şşk.ses"));
    EXPECT_EQ(window->melodyNameBox->text(), QString::fromUtf8("Şşk"));
    click(window->aç_kapa_buton);
    ASSERT_TRUE(untilIdle());
    EXPECT_EQ(sound.patched, expected);
    EXPECT_TRUE(messages.shown.empty());
}

// Keeps, besides what the fake sound keeps, when each melody note starts.
class TimedSound : public test::FakeSound {
  public:
    TimedSound() { clock.start(); }
    void PlayPatchedSample(const PatchedSampleSource& source, int s, int m) override {
        startedMs.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        FakeSound::PlayPatchedSample(source, s, m);
    }
    QElapsedTimer clock;
    std::vector<double> startedMs;
};

class TempoWindow : public FilesWindow {
  protected:
    SoundOutput& output() override { return timed; }
    // Clicks an arrow of the tempo scroll bar where the window's style draws it:
    // QStyle::SC_ScrollBarAddLine one small step up the value, SC_ScrollBarSubLine one down.
    void clickTempoArrow(QStyle::SubControl arrow) {
        QScrollBar* bar = window->tempoBar;
        QStyleOptionSlider o;
        o.initFrom(bar);
        o.subControls = QStyle::SC_All;
        o.orientation = bar->orientation();
        o.minimum = bar->minimum();
        o.maximum = bar->maximum();
        o.sliderPosition = bar->sliderPosition();
        o.sliderValue = bar->value();
        o.singleStep = bar->singleStep();
        o.pageStep = bar->pageStep();
        o.upsideDown = bar->invertedAppearance();
        if (bar->orientation() == Qt::Horizontal) o.state |= QStyle::State_Horizontal;
        const QRect r = bar->style()->subControlRect(QStyle::CC_ScrollBar, &o, arrow, bar);
        QTest::mouseClick(handle(), Qt::LeftButton, {}, bar->mapTo(window.get(), r.center()));
    }
    TimedSound timed;
};

// The tempo set by clicks on the scroll bar's arrows is the melody's: with a unit of 60 ms and
// then of 30 ms the notes start at their units times the unit after the first. The timer may be
// late, never early: each onset lies no earlier than the rule's time, and the last less than 30%
// after it, which tells both tempos from the start value 40.
TEST_F(TempoWindow, TheTempoBarSetByItsArrowsSpacesTheMelodysOnsets) {
    // Codes 4, 5, 4, 6: 8, 4, 8 and 2 units; notes 0..3 sound strings 4..7.
    write(dir / "tempo.ses",
          melodyLine(0, 4) + melodyLine(1, 5) + melodyLine(2, 4) + melodyLine(3, 6));
    const std::vector<int> units = {8, 4, 8, 2};
    window->melodyNameBox->setText(QStringLiteral("tempo"));
    const auto playAt = [&](int unitMs) {
        timed.startedMs.clear();
        timed.patched.clear();
        click(window->aç_kapa_buton);
        ASSERT_TRUE(untilIdle());
        ASSERT_EQ(timed.patched,
                  (std::vector<std::pair<int, int>>{{4, 0}, {5, 0}, {6, 0}, {7, 0}}));
        ASSERT_EQ(timed.startedMs.size(), units.size());
        int before = 0; // units before the onset
        for (std::size_t i = 1; i < units.size(); ++i) {
            before += units[i - 1];
            const double rule = before * unitMs;
            const double measured = timed.startedMs[i] - timed.startedMs[0];
            EXPECT_GE(measured, rule - 5) << "onset " << i << " at " << unitMs << " ms a unit";
        }
        // Only the last onset is bounded above: the onsets keep to one clock, so a single late
        // wake-up under load moves one of them, and the last has the widest margin (180 ms at 30).
        const double last = timed.startedMs.back() - timed.startedMs[0];
        EXPECT_LT(last, before * unitMs * 1.3) << "at " << unitMs << " ms a unit";
    };
    for (int i = 0; i < 10; ++i) // 40 + 10 small steps of 2
        clickTempoArrow(QStyle::SC_ScrollBarAddLine);
    ASSERT_EQ(window->tempoBar->value(), 60);
    playAt(60);
    for (int i = 0; i < 15; ++i)
        clickTempoArrow(QStyle::SC_ScrollBarSubLine);
    ASSERT_EQ(window->tempoBar->value(), 30);
    playAt(30);
    EXPECT_TRUE(messages.shown.empty());
}

} // namespace
} // namespace zembera
