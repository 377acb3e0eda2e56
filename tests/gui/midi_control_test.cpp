// The "MIDI" control on the real window: messages pushed from another thread, as RtMidi's
// callback does, play on the UI thread; without a MIDI system it says so in one line.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <thread>

#include "midi/midi_player.h"
#include "shell/midi_control.h"
#include "shell/system_controls.h"
#include "window_fixture.h"

namespace zembera {
namespace {

class CountedNotes : public MidiNoteOutput {
  public:
    bool PlayNote(const std::string& alias, const PcmSound&, float gain) override {
        played.push_back(alias);
        gains.push_back(gain);
        return true;
    }
    void FadeNoteClose(const std::string& alias) override { faded.push_back(alias); }
    std::vector<std::string> played, faded;
    std::vector<float> gains;
};

class MidiWindow : public test::WindowFixture {
  protected:
    void SetUp() override {
        WindowFixture::SetUp();
        source = std::make_unique<PatchedSampleSource>(
            PatchedSampleSource{program->sampleFolder, program->samples.sampleFileName,
                                program->tables, program->tuning.tuningOffset});
        player = std::make_unique<MidiPlayer>(MidiPlayerParts{
            program->instrument, program->tables, *program->sounds, *source, notes, *window, &mpe});
        control = std::make_unique<MidiControl>(window.get(), *player, mpe);
        placeMidiControl(*control);
        control->show();
    }
    void TearDown() override {
        control.reset();
        WindowFixture::TearDown();
    }
    void pushFromAnotherThread(std::vector<std::uint8_t> bytes) {
        std::thread([this, bytes] { control->queue().push(bytes.data(), bytes.size()); }).join();
    }

    CountedNotes notes;
    MpeNotes mpe;
    std::unique_ptr<PatchedSampleSource> source;
    std::unique_ptr<MidiPlayer> player;
    std::unique_ptr<MidiControl> control;
};

TEST_F(MidiWindow, NotesFromTheMidiThreadPlayOnTheUiThreadAndSelectTheString) {
    pushFromAnotherThread({0x90, 88, 127}); // E6: string 1
    pushFromAnotherThread({0x90, 45, 40});  // A2: string 26
    EXPECT_TRUE(notes.played.empty());      // nothing before the UI thread runs its events
    QTRY_COMPARE(notes.played.size(), 2u);
    EXPECT_EQ(notes.played, (std::vector<std::string>{"midi88", "midi45"}));
    EXPECT_EQ(notes.gains[0], 1.0F);
    EXPECT_EQ(program->instrument.currentString, 26);
    pushFromAnotherThread({0x80, 88, 0});
    QTRY_COMPARE(notes.faded, std::vector<std::string>{"midi88"});
    // The computer keyboard goes on as before beside it.
    QTest::keyClick(handle(), Qt::Key_Q);
    settleRelease();
    EXPECT_EQ(program->instrument.currentString, 1);
    EXPECT_FALSE(sound.opened.empty());
}

TEST_F(MidiWindow, WithoutAMidiSystemOneQuietLineAndNoMpeOutput) {
    if (std::filesystem::exists("/dev/snd/seq")) GTEST_SKIP() << "this machine has MIDI";
    EXPECT_EQ(control->status->text(), QStringLiteral("MIDI yok: ALSA sıralayıcısı yok"));
    EXPECT_FALSE(control->ports->isEnabled());
    control->mpeOutput->click();
    EXPECT_FALSE(control->mpeOutput->isChecked() || mpe.attached());
    EXPECT_EQ(control->status->text(), QStringLiteral("MIDI çıkışı açılamadı"));
    EXPECT_TRUE(messages.shown.empty());
}

// It and the system controls lie clear of the drawings, the strip's band and the mandal labels.
TEST_F(MidiWindow, ControlsLieOnFreeBackgroundOfTheInstrumentPicture) {
    CanvasWidget* picture = window->instrumentPicture;
    auto inPicture = [&](QWidget* w) {
        return QRect(picture->mapFromGlobal(w->mapToGlobal(QPoint(0, 0))), w->size());
    };
    QList<QRect> taken = {inPicture(window->staffPicture), inPicture(window->pitchPanel),
                          inPicture(window->fineTuningPicture),
                          inPicture(window->mandalLabelsCheck), QRect(0, 0, picture->width(), 60)};
    for (int s = 19; s <= 23; ++s) // the labels next to the system controls: 21 by 16 pixels
        taken.append(QRect(489 - 19 * (s - 1), 18 + 15 * (s - 1), 22, 17));
    SystemControls& system = window->systemControls();
    for (QWidget* w : std::initializer_list<QWidget*>{control.get(), system.list, system.swapButton,
                                                      system.openButton, system.exportButton}) {
        const QRect g = inPicture(w);
        EXPECT_TRUE(picture->rect().contains(g)) << w->objectName().toStdString();
        for (const QRect& r : taken)
            EXPECT_FALSE(g.intersects(r)) << w->objectName().toStdString();
        for (int y = g.top(); y <= g.bottom(); ++y) {
            for (int x = g.left(); x <= g.right(); ++x)
                ASSERT_EQ(picture->canvas().pixel(x, y), qRgb(236, 233, 216)) << x << "," << y;
        }
    }
}

} // namespace
} // namespace zembera
