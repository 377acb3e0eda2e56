// Makams in every pitch system, the report's "Mandalları hazırla", and the status frame following
// every change, on the window over the real pitch table and scales of the test's own: the
// expected pitches come from the .scl files and the 79-tone layout, the sound is measured from
// the mixer's output after real key presses.

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <cerrno>
#include <cmath>

#include "files/makam_file.h"
#include "instrument/service_output.h"
#include "midi/alsa_midi_ports.h"
#include "midi/fake_midi_ports.h"
#include "midi/midi_player.h"
#include "scores/score_player.h"
#include "shell/midi_control.h"
#include "shell/status_frame.h"
#include "shell/system_controls.h"
#include "sound/sound_test_support.h"
#include "support/fold_table.h"
#include "window_fixture.h"

namespace zembera {
namespace {

const test::SclPitches& yarman79() {
    static const test::SclPitches scale =
        test::readScl(std::string(ZEMBERA_SOURCE_DIR) + "/tools/tunings/79-159.scl");
    return scale;
}

// A just 12-tone scale: unequal steps, written as ratios.
const char* const kJustScale = "! saf.scl\nsaf\n 12\n 16/15\n 9/8\n 6/5\n 5/4\n 4/3\n 45/32\n 3/2\n"
                               " 8/5\n 5/3\n 9/5\n 15/8\n 2/1\n";

class MakamSystems : public test::WindowFixture {
  protected:
    // Long enough that no note ends within a measurement.
    int sampleFrames() const override { return 60000; }
    SoundOutput& output() override { return serviceOutput; }
    void prepareFolder() override {
        useBundled({"Dizek.txt", "glyphs.png", "sistemler"});
        for (const char* makam : {"Rast", "Hicaz", "Nihavent"})
            std::filesystem::copy_file(std::string(ZEMBERA_SOURCE_DIR) + "/data/" + makam + ".mkm",
                                       dir / (std::string(makam) + ".mkm"));
        write(dir / "oniki.scl", test::equalScaleText(12));
        write(dir / "elliuc.scl", test::equalScaleText(53));
        write(dir / "saf.scl", kJustScale);
    }

    // Holds string s's letter key, measures what sounds, releases it: cents above C4.
    double keyCents(int s) {
        const auto key = static_cast<Qt::Key>(Qt::Key_A + (program->keyNames[s].back() - 'A'));
        rig.sound.StopAllSound();
        QTest::keyPress(handle(), key);
        const std::vector<std::int16_t> heard = rig.render(8000);
        QTest::keyRelease(handle(), key);
        settleRelease();
        const std::vector<std::int16_t> steady(heard.begin() + 1000, heard.end());
        return 1200 * std::log2(test::measuredHz(steady) / 262);
    }
    void loadMakam(const std::string& file) {
        click(window->open_buton);
        chooseListEntry(window->makamList, QString::fromStdString(file));
        window->instrumentPicture->setFocus();
    }
    // Of the degrees of `scale` string s reaches now (one per position of its range from the
    // degree nearest its written natural), the one nearest `cents`.
    double nearestReached(const test::SclPitches& scale, int s, double cents) const {
        const int open = test::nearestDegree(scale, test::naturalOf(s).cents());
        double best = scale.at(open + program->instrument.mandalMin[s]);
        for (int d = open + program->instrument.mandalMin[s];
             d <= open + program->instrument.mandalMax[s]; ++d)
            if (std::abs(scale.at(d) - cents) < std::abs(best - cents)) best = scale.at(d);
        return best;
    }
    QString statusLine(StatusLine which) { return window->status().line(which)->text(); }

