// What the letter keys sound after makams in every pitch system, the levels, the resets and the
// report's "Mandalları hazırla", and the status frame, on the window over the real pitch table and
// scales of the test's own: expected pitches come from the .scl files and the 79-tone layout, the
// sound is measured from the mixer after real key presses.

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <cerrno>
#include <cmath>

#include "midi/alsa_midi_ports.h"
#include "midi/fake_midi_ports.h"
#include "midi/midi_player.h"
#include "notation/pitch_panel.h"
#include "scores/score_player.h"
#include "shell/midi_control.h"
#include "shell/status_frame.h"
#include "support/fold_table.h"
#include "support/wav_files.h"
#include "window_fixture.h"

namespace zembera {
namespace {

class MakamSystems : public test::WindowFixture {
  protected:
    int sampleFrames() const override { return 60000; } // no note ends while it is measured
    SoundPort& output() override { return heard.attach(*program); }
    void prepareFolder() override {
        useBundled({"Dizek.txt", "glyphs.png", "sistemler"});
        for (const char* makam : {"Rast", "Hicaz", "Nihavent"})
            std::filesystem::copy_file(std::string(ZEMBERA_SOURCE_DIR) + "/data/" + makam + ".mkm",
                                       dir / (std::string(makam) + ".mkm"));
        write(dir / "oniki.scl", test::equalScaleText(12));
        write(dir / "elliuc.scl", test::equalScaleText(53));
        write(dir / "saf.scl", "! saf.scl\nsaf\n 12\n 16/15\n 9/8\n 6/5\n 5/4\n 4/3\n 45/32\n 3/2\n"
                               " 8/5\n 5/3\n 9/5\n 15/8\n 2/1\n"); // just: unequal steps
    }
    // Holds string s's letter key, measures what sounds, releases it: cents above C4.
    double keyCents(int s) {
        const auto key = static_cast<Qt::Key>(Qt::Key_A + (program->keyNames[s].back() - 'A'));
        heard.platform->endNote(Voice::memoryChannel());
        heard.render(1000); // the note before dies away
        QTest::keyPress(handle(), key);
        const std::vector<std::int16_t> sound = heard.render(8000);
        QTest::keyRelease(handle(), key);
        settleRelease();
        return 1200 * std::log2(test::measuredHz({sound.begin() + 1000, sound.end()}) / 262);
    }
    void loadMakam(const std::string& file) {
        click(window->open_buton);
        chooseListEntry(window->makamList, QString::fromStdString(file));
        window->instrumentPicture->setFocus();
    }
    double nearestReached(const test::SclPitches& scale, int s, double cents) const {
        return test::nearestReached(scale, s, program->instrument.mandalMin[s],
                                    program->instrument.mandalMax[s], cents);
    }
    QString statusLine(StatusLine which) { return window->status().line(which)->text(); }
    // Cents of the 79-tone scale's degree `steps` from string s's open degree.
    double degreeCents(int s, int steps) const {
        return y79.at(test::nearestDegree(y79, test::naturalOf(s).cents()) + steps);
    }
    // The panel as it would be drawn for the instrument's state now.
    QImage panelNow() {
        CanvasImage fresh(window->pitchPanel->canvas().width(),
                          window->pitchPanel->canvas().height(), qRgb(255, 224, 192));
        etiket(fresh, program->instrument, program->tuning, program->tables);
        return fresh.image();
    }

