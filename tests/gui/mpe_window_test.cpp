// The MPE output on the real window, wired as the program wires it: with it switched on, a letter
// key, a pluck of the mouse, a key of a MIDI keyboard and every note of a score's chord each send
// their note, at the pitch the MPE formula gives for the string's cents; switched off, nothing is
// sent.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <fstream>
#include <tuple>

#include "audio_device/audio_device.h"
#include "files/record_handlers.h"
#include "midi/fake_midi_ports.h"
#include "midi/midi_player.h"
#include "scores/kanun_mapping.h"
#include "scores/score_file.h"
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
        std::filesystem::copy_file(std::filesystem::path(ZEMBERA_PROGRAM_DIR) / "glyphs.png",
                                   dir.path() / "glyphs.png"); // the staff's notes
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
    ASSERT_NO_FATAL_FAILURE(expectNoteOn(sent, stringCents(17), 127));
    const std::uint8_t letterChannel = sent[0][0] & 0x0F;
    const std::uint8_t letterNote = sent[1][1];
    releaseKey(Qt::Key_J);
    EXPECT_EQ(taken(), (std::vector<Bytes>{
                           {static_cast<std::uint8_t>(0x80 | letterChannel), letterNote, 64}}));

    // A pluck sounds its string on the memory channel; the next pluck cuts it off.
    pluck(12);
    ASSERT_EQ(program->instrument.currentString, 12);
    sent = taken();
    ASSERT_NO_FATAL_FAILURE(expectNoteOn(sent, stringCents(12), 127));
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

// With "Teller tınlasın" each plucked string sounds on its own voice: its note goes on beside the
// others until the same string is plucked again.
TEST_F(MpeWindow, RingingStringsKeepTheirNotesUntilPluckedAgain) {
    QTest::mouseClick(midi->mpeOutput, Qt::LeftButton);
    ASSERT_TRUE(mpe.attached());
    QTest::mouseClick(window->stringsRingCheck, Qt::LeftButton, {}, QPoint(6, 8));
    ASSERT_TRUE(program->instrument.stringsRing);
    taken();
    pluck(12);
    std::vector<Bytes> sent = taken();
    ASSERT_NO_FATAL_FAILURE(expectNoteOn(sent, stringCents(12), 127));
    const Bytes first = sent[1];
    pluck(10);
    ASSERT_NO_FATAL_FAILURE(expectNoteOn(taken(), stringCents(10), 127));
    EXPECT_TRUE(sound->sounding(Voice::string(12)));
    pluck(12);
    sent = taken();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0], (Bytes{static_cast<std::uint8_t>(first[0] - 0x10), first[1], 64}));
    ASSERT_NO_FATAL_FAILURE(expectNoteOn({sent[1], sent[2]}, stringCents(12), 127));
}

// A note on a member channel as a synthesizer hears it.
struct MemberNote {
    int channel = 0;
    int note = 0;
    int bend = 8192;
    auto operator<=>(const MemberNote&) const = default;
};

// The note and bend the MPE formula gives for `cents` (see expectNoteOn).
MemberNote byFormula(double cents) {
    const double exact = 69 + 12 * std::log2(262.0 / 440.0) + cents / 100;
    const long note = std::lround(exact);
    return {0, static_cast<int>(note),
            static_cast<int>(8192 + std::lround(8192 * (exact - note) * 100 / 4800))};
}

// The notes started by `sent`, each a pitch bend followed by its note-on at full velocity on the
// same member channel; a failure for anything else.
std::vector<MemberNote> startedNotes(const std::vector<Bytes>& sent) {
    std::vector<MemberNote> notes;
    EXPECT_EQ(sent.size() % 2, 0u);
    for (std::size_t i = 0; i + 1 < sent.size(); i += 2) {
        const Bytes& bend = sent[i];
        const Bytes& on = sent[i + 1];
        const int channel = bend[0] & 0x0F;
        EXPECT_EQ(bend[0] & 0xF0, 0xE0);
        EXPECT_EQ(on, (Bytes{static_cast<std::uint8_t>(0x90 | channel), on[1], 127}));
        notes.push_back({channel, on[1], bend[1] | bend[2] << 7});
    }
    return notes;
}

// The note-offs of `notes`, in any order.
void expectEnded(const std::vector<Bytes>& sent, const std::vector<MemberNote>& notes) {
    std::vector<std::tuple<int, int, int>> heard, offs;
    for (const Bytes& m : sent) {
        ASSERT_EQ(m.size(), 3u);
        heard.emplace_back(m[0], m[1], m[2]);
    }
    for (const MemberNote& n : notes)
        offs.emplace_back(0x80 | n.channel, n.note, 64);
    std::sort(heard.begin(), heard.end());
    std::sort(offs.begin(), offs.end());
    EXPECT_EQ(heard, offs);
}

