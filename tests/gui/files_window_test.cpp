// The makam, replay, melody, score and recording frames by real clicks and keys, some while a
// replay or melody plays from the window's own event loop (the files themselves: files tests).

#include "window_fixture.h"

#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>

#include "files/makam_file.h"
#include "files/record_file.h"
#include "shell/qt_messages.h"
#include "shell/turkish_translation.h"

namespace zembera {
namespace {

using test::melodyLine;
using Notes = std::vector<std::pair<int, int>>;

class FilesWindow : public test::WindowFixture {
  protected:
    std::filesystem::path kayit() const { return dir / "wavs" / "kayıt.txt"; }
    void pluck(QPoint at) { QTest::mouseClick(window->instrumentPicture, Qt::LeftButton, {}, at); }
    // Lets the window's event loop run until the piece playing has ended.
    bool untilIdle(int timeoutMs = 10000) {
        return QTest::qWaitFor([this] { return !program->instrument.playingBack; }, timeoutMs);
    }
    QStringList listed(QListWidget* list) {
        QStringList rows;
        for (int i = 0; i < list->count(); ++i)
            rows << list->item(i)->text();
        return rows;
    }
    // The strings of the recording file, in order.
    std::vector<int> recorded() {
        std::vector<int> strings;
        const std::string text = fileBytes(kayit());
        for (FieldReader reader(text, "kayıt.txt"); !reader.atEnd();)
            strings.push_back(readRecordEntry(reader).string);
        return strings;
    }
};

// A makam saved under its name is listed (hidden files not), chosen by a click and loaded; a
// makam without a name is refused. Files named in Windows-1254 by the old platform are listed
// decoded and open; MIDI files are listed with the scores whatever the case of their extension.
TEST_F(FilesWindow, MakamsAndMelodiesAreSavedListedAndOpened) {
    pos()[3] = -2;
    window->makamNameBox->setText(QString::fromUtf8("Uşşak"));
    click(window->save_buton);
    window->makamNameBox->clear();
    click(window->save_buton);
    EXPECT_EQ(messages.shown, std::vector<std::string>{"bir makam ismi girin"});
    write(dir / ".gizli.mkm", "");
    PerString<std::int16_t> saved{};
    saved[4] = 3;
    write(dir / "\xDE\xFEk.mkm", makamFileText(saved)); // "Şşk" in Windows-1254
    pos() = PerString<std::int16_t>{};
    click(window->open_buton);
    const QStringList makams = listed(window->makamList);
    EXPECT_EQ(makams.size(), 2) << makams.join(' ').toStdString();
    EXPECT_TRUE(makams.contains(QString::fromUtf8("Şşk.mkm")));
    chooseListEntry(window->makamList, QString::fromUtf8("Uşşak.mkm"));
    EXPECT_EQ(pos()[3], -2);
    EXPECT_EQ(window->makamNameBox->text(), QString::fromUtf8("Uşşak"));
    click(window->open_buton);
    chooseListEntry(window->makamList, QString::fromUtf8("Şşk.mkm"));
    EXPECT_EQ(pos(), saved);

    for (const char* name : {"parça.mid", "DANS.MIDI", "notlar.smf"})
        write(dir / name, "MThd");
    const std::string melody = melodyLine(0, 6) + melodyLine(15, 6) + melodyLine(3, 6, 2, 1);
    write(dir / "utf.ses", melody);
    write(dir / "\xDE\xFEk.ses", melody);
    window->tempoBar->setValue(30);
    window->melodyNameBox->setText(QStringLiteral("utf"));
    click(window->aç_kapa_buton);
    ASSERT_TRUE(untilIdle());
    const Notes expected = std::exchange(sound.patched, {});
    ASSERT_FALSE(expected.empty());
    click(window->open_ses_buton);
    const QStringList shown = listed(window->melodyList);
    for (const char* name : {"parça.mid", "DANS.MIDI", "Şşk.ses"})
        EXPECT_TRUE(shown.contains(QString::fromUtf8(name))) << name;
    EXPECT_FALSE(shown.contains(QStringLiteral("notlar.smf")));
    chooseListEntry(window->melodyList, QString::fromUtf8("Şşk.ses"));
    EXPECT_EQ(window->melodyNameBox->text(), QString::fromUtf8("Şşk"));
    click(window->aç_kapa_buton);
    ASSERT_TRUE(untilIdle());
    EXPECT_EQ(sound.patched, expected);
    EXPECT_EQ(messages.shown.size(), 1u);
}

// A replay ignores keys and clicks on the instrument; Rec and Play do nothing meanwhile; a pause
// cuts its note and shows "durduruldu", and as the message closes the next note starts; a stop
// ends it with the controls back.
TEST_F(FilesWindow, AReplayIgnoresTheKeysAndPausesAndStops) {
    write(kayit(), recordLine(5, 0, 30000) + recordLine(6, 0, 30000) + recordLine(7, 0, 30000));
    click(window->Play_buton);
    ASSERT_TRUE(program->instrument.playingBack);
    EXPECT_EQ(sound.patched, (Notes{{5, 0}}));
    EXPECT_TRUE(test::allPixels(window->replayLamp, test::kGreen));
    QTest::keyClick(handle(), Qt::Key_W);
    QTest::keyClick(handle(), Qt::Key_Right);
    pluck(QPoint(700, 30));
    QTest::mouseClick(window->mandalStrip, Qt::LeftButton, {}, QPoint(160, 30));
    click(window->rec_buton);
    click(window->Play_buton);
    sound.settle();
    EXPECT_TRUE(sound.opened.empty() && sound.images == 0);
    EXPECT_EQ(pos(), PerString<std::int16_t>{});
    EXPECT_FALSE(program->instrument.recording);
    QTest::qWait(30);
    const int stopsBefore = sound.stops;
    click(window->pause_buton);
    EXPECT_EQ(messages.shown, std::vector<std::string>{"durduruldu"});
    EXPECT_GT(sound.stops, stopsBefore);
    EXPECT_EQ(sound.patched, (Notes{{5, 0}, {6, 0}}));
    EXPECT_TRUE(program->instrument.playingBack);
    click(window->stop_buton);
    EXPECT_FALSE(program->instrument.playingBack);
    EXPECT_TRUE(window->Play_buton->isEnabled());
    EXPECT_FALSE(window->pause_buton->isEnabled());
    EXPECT_TRUE(test::allPixels(window->replayLamp, test::kWhite));
    QTest::qWait(50);
    EXPECT_EQ(sound.patched.size(), 2u);
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

    click(window->aç_kapa_buton);
    EXPECT_FALSE(program->instrument.playingBack);
    EXPECT_EQ(window->aç_kapa_buton->text(), QStringLiteral(">"));
    EXPECT_TRUE(window->makamFrame->isEnabled() && window->recordFrame->isEnabled());
    EXPECT_TRUE(test::allPixels(window->melodyCounter, test::kWhite));
    sound.settle();
    const auto played = sound.patched;
    const int stops = sound.stops;
    EXPECT_GT(stops, 0);
    QTest::qWait(100);
    EXPECT_EQ(sound.patched, played);
    EXPECT_EQ(sound.stops, stops);
    click(window->aç_kapa_buton);
    EXPECT_TRUE(program->instrument.playingBack);
    window.reset();
    QTest::qWait(50);
}

// A SymbTr score from the list shows its report and plays; "ses olarak kaydet" writes it as a
// melody.
TEST_F(FilesWindow, AScoreFromTheListPlaysAndIsSavedAsAMelody) {
    write(dir / "kisa.txt", "Kod\tNota53\tKoma53\tPay\tPayda\tMs\n9\tLa4\t305\t1\t4\t200\n"
                            "9\tEs\t-1\t1\t4\t200\n9\tSol4\t296\t1\t4\t200\n");
    click(window->open_ses_buton);
    chooseListEntry(window->melodyList, QStringLiteral("kisa.txt"));
    click(window->aç_kapa_buton);
    ASSERT_TRUE(untilIdle());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].starts_with("kisa.txt\n2 nota")) << messages.shown[0];
    EXPECT_EQ(sound.patched.size(), 2u);
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("ses_kaydet_buton")),
                      Qt::LeftButton);
    EXPECT_EQ(messages.shown.back(), "kisa.ses kaydedildi");
    EXPECT_TRUE(std::filesystem::exists(dir / "kisa.ses"));
}