    const test::SclPitches y79 =
        test::readScl(std::string(ZEMBERA_SOURCE_DIR) + "/tools/tunings/79-159.scl");
    test::RenderedSound heard;
};

// A makam written in Yarman 79, loaded while a scale of the user's sounds: each string where that
// scale is nearest the file's Yarman pitch (string 12 heard so, its fine tuning on top), SÜPÜRDE
// again, "≈" in the status line; A/B back to Yarman 79 gives the file's own positions. A broken
// file changes nothing, not even the name box or the level, and its message names the file, line
// and fault.
TEST_F(MakamSystems, AMakamLoadsInEverySystemAtTheNearestPitches) {
    const std::pair<const char*, const char*> cases[] = {
        {"oniki.scl", "Rast"}, {"elliuc.scl", "Hicaz"}, {"saf.scl", "Nihavent"}};
    QTest::mouseClick(window->fineTuningPicture, Qt::LeftButton, {}, QPoint(10, 20)); // +2
    window->makamNameBox->setText(QStringLiteral("önceki"));
    click(window->pitchLevelButtons[2]);      // MANSUR
    write(dir / "bozuk.mkm", "0,0,0,0,11,0"); // string 5 reaches 10 in Yarman 79
    const PerString<std::int16_t> before = pos();
    loadMakam("bozuk.mkm");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].ends_with("\nbozuk.mkm dosyasının 1. satırında hata: mandal "
                                            "konumu -7 ile 10 arasında olmalı, \"11\" bulundu"));
    EXPECT_EQ(pos(), before);
    EXPECT_EQ(window->makamNameBox->text(), QStringLiteral("önceki"));
    EXPECT_TRUE(window->pitchLevelButtons[2]->isChecked());
    for (const auto& [scl, makam] : cases) {
        SCOPED_TRACE(scl);
        ASSERT_TRUE(window->systemControls().openScale(dir / scl));
        click(window->pitchLevelButtons[2]);
        loadMakam(std::string(makam) + ".mkm");
        EXPECT_TRUE(window->pitchLevelButtons[5]->isChecked());
        PerString<std::int16_t> file{};
        std::ifstream in(dir / (std::string(makam) + ".mkm"));
        for (int s = 1; s <= kStringCount; ++s) {
            in >> file[s];
            const double expected = nearestReached(test::readScl((dir / scl).string()), s,
                                                   test::yarmanCents(y79, s, file[s]));
            EXPECT_NEAR(program->tables.centTable(s, pos()[s]), expected, 1e-6) << s;
            if (s == 12) {
                EXPECT_NEAR(keyCents(s), expected + 2, 1.0);
            }
        }
        EXPECT_EQ(statusLine(StatusLine::makam), QString::fromUtf8(makam) + " ≈");
        click(window->systemControls().swapButton);
        EXPECT_EQ(pos(), file);
        EXPECT_FALSE(statusLine(StatusLine::makam).contains(QStringLiteral("≈")));
    }
}

// "Mandalları hazırla" sets the strings the score starts on once and closes the report: nothing
// plays, the report is not shown again, and the letter key of the prepared string sounds it.
TEST_F(MakamSystems, PreparingTheMandalsClosesTheReportAndTheKeysPlay) {
    write(dir / "diyez.musicxml",
          "<score-partwise><part-list/><part id=\"P1\"><measure number=\"1\"><attributes>"
          "<divisions>1</divisions></attributes><note><pitch><step>F</step><alter>1</alter>"
          "<octave>4</octave></pitch><duration>1</duration></note></measure></part>"
          "</score-partwise>");
    window->melodyNameBox->setText(QStringLiteral("diyez.musicxml"));
    messages.choices = {1};
    click(window->aç_kapa_buton);
    ASSERT_EQ(messages.offered.size(), 1u);
    EXPECT_EQ(messages.offered[0][1], scores::kPrepareMandalsCaption);
    EXPECT_FALSE(program->instrument.playingBack);
    const double sharp = test::yarmanCents(y79, 14, pos()[14]); // F sharp on the F string
    EXPECT_LT(std::abs(sharp - 600), 15.1);
    EXPECT_NEAR(keyCents(14), sharp, 1.0);
}