    test::ServiceRig rig;
    test::ServiceOutput serviceOutput{rig.sound};
};

PerString<std::int16_t> filePositions(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return readMakamFile(std::string(std::istreambuf_iterator<char>(in), {}), "x");
}

// A makam written in Yarman 79 loaded while a scale of the user's sounds: each string where that
// scale sounds nearest the file's Yarman pitch, heard so (the fine tuning of string 12 on top),
// the pitch level back at SÜPÜRDE, "≈" in the status line; A/B back to Yarman 79 gives the file's
// own positions.
TEST_F(MakamSystems, AMakamLoadsInEverySystemAtTheNearestPitches) {
    struct Case {
        const char* scale;
        const char* makam;
    };
    const Case cases[] = {{"oniki.scl", "Rast"}, {"elliuc.scl", "Hicaz"}, {"saf.scl", "Nihavent"}};
    // String 12 selected: +2 cents.
    QTest::mouseClick(window->fineTuningPicture, Qt::LeftButton, {}, QPoint(10, 20));
    ASSERT_EQ(program->tuning.tuningOffset[12], 2.0F);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        ASSERT_TRUE(window->systemControls().openScale(dir / c.scale));
        click(window->pitchLevelButtons[2]); // MANSUR: the load goes back to SÜPÜRDE
        const test::SclPitches scale = test::readScl((dir / c.scale).string());
        const PerString<std::int16_t> file = filePositions(dir / (std::string(c.makam) + ".mkm"));
        loadMakam(std::string(c.makam) + ".mkm");
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_TRUE(window->pitchLevelButtons[5]->isChecked());
        for (int s = 1; s <= kStringCount; ++s) {
            const double expected =
                nearestReached(scale, s, test::yarmanCents(yarman79(), s, file[s]));
            EXPECT_NEAR(program->tables.centTable(s, pos()[s]), expected, 1e-6) << s;
            if (file[s] == 0 && s != 12) continue;
            EXPECT_NEAR(keyCents(s), expected + program->tuning.tuningOffset[s], 1.0) << s;
        }
        EXPECT_EQ(statusLine(StatusLine::makam), QString::fromUtf8(c.makam) + " ≈");
        EXPECT_TRUE(window->status().fullText().contains(QString::fromUtf8("en yakın")));

        click(window->systemControls().swapButton);
        EXPECT_EQ(pos(), file);
        EXPECT_EQ(statusLine(StatusLine::system), QStringLiteral("Yarman 79"));
        EXPECT_TRUE(statusLine(StatusLine::makam).endsWith(QString::fromUtf8(c.makam)));
    }
    EXPECT_EQ(program->tuning.tuningOffset[12], 2.0F);
}

// A broken makam file is refused whole, whatever system sounds: the message names the file, the
// line and the fault (ranges are Yarman 79's), and nothing changes, not even the name box.
TEST_F(MakamSystems, ABrokenMakamFileChangesNothing) {
    struct Case {
        const char* file;
        const char* text;
        const char* told; // besides the file's name
    };
    const Case cases[] = {
        {"eksik.mkm", "1\r\n2\r\n3\r\n", "3. satırında hata: dosya beklenenden önce bitiyor"},
        {"harf.mkm", "1\r\n2\r\nüç\r\n", "3. satırında hata: mandal konumu için sayı"},
        {"uzun.mkm", "0,0,0,0,11,0", "1. satırında hata: mandal konumu -7 ile 10 arasında"},
    };
    ASSERT_TRUE(window->systemControls().openScale(dir / "oniki.scl"));
    loadMakam("Rast.mkm");
    click(window->pitchLevelButtons[2]);
    window->makamNameBox->setText(QStringLiteral("önceki"));
    const PerString<std::int16_t> before = pos();
    const QString status = window->status().fullText();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        write(dir / c.file, c.text);
        messages.shown.clear();
        loadMakam(c.file);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_NE(messages.shown[0].find(std::string(c.file) + " dosyasının " + c.told),
                  std::string::npos)
            << messages.shown[0];
        EXPECT_EQ(pos(), before);
        EXPECT_EQ(window->makamNameBox->text(), QStringLiteral("önceki"));
        EXPECT_TRUE(window->pitchLevelButtons[2]->isChecked());
        EXPECT_EQ(window->status().fullText(), status);
    }
}