// A recording keeps the plucked strings, a new one replaces the last, and closing the window
// ends it; closing asks in Turkish (the buttons too), and a session end does not ask.
TEST_F(FilesWindow, RecordingsKeepThePlucksAndClosingAsks) {
    write(kayit(), recordLine(5, 0, 100)); // an earlier recording
    click(window->rec_buton);
    EXPECT_TRUE(test::allPixels(window->recordLamp, test::kRed));
    for (QPoint at : {QPoint(700, 30), QPoint(300, 400), QPoint(700, 30)})
        pluck(at);
    click(window->stop_buton);
    EXPECT_EQ(recorded(), (std::vector<int>{1, 26, 1}));
    click(window->rec_buton);
    pluck(QPoint(300, 400));
    window->close();
    EXPECT_EQ(messages.asked, std::vector<std::string>{kCloseQuestion});
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(recorded(), std::vector<int>{26});

    ASSERT_TRUE(installTurkishTranslation()) << "qtbase_tr missing";
    const auto box = makeMessageBox("bir perde seçin", window.get());
    const auto question = makeQuestionBox(kCloseQuestion, window.get());
    EXPECT_EQ(box->button(QMessageBox::Ok)->text().remove('&'), QStringLiteral("Tamam"));
    EXPECT_EQ(question->button(QMessageBox::Yes)->text().remove('&'), QStringLiteral("Evet"));
    EXPECT_EQ(question->button(QMessageBox::No)->text().remove('&'), QString::fromUtf8("Hayır"));
    window->show();
    messages.answer = false;
    messages.asked.clear();
    QTest::mouseClick(window->exitButton, Qt::LeftButton);
    EXPECT_EQ(messages.asked.size(), 1u);
    EXPECT_TRUE(window->isVisible());
    window->setSessionEnding(true);
    window->close();
    EXPECT_EQ(messages.asked.size(), 1u);
    EXPECT_FALSE(window->isVisible());
}