// The status lines follow the system list, A/B, the space bar, a scale opened with "Aç", a makam
// and a MIDI keyboard plugged in; each fits its 1× width in every wording of the program (a long
// name of the user's shortened in the middle), in full in the hint; the MIDI box's status fits
// its box whatever keeps the sequencer away.
TEST_F(MakamSystems, TheStatusLinesFollowEveryChangeAndFit) {
    StatusFrame& status = window->status();
    status.setSoundDriver("pulseaudio");
    const auto fits = [&](const std::string& what) {
        for (StatusLine l :
             {StatusLine::system, StatusLine::makam, StatusLine::midi, StatusLine::sound}) {
            const QLabel* line = status.line(l);
            EXPECT_LE(QFontMetrics(line->font()).horizontalAdvance(line->text()), line->width())
                << what << ": " << line->text().toStdString();
            EXPECT_TRUE(status.fullText().contains(status.fullLine(l))) << what;
        }
    };
    QComboBox* list = window->systemControls().list;
    for (int i = 0; i < list->count(); ++i) { // the popup's clicks: tuning_window_test
        ASSERT_TRUE(window->systemControls().choose(i));
        EXPECT_EQ(status.fullLine(StatusLine::system), "ses sistemi: " + list->itemText(i));
        fits(list->itemText(i).toStdString());
    }
    click(window->systemControls().swapButton);
    EXPECT_EQ(statusLine(StatusLine::system), list->itemText(list->count() - 2));
    ASSERT_TRUE(window->systemControls().openScale(dir / "saf.scl"));
    EXPECT_EQ(statusLine(StatusLine::system), QStringLiteral("saf"));
    for (const char* makam : {"Nihavent", "Rast"}) {
        loadMakam(std::string(makam) + ".mkm");
        EXPECT_EQ(statusLine(StatusLine::makam), QString::fromUtf8(makam) + " ≈");
        fits(makam);
    }
    status.setSystem(QStringLiteral("yarman-79-ton-genisletilmis-deneme"));
    status.setMakam(QStringLiteral("uzun-bir-makam-adi-deneme"), QStringLiteral("12 eşit"));
    fits("long names");

    const std::string reasons[] = {sequencerFailure(false, 0), sequencerFailure(true, -EACCES),
                                   sequencerFailure(true, -EBUSY), sequencerFailure(true, -EIO),
                                   ""};
    MpeNotes mpe;
    MidiPlayer player(MidiPlayerParts{program->instrument, program->tables,
                                      program->tuning.tuningOffset, *heard.platform, *window});
    for (const std::string& reason : reasons) {
        auto ports = std::make_unique<test::FakeMidiPorts>();
        ports->why = reason;
        test::FakeMidiPorts& machine = *ports;
        MidiControl midi(window.get(), player, mpe, std::move(ports));
        placeMidiControl(midi);
        midi.onStatus = [&](const QString& full, const QString& brief) {
            status.setMidi(full, brief);
        };
        machine.present.push_back(test::kKeys); // plugged in
        midi.rescan();
        EXPECT_EQ(status.fullLine(StatusLine::midi), midi.status->text());
        fits(midi.status->text().toStdString());
        const QRect wrapped = QFontMetrics(midi.status->font())
                                  .boundingRect(QRect(0, 0, midi.status->width(), 1000),
                                                Qt::TextWordWrap, midi.status->text());
        EXPECT_LE(wrapped.height(), midi.status->height()) << reason;
        EXPECT_LE(midi.status->geometry().bottom(), midi.contentsRect().bottom()) << reason;
    }
    EXPECT_EQ(statusLine(StatusLine::midi), QStringLiteral("MIDI: 1 giriş"));
    // Without a sound device a red line, and a hint that the WAV output still works.
    const auto redPixels = [&] {
        const QImage shown = window->emptyFrame->grab().toImage();
        int red = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                const QColor c = shown.pixelColor(x, y);
                red += c.red() > 150 && c.green() < 90 && c.blue() < 90;
            }
        return red;
    };
    EXPECT_EQ(statusLine(StatusLine::sound), QStringLiteral("pulseaudio"));
    EXPECT_EQ(redPixels(), 0);
    for (const char* silent : {"dummy", ""}) {
        status.setSoundDriver(silent);
        EXPECT_EQ(statusLine(StatusLine::sound), QString::fromUtf8(kNoSoundDeviceLine));
        EXPECT_GT(redPixels(), 20);
        EXPECT_TRUE(window->emptyFrame->toolTip().contains(QStringLiteral("WAV")));
        status.setSoundDriver("disk"); // SDL's file output is heard later: a device
        EXPECT_FALSE(status.soundMissing());
    }
    EXPECT_TRUE(messages.shown.empty()) << "the status line tells it, no box";
    status.setScaleFallback(1.5, 1.0); // "Büyüt" told in the MIDI line for a while
    EXPECT_EQ(statusLine(StatusLine::midi), QStringLiteral("1,5× sığmaz"));
    fits("Büyüt");
}