// A score's chord of three sends three notes, each on a member channel of its own with the bend
// of its string's cents (the first played on the memory channel, the others beside it); the next
// onset ends all three before the next chord starts, and so do a stop, a pause and the piece's
// end.
TEST_F(MpeWindow, EveryNoteOfAScoreChordIsSentAndEndsWhenTheScoreCutsIt) {
    const std::filesystem::path score = dir.path() / "akorlar.xml";
    const auto chord = [](const char* a, const char* b, const char* c, int length) {
        std::string notes;
        for (const char* step : {a, b, c})
            notes += std::string("<note>") + (step == a ? "" : "<chord/>") + "<pitch><step>" +
                     step + "</step><octave>4</octave></pitch><duration>" + std::to_string(length) +
                     "</duration></note>";
        return notes;
    };
    std::ofstream(score, std::ios::binary)
        << "<score-partwise><part-list/><part id=\"P1\"><measure number=\"1\">"
           "<attributes><divisions>1</divisions></attributes><sound tempo=\"120\"/>" +
               chord("E", "G", "B", 1) + chord("D", "F", "A", 4) +
               "</measure></part></score-partwise>";
    const auto place = [&] {
        return scores::placeScore(scores::readScoreFile(score),
                                  scores::standardSetup(program->tables, program->tuning.ahenkShift,
                                                        &program->tuning.tuningOffset));
    };
    // A fine tuning of the chord's second string counts in its bend.
    program->tuning.tuningOffset[place().notes.at(1).string] += 9;
    const scores::PlacedScore placed = place();
    ASSERT_EQ(placed.notes.size(), 6u);
    // The bends each note of chord 0 or 1 should sound, as the formula gives them from the table
    // and the fine tuning of its string.
    const auto expectedChord = [&](std::size_t first) {
        std::vector<MemberNote> notes;
        for (std::size_t i = first; i < first + 3; ++i) {
            const scores::PlacedNote& n = placed.notes[i];
            EXPECT_FALSE(n.dropped);
            notes.push_back(byFormula(program->tables.centTable(n.string, n.mandal) +
                                      program->tuning.tuningOffset[n.string]));
        }
        return notes;
    };
    const auto withoutChannels = [](std::vector<MemberNote> notes) {
        for (MemberNote& n : notes)
            n.channel = 0;
        return notes;
    };
    const auto channelsOf = [](const std::vector<MemberNote>& notes) {
        std::vector<int> channels;
        for (const MemberNote& n : notes)
            channels.push_back(n.channel);
        std::sort(channels.begin(), channels.end());
        return channels;
    };
    // The next `count` messages sent, waited for.
    const auto next = [&](std::size_t count) {
        std::vector<Bytes> out;
        if (!QTest::qWaitFor([&] { return ports->sent.size() >= seen + count; }, 5000)) return out;
        for (; out.size() < count; ++seen)
            out.push_back(ports->sent[seen].message);
        return out;
    };
    const auto distinctMembers = [&](const std::vector<MemberNote>& notes) {
        const std::vector<int> channels = channelsOf(notes);
        return std::adjacent_find(channels.begin(), channels.end()) == channels.end() &&
               channels.front() >= 1; // not the manager
    };

    QTest::mouseClick(midi->mpeOutput, Qt::LeftButton);
    ASSERT_TRUE(mpe.attached());
    taken();
    window->tempoBar->setValue(30); // the written lengths at three quarters: 375 ms a beat
    window->melodyNameBox->setText(QStringLiteral("akorlar.xml"));
    enum class Cut { stop, pause, end };
    for (const Cut cut : {Cut::stop, Cut::pause, Cut::end}) {
        SCOPED_TRACE(cut == Cut::stop ? "stopped" : cut == Cut::pause ? "paused" : "played out");
        QTest::mouseClick(window->aç_kapa_buton, Qt::LeftButton);
        ASSERT_TRUE(program->instrument.playingBack);
        const std::vector<MemberNote> first = startedNotes(next(6));
        ASSERT_EQ(first.size(), 3u);
        EXPECT_EQ(withoutChannels(first), expectedChord(0));
        EXPECT_TRUE(distinctMembers(first));

        // The next onset: three note-offs, then the next chord.
        expectEnded(next(3), first);
        const std::vector<MemberNote> second = startedNotes(next(6));
        ASSERT_EQ(second.size(), 3u);
        EXPECT_EQ(withoutChannels(second), expectedChord(3));
        EXPECT_TRUE(distinctMembers(second));

        // A stop or a pause ends the notes at once, long before the chord's end. The pause's
        // message closes at once here and the piece ends, with nothing more to end.
        if (cut == Cut::stop) QTest::mouseClick(window->aç_kapa_buton, Qt::LeftButton);
        if (cut == Cut::pause) {
            QTest::mouseClick(window->pause_buton, Qt::LeftButton);
            ASSERT_FALSE(messages.shown.empty());
            EXPECT_EQ(messages.shown.back(), kPaused);
        }
        if (cut != Cut::end) expectEnded(taken(), second);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !program->instrument.playingBack; }, 5000));
        if (cut == Cut::end) expectEnded(taken(), second);
        EXPECT_EQ(taken(), std::vector<Bytes>{});
    }
}

} // namespace
} // namespace zembera
