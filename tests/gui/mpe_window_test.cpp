// The MPE output on the real window, wired as the program wires it: with it switched on, a letter
// key, a pluck of the mouse and a key of a MIDI keyboard each send their note, at the pitch the
// MPE formula gives for the string's cents; switched off, nothing is sent.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QTest>
#include <cmath>

#include "instrument/service_output.h"
#include "midi/fake_midi_ports.h"
#include "midi/midi_player.h"
#include "shell/canvas_widget.h"
#include "shell/key_hook.h"
#include "shell/main_window.h"
#include "shell/midi_control.h"
#include "support/gui_application.h"

namespace zembera {
namespace {

using Bytes = std::vector<std::uint8_t>;

class MpeWindow : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::ensureGuiApplication<QApplication>(); }

    void SetUp() override {
        test::makeProgramFolder(dir.path(), 4000);
        std::filesystem::copy_file(std::filesystem::path(ZEMBERA_PROGRAM_DIR) / "glyphs.png",
                                   dir.path() / "glyphs.png"); // the staff's notes
        program = test::loadFrom(dir.path(), messages);
        rig.sound.notes().add(mpe);
        window = std::make_unique<MainWindow>(*program, rig.sound, messages, &rig.sound.notes());
        hook = std::make_unique<KeyHook>(
            window.get(), [this](int k) { window->player().Form_KeyDown(k); },
            [this](int k) { window->player().Form_KeyUp(k); });
        qApp->installEventFilter(hook.get());
        source = std::make_unique<PatchedSampleSource>(
            PatchedSampleSource{program->sampleFolder, program->samples.sampleFileName,
                                program->tables, program->tuning.tuningOffset});
        midiPlayer = std::make_unique<MidiPlayer>(
            MidiPlayerParts{program->instrument, program->tables, *program->sounds, *source,
                            rig.sound, *window, &rig.sound.notes()});
        auto owned = std::make_unique<test::FakeMidiPorts>();
        ports = owned.get();
        ports->present = {keyboard};
        midi = std::make_unique<MidiControl>(window.get(), *midiPlayer, mpe, std::move(owned));
        placeMidiControl(*midi);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->instrumentPicture->setFocus();
    }
    void TearDown() override {
        qApp->removeEventFilter(hook.get());
        midi.reset();
        window.reset();
    }

    // The messages sent to the MPE output since the last call.
    std::vector<Bytes> taken() {
        std::vector<Bytes> out;
        for (; seen < ports->sent.size(); ++seen)
            out.push_back(ports->sent[seen].message);
        return out;
    }
    // The bend and note-on of a note of `cents` at `velocity` on some member channel, as a
    // synthesizer reads them: MIDI note 69 is 440 Hz, the program's 0 cents 262 Hz, the bend
    // range 48 semitones, so bend = 8192 + round(8192 * r / 4800) with r the cents from the
    // nearest note.
    static void expectNoteOn(const std::vector<Bytes>& sent, double cents, int velocity) {
        ASSERT_EQ(sent.size(), 2u);
        const double exact = 69 + 12 * std::log2(262.0 / 440.0) + cents / 100;
        const long note = std::lround(exact);
        const long bend = 8192 + std::lround(8192 * (exact - note) * 100 / 4800);
        const int channel = sent[0][0] & 0x0F;
        EXPECT_GE(channel, 1); // a member channel, not the manager
        EXPECT_EQ(sent[0], (Bytes{static_cast<std::uint8_t>(0xE0 | channel),
                                  static_cast<std::uint8_t>(bend & 0x7F),
                                  static_cast<std::uint8_t>(bend >> 7)}));
        EXPECT_EQ(sent[1],
                  (Bytes{static_cast<std::uint8_t>(0x90 | channel), static_cast<std::uint8_t>(note),
                         static_cast<std::uint8_t>(velocity)}));
    }
    // The cents string s sounds at now, from the table and its fine tuning.
    double stringCents(int s) const {
        return program->tables.centTable(s, program->instrument.mandalPos[s]) +
               program->tuning.tuningOffset[s];
    }
    QWindow* handle() { return window->windowHandle(); }
    // A pluck of string s near the bridge (its row is 15 pixels high from y = 22), by a click on
    // the window.
    void pluck(int s) {
        QTest::mouseClick(
            handle(), Qt::LeftButton, {},
            window->instrumentPicture->mapTo(window.get(), QPoint(700, 29 + 15 * (s - 1))));
    }
    void releaseKey(Qt::Key key) {
        QTest::keyRelease(handle(), key);
        QTest::qWait(2 * KeyHook::kReleaseSettleMs);
    }

    test::TempDir dir;
    RecordedMessages messages;
    test::ServiceRig rig;
    MpeNotes mpe;
    std::unique_ptr<LoadedProgram> program;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<KeyHook> hook;
    std::unique_ptr<PatchedSampleSource> source;
    std::unique_ptr<MidiPlayer> midiPlayer;
    test::FakeMidiPorts* ports = nullptr;
    const MidiSource keyboard{"Klavye:Klavye MIDI 1", {24, 0}};
    std::unique_ptr<MidiControl> midi;
    std::size_t seen = 0;
};