// Rast (F strings +6, B strings -1), then ŞAH (every note 46 degrees lower, four strings down),
// back to SÜPÜRDE, MANDAL RESET, a fine tuning and AKORD RESET: each time the letter key sounds
// the string where it stands now, within a cent (the load, the levels and the resets move the
// strings without the player). Strings 14, 11, 18 and 15 are F, A, K and G.
TEST_F(MakamSystems, LetterKeysSoundTheStringsWhereTheyStandNow) {
    for (int s : {14, 11}) // prepared at the open strings
        keyCents(s);
    loadMakam("Rast.mkm");
    EXPECT_NEAR(keyCents(14), degreeCents(14, 6), 1);
    EXPECT_NEAR(keyCents(11), degreeCents(11, -1), 1);

    // ŞAH: the F of string 14 sounds on string 18, the B of string 11 on string 15.
    click(window->pitchLevelButtons[1]);
    window->instrumentPicture->setFocus();
    // The panel and the staff follow the selected string (A's) to its transposed position.
    EXPECT_EQ(window->pitchPanel->canvas().image(), panelNow());
    EXPECT_NEAR(keyCents(18), degreeCents(14, 6 - 46), 1);
    EXPECT_NEAR(keyCents(15), degreeCents(11, -1 - 46), 1);
    click(window->pitchLevelButtons[5]);
    window->instrumentPicture->setFocus();
    EXPECT_NEAR(keyCents(18), degreeCents(18, -1), 1);
    EXPECT_NEAR(keyCents(14), degreeCents(14, 6), 1);

    QTest::mouseClick(window->mandalResetButton, Qt::LeftButton);
    window->instrumentPicture->setFocus();
    EXPECT_NEAR(keyCents(14), degreeCents(14, 0), 1);
    // F is selected: +2 cents, then AKORD RESET.
    QTest::mouseClick(window->fineTuningPicture, Qt::LeftButton, {}, QPoint(10, 20));
    EXPECT_NEAR(keyCents(14), degreeCents(14, 0) + 2, 0.5);
    QTest::mouseClick(window->tuningResetButton, Qt::LeftButton);
    window->instrumentPicture->setFocus();
    EXPECT_NEAR(keyCents(14), degreeCents(14, 0), 0.5);
}

// "Teller tınlasın": off by default; on, a pluck lets the string before ring on.
TEST_F(MakamSystems, TheRingingCheckBoxLetsThePluckedStringsRingOn) {
    QCheckBox* check = window->stringsRingCheck;
    EXPECT_FALSE(check->isChecked() || program->instrument.stringsRing);
    EXPECT_EQ(check->text(), QString::fromUtf8("Teller tınlasın"));
    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(5, check->height() / 2));
    EXPECT_TRUE(program->instrument.stringsRing);
    EXPECT_TRUE(window->instrumentPicture->hasFocus());

    // String 17 plucked by its arrow-selected note, then string 12 by the arrow above: both
    // sound, so what is heard is no longer string 12 alone.
    InstrumentPlayer& player = window->player();
    program->instrument.currentString = 18;
    player.Form_KeyDown(kKeyUp); // string 17
    heard.render(2000);
    program->instrument.currentString = 13;
    player.Form_KeyDown(kKeyUp); // string 12
    const std::vector<std::int16_t> both = heard.render(4000);
    const engine::Note twelve = heard.engine.prepareNote(
        12, soundingCents(program->tables, program->tuning.tuningOffset, 12, pos()[12]),
        engine::Resampling::stepped);
    const std::vector<std::int16_t> alone(
        twelve.frames.get(), twelve.frames.get() + std::min<std::size_t>(twelve.count, 8000));
    double rest = 0; // energy beyond string 12's own
    for (std::size_t i = 0; i < both.size() && i < alone.size(); ++i)
        rest += std::pow(both[i] - alone[i], 2);
    EXPECT_GT(rest / static_cast<double>(both.size()), 1e5); // string 17 still rings (~3e7)
}

} // namespace
} // namespace zembera