// "Mandalları hazırla" sets the strings the score starts on once and closes the report: nothing
// plays, the report is not shown again, and the letter key of the prepared string sounds it.
TEST_F(MakamSystems, PreparingTheMandalsClosesTheReportAndTheKeysPlay) {
    write(dir / "diyez.musicxml",
          "<score-partwise><part-list/><part id=\"P1\"><measure number=\"1\">"
          "<attributes><divisions>1</divisions></attributes>"
          "<note><pitch><step>F</step><alter>1</alter><octave>4</octave></pitch>"
          "<duration>1</duration></note></measure></part></score-partwise>");
    window->melodyNameBox->setText(QStringLiteral("diyez.musicxml"));
    const int prepare = 1;
    messages.choices = {prepare};
    click(window->aç_kapa_buton);
    ASSERT_EQ(messages.offered.size(), 1u);
    EXPECT_EQ(messages.offered[0][prepare], scores::kPrepareMandalsCaption);
    EXPECT_FALSE(program->instrument.playingBack);
    EXPECT_TRUE(window->instrumentPicture->hasFocus());
    // F sharp on the F string, at the Yarman degree nearest 600 cents.
    const double sharp = test::yarmanCents(yarman79(), 14, pos()[14]);
    EXPECT_LT(std::abs(sharp - 600), 15.1);
    EXPECT_NEAR(keyCents(14), sharp, 1.0);
}

// The status lines follow every change made with the mouse and the keys: the system list, A/B,
// the space bar, a scale opened with "Aç", a makam, a MIDI keyboard plugged in.
TEST_F(MakamSystems, TheStatusLinesFollowEveryChange) {
    QComboBox* list = window->systemControls().list;
    const auto chooseInList = [&](const QString& name) {
        QTest::mouseClick(list, Qt::LeftButton);
        QAbstractItemView* popup = list->view();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(popup->window()));
        QTest::qWait(QApplication::doubleClickInterval() + 50); // the opening click's release
        const QPoint item(
            8, popup->visualRect(list->model()->index(list->findText(name), 0)).center().y());
        QTest::mouseClick(popup->viewport(), Qt::LeftButton, {}, item);
    };
    chooseInList(QStringLiteral("12 eşit"));
    EXPECT_EQ(statusLine(StatusLine::system), QStringLiteral("12 eşit"));
    click(window->systemControls().swapButton);
    EXPECT_EQ(statusLine(StatusLine::system), QStringLiteral("Yarman 79"));
    QTest::keyClick(handle(), Qt::Key_Space);
    settleRelease();
    EXPECT_EQ(statusLine(StatusLine::system), QStringLiteral("12 eşit"));
    QTimer::singleShot(0, window.get(), [this] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        dialog->selectFile(QString::fromStdString((dir / "saf.scl").string()));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    click(window->systemControls().openButton);
    EXPECT_EQ(statusLine(StatusLine::system), QStringLiteral("saf"));
    loadMakam("Hicaz.mkm");
    EXPECT_EQ(statusLine(StatusLine::makam), QStringLiteral("Hicaz ≈"));
    QTest::keyClick(handle(), Qt::Key_Space);
    EXPECT_EQ(statusLine(StatusLine::system), QStringLiteral("12 eşit"));
    EXPECT_EQ(statusLine(StatusLine::makam), QStringLiteral("Hicaz ≈"));
    chooseInList(QStringLiteral("Yarman 79"));
    EXPECT_EQ(statusLine(StatusLine::makam), QStringLiteral("Hicaz")); // "makam: Hicaz" is wider

    auto ports = std::make_unique<test::FakeMidiPorts>();
    test::FakeMidiPorts& machine = *ports;
    const PatchedSampleSource source{program->sampleFolder, program->samples.sampleFileName,
                                     program->tables, program->tuning.tuningOffset};
    MpeNotes mpe;
    MidiPlayer player(MidiPlayerParts{program->instrument, program->tables, *program->sounds,
                                      source, rig.sound, *window, &mpe});
    MidiControl midi(window.get(), player, mpe, std::move(ports));
    midi.onStatus = [this](const QString& full, const QString& brief) {
        window->status().setMidi(full, brief);
    };
    midi.rescan();
    EXPECT_EQ(statusLine(StatusLine::midi), QStringLiteral("MIDI: 0 giriş"));
    machine.present.push_back(test::kKeys);
    midi.rescan();
    EXPECT_EQ(statusLine(StatusLine::midi), QStringLiteral("MIDI: 1 giriş"));
    EXPECT_TRUE(window->status().fullText().contains(QStringLiteral("MIDI: 1 giriş açık")));
}

