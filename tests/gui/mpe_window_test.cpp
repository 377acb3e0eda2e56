// The MPE output on the real window, wired as the program wires it: with it switched on, a letter
// key, a pluck of the mouse and a key of a MIDI keyboard each send their note, at the pitch the MPE
// formula gives for the string's cents; switched off, nothing is sent. (Every voice, a score's
// chord notes too, goes out the same way: platform_sound_test.)

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <cmath>

#include "audio_device/audio_device.h"
#include "midi/fake_midi_ports.h"
#include "midi/midi_player.h"
#include "shell/canvas_widget.h"
#include "shell/key_hook.h"
#include "shell/main_window.h"
#include "shell/midi_control.h"
#include "shell/platform_sound.h"
#include "support/gui_application.h"
#include "support/program_folder.h"
#include "support/wav_files.h"

namespace zembera {
namespace {

using Bytes = std::vector<std::uint8_t>;

class MpeWindow : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::ensureGuiApplication<QApplication>(); }

    void SetUp() override {
        // Samples of a second: the strings 8..26 sound them whole at position 0, as the time goes
        // on.
        test::makeProgramFolder(dir.path(), 44100);
        auto loaded = loadProgram(dir.path(), messages);
        ASSERT_FALSE(loaded.fatal);
        program = std::move(loaded.program);
        giveSamples(*program, engine);
        sound = std::make_unique<PlatformSound>(engine, device, *program);
        sound->notes().add(mpe);
        // As the program pumps its sound: the device's time goes on, ends and due notes are told.
        QObject::connect(&housekeeping, &QTimer::timeout, [this] { sound->pump(); });
        housekeeping.start(10);
        window = std::make_unique<MainWindow>(*program, *sound, messages);
        hook = std::make_unique<KeyHook>(
            window.get(), [this](int k) { window->player().Form_KeyDown(k); },
            [this](int k) { window->player().Form_KeyUp(k); });
        qApp->installEventFilter(hook.get());
        midiPlayer = std::make_unique<MidiPlayer>(MidiPlayerParts{
            program->instrument, program->tables, program->tuning.tuningOffset, *sound, *window});
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
        housekeeping.stop();
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
    static void expectNoteOn(const std::vector<Bytes>& sent, double cents, int velocity = 127) {
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
    engine::Engine engine;
    PacedDevice device{engine};
    std::unique_ptr<PlatformSound> sound;
    QTimer housekeeping;
    MpeNotes mpe;
    std::unique_ptr<LoadedProgram> program;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<KeyHook> hook;
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
    ASSERT_NO_FATAL_FAILURE(expectNoteOn(sent, stringCents(17)));
    const Bytes letterOff{static_cast<std::uint8_t>(0x80 | (sent[0][0] & 0x0F)), sent[1][1], 64};
    releaseKey(Qt::Key_J);
    EXPECT_EQ(taken(), std::vector<Bytes>{letterOff});

    // A pluck sounds its string on the memory channel; the next pluck cuts it off.
    pluck(12);
    ASSERT_EQ(program->instrument.currentString, 12);
    sent = taken();
    ASSERT_NO_FATAL_FAILURE(expectNoteOn(sent, stringCents(12)));
    const Bytes pluckOff{static_cast<std::uint8_t>(0x80 | (sent[0][0] & 0x0F)), sent[1][1], 64};
    pluck(10);
    sent = taken();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0], pluckOff);
    ASSERT_NO_FATAL_FAILURE(expectNoteOn({sent[1], sent[2]}, stringCents(10)));

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
    EXPECT_EQ(sent[0][0] & 0xF0, 0x80);
    window->instrumentPicture->setFocus();
    QTest::keyPress(handle(), Qt::Key_J);
    EXPECT_TRUE(sound->sounding(Voice::string(17)));
    releaseKey(Qt::Key_J);
    pluck(12);
    EXPECT_TRUE(sound->sounding(Voice::memoryChannel()));
    ports->play(keyboard.address, {0x90, 60, 90});
    ASSERT_TRUE(QTest::qWaitFor([&] { return sound->sounding(Voice::key(60)); }));
    ports->play(keyboard.address, {0x80, 60, 0});
    QTest::qWait(50);
    EXPECT_EQ(taken(), std::vector<Bytes>{});
}

} // namespace
} // namespace zembera