// The tempo set by clicks on the scroll bar's arrows is the melody's: with a unit of 60 ms and
// then of 30 ms the notes start at their units times the unit after the first. The timer may be
// late, never early; the last onset less than 30% late tells both tempos from the start value 40.
TEST_F(FilesWindow, TheTempoBarSetByItsArrowsSpacesTheMelodysOnsets) {
    // Codes 4, 5, 4, 6: 8, 4, 8 and 2 units; notes 0..3 sound strings 4..7.
    write(dir / "tempo.ses",
          melodyLine(0, 4) + melodyLine(1, 5) + melodyLine(2, 4) + melodyLine(3, 6));
    const std::vector<int> units = {8, 4, 8, 2};
    window->melodyNameBox->setText(QStringLiteral("tempo"));
    const auto playAt = [&](int unitMs) {
        sound.startedMs.clear();
        sound.patched.clear();
        click(window->aç_kapa_buton);
        ASSERT_TRUE(untilIdle());
        ASSERT_EQ(sound.patched, (Notes{{4, 0}, {5, 0}, {6, 0}, {7, 0}}));
        ASSERT_EQ(sound.startedMs.size(), units.size());
        int before = 0; // units before the onset
        for (std::size_t i = 1; i < units.size(); ++i) {
            before += units[i - 1];
            const double measured = sound.startedMs[i] - sound.startedMs[0];
            EXPECT_GE(measured, before * unitMs - 5) << "onset " << i << " at " << unitMs;
        }
        const double last = sound.startedMs.back() - sound.startedMs[0];
        EXPECT_LT(last, before * unitMs * 1.3) << "at " << unitMs << " ms a unit";
    };
    QScrollBar* bar = window->tempoBar; // upright: the arrow raising the value at its foot
    const QPoint up(bar->width() / 2, bar->height() - 4), down(bar->width() / 2, 4);
    for (int i = 0; i < 10; ++i) // 40 + 10 small steps of 2
        QTest::mouseClick(bar, Qt::LeftButton, {}, up);
    ASSERT_EQ(window->tempoBar->value(), 60);
    playAt(60);
    for (int i = 0; i < 15; ++i)
        QTest::mouseClick(bar, Qt::LeftButton, {}, down);
    ASSERT_EQ(window->tempoBar->value(), 30);
    playAt(30);
    EXPECT_TRUE(messages.shown.empty());
}

} // namespace
} // namespace zembera