// Every line of the status frame fits its 1× width in every state the program words itself (a
// long name of the user's is shortened in the middle), its full text in the hint; the MIDI box's
// status fits its box whatever keeps the sequencer away.
TEST_F(MakamSystems, EveryStatusLineFitsAtOneTimes) {
    StatusFrame& status = window->status();
    const auto fits = [&](const char* what) {
        for (StatusLine which :
             {StatusLine::system, StatusLine::makam, StatusLine::midi, StatusLine::sound}) {
            const QLabel* line = status.line(which);
            EXPECT_LE(QFontMetrics(line->font()).horizontalAdvance(line->text()), line->width())
                << what << ": " << line->text().toStdString();
            EXPECT_TRUE(status.fullText().contains(status.fullLine(which))) << what;
        }
    };
    const QString longName = QStringLiteral("yarman-79-ton-genisletilmis-deneme");
    for (const char* name :
         {"Yarman 79", "Yarman 80", "53 koma", "Rauf Yekta 24", "AEU 41", "72 eşit", "12 eşit"}) {
        status.setSystem(QString::fromUtf8(name));
        fits(name);
        EXPECT_FALSE(status.line(StatusLine::system)->text().contains(QChar(0x2026))) << name;
    }
    status.setSystem(longName);
    fits("long system");
    for (const char* makam : {"Rast", "Hicaz", "Nihavent", "Hüzzam", "Uşşak"}) {
        for (const char* system : {"", "Rauf Yekta 24"}) {
            status.setMakam(QString::fromUtf8(makam), QString::fromUtf8(system));
            fits(makam);
            EXPECT_FALSE(status.line(StatusLine::makam)->text().contains(QChar(0x2026)));
        }
    }
    status.setMakam(longName, QStringLiteral("12 eşit"));
    fits("long makam");
    for (const char* driver : {"pulseaudio", "pipewire", "alsa", "disk", "dummy", ""}) {
        status.setSoundDriver(driver);
        fits(driver);
    }
    for (const auto& [stored, used] : {std::pair{2.0, 1.0}, std::pair{1.5, 1.0}}) {
        status.setScaleFallback(stored, used);
        fits("Büyüt");
    }
    // Each MIDI state as the MIDI control words it, in the frame and in the MIDI box.
    const std::string reasons[] = {sequencerFailure(false, 0), sequencerFailure(true, -EACCES),
                                   sequencerFailure(true, -EBUSY), sequencerFailure(true, -EIO)};
    const PatchedSampleSource source{program->sampleFolder, program->samples.sampleFileName,
                                     program->tables, program->tuning.tuningOffset};
    MpeNotes mpe;
    MidiPlayer player(MidiPlayerParts{program->instrument, program->tables, *program->sounds,
                                      source, rig.sound, *window, &mpe});
    for (int state = 0; state < 7; ++state) {
        auto owned = std::make_unique<test::FakeMidiPorts>();
        test::FakeMidiPorts& ports = *owned;
        if (state < 4) ports.why = reasons[state];                     // no sequencer
        if (state >= 5) ports.present = {test::kThrough, test::kKeys}; // 4: no input
        MidiControl midi(window.get(), player, mpe, std::move(owned));
        placeMidiControl(midi);
        midi.onStatus = [&](const QString& full, const QString& brief) {
            status.setMidi(full, brief);
        };
        if (state == 6) { // the keyboard chosen, then unplugged
            emit midi.ports->activated(
                midi.ports->findText(QString::fromStdString(test::kKeys.name)));
            ports.present = {test::kThrough};
        }
        midi.rescan();
        const std::string what = "MIDI " + midi.status->text().toStdString();
        fits(what.c_str());
        const QLabel* box = midi.status;
        const QRect wrapped =
            QFontMetrics(box->font())
                .boundingRect(QRect(0, 0, box->width(), 1000), Qt::TextWordWrap, box->text());
        EXPECT_LE(wrapped.height(), box->height()) << what;
        EXPECT_LE(box->geometry().bottom(), midi.contentsRect().bottom()) << what;
    }
}

} // namespace
} // namespace zembera