TEST_F(MpeWindow, LetterKeyPluckAndMidiKeySendTheirNotesOnlyWhileMpeIsOn) {
    program->tuning.tuningOffset[17] = 7; // a fine tuning counts in the bend
    QTest::mouseClick(midi->mpeOutput, Qt::LeftButton);
    ASSERT_TRUE(mpe.attached());
    EXPECT_FALSE(taken().empty()); // the configuration
    window->instrumentPicture->setFocus();

    // J plays string 17; its release ends the note.
    QTest::keyPress(handle(), Qt::Key_J);
    std::vector<Bytes> sent = taken();
    ASSERT_NO_FATAL_FAILURE(expectNoteOn(sent, stringCents(17), 127));
    const std::uint8_t letterChannel = sent[0][0] & 0x0F;
    const std::uint8_t letterNote = sent[1][1];
    releaseKey(Qt::Key_J);
    EXPECT_EQ(taken(), (std::vector<Bytes>{
                           {static_cast<std::uint8_t>(0x80 | letterChannel), letterNote, 64}}));

    // A pluck sounds its string on the memory channel; the next pluck cuts it off.
    pluck(4);
    ASSERT_EQ(program->instrument.currentString, 4);
    sent = taken();
    ASSERT_NO_FATAL_FAILURE(expectNoteOn(sent, stringCents(4), 127));
    const std::uint8_t pluckChannel = sent[0][0] & 0x0F;
    EXPECT_NE(pluckChannel, letterChannel); // the channel released longest ago
    pluck(10);
    ASSERT_EQ(program->instrument.currentString, 10);
    sent = taken();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0], (Bytes{static_cast<std::uint8_t>(0x80 | pluckChannel), sent[0][1], 64}));
    ASSERT_NO_FATAL_FAILURE(expectNoteOn({sent[1], sent[2]}, stringCents(10), 127));

    // C4 at velocity 90 from the keyboard: string 17 as it stands.
    ports->play(keyboard.address, {0x90, 60, 90});
    ASSERT_TRUE(QTest::qWaitFor([&] { return program->instrument.currentString == 17; }));
    ASSERT_NO_FATAL_FAILURE(expectNoteOn(taken(), stringCents(17), 90));
    ports->play(keyboard.address, {0x80, 60, 0});
    ASSERT_TRUE(QTest::qWaitFor([&] { return ports->sent.size() > seen; }));
    sent = taken();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0][0] & 0xF0, 0x80);

    // Switched off: the sounding pluck ends, and nothing more is sent, though the keys, the
    // mouse and the keyboard still sound.
    QTest::mouseClick(midi->mpeOutput, Qt::LeftButton);
    ASSERT_FALSE(mpe.attached());
    sent = taken();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0][0], 0x80 | (sent[0][0] & 0x0F));
    window->instrumentPicture->setFocus();
    QTest::keyPress(handle(), Qt::Key_J);
    EXPECT_TRUE(rig.sound.aliasSounding(program->samples.mciAlias[17]));
    releaseKey(Qt::Key_J);
    pluck(4);
    EXPECT_TRUE(rig.sound.memorySounding());
    ports->play(keyboard.address, {0x90, 60, 90});
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return rig.sound.aliasSounding(MidiPlayer::noteAlias(60)); }));
    ports->play(keyboard.address, {0x80, 60, 0});
    QTest::qWait(50);
    EXPECT_EQ(taken(), std::vector<Bytes>{});
}

// With "Teller tınlasın" each plucked string sounds on its own voice: its note goes on beside the
// others until the same string is plucked again.
TEST_F(MpeWindow, RingingStringsKeepTheirNotesUntilPluckedAgain) {
    QTest::mouseClick(midi->mpeOutput, Qt::LeftButton);
    ASSERT_TRUE(mpe.attached());
    QTest::mouseClick(window->stringsRingCheck, Qt::LeftButton, {}, QPoint(6, 8));
    ASSERT_TRUE(program->instrument.stringsRing);
    taken();
    pluck(4);
    std::vector<Bytes> sent = taken();
    ASSERT_NO_FATAL_FAILURE(expectNoteOn(sent, stringCents(4), 127));
    const Bytes first = sent[1];
    pluck(10);
    ASSERT_NO_FATAL_FAILURE(expectNoteOn(taken(), stringCents(10), 127));
    EXPECT_TRUE(rig.sound.aliasSounding(program->samples.mciAlias[4]));
    pluck(4);
    sent = taken();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0], (Bytes{static_cast<std::uint8_t>(first[0] - 0x10), first[1], 64}));
    ASSERT_NO_FATAL_FAILURE(expectNoteOn({sent[1], sent[2]}, stringCents(4), 127));
}

} // namespace
} // namespace zembera
