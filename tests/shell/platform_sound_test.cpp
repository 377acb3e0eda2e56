// The window's sound over an engine rendered by the test: the original platform's calls as the
// keys and the players use them (an alias open once, a scratch file written beside the note), and
// every note told to the MPE output as it starts and ends, also the ones handed over ahead.

#include "shell/platform_sound.h"

#include <gtest/gtest.h>
#include <sys/mount.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "files/played_note.h"
#include "instrument/instrument_player.h"
#include "midi/midi_player.h"
#include "midi/mpe_notes.h"
#include "support/program_folder.h"
#include "support/view_calls.h"
#include "support/wav_files.h"

namespace zembera {
namespace {

using Bytes = std::vector<std::uint8_t>;

class PlatformSoundTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::makeProgramFolder(dir.path(), 2000);
        auto loaded = loadProgram(dir.path(), messages);
        if (loaded.fatal) throw std::runtime_error(*loaded.fatal);
        program = std::move(loaded.program);
        giveSamples(*program, engine);
        sound = std::make_unique<PlatformSound>(engine, device, *program);
        sound->notes().add(mpe);
        mpe.attach([this](const Bytes& m) { sent.push_back(m); });
        shown = sent.size(); // the configuration
    }
    void TearDown() override { umount2(wavs.c_str(), MNT_DETACH); } // fails when none mounted
    void render(std::size_t frames) {
        std::vector<float> out(frames);
        engine.render(out.data(), nullptr, frames);
    }
    StringNote played(int s, int m) const {
        return playerNote(program->tables, program->tuning.tuningOffset, PlayedNote{s, m});
    }
    // The MPE messages sent since the last call.
    std::vector<Bytes> taken() {
        std::vector<Bytes> out(sent.begin() + static_cast<std::ptrdiff_t>(shown), sent.end());
        shown = sent.size();
        return out;
    }

    test::TempDir dir;
    const std::filesystem::path wavs = dir.path() / "wavs";
    RecordedMessages messages;
    std::unique_ptr<LoadedProgram> program;
    engine::Engine engine;
    AudioDevice device; // none: the test renders
    std::unique_ptr<PlatformSound> sound;
    MpeNotes mpe;
    std::vector<Bytes> sent;
    std::size_t shown = 0;
};

// The pitch bend and note-on of `cents` on member channel `channel` (1..15), as a synthesizer
// reads them: MIDI note 69 is 440 Hz, the program's 0 cents 262 Hz, the bend range 48 semitones,
// so bend = 8192 + round(8192 * r / 4800) with r the cents from the nearest note.
std::vector<Bytes> noteOn(int channel, double cents, int velocity = 127) {
    const double exact = 69 + 12 * std::log2(262.0 / 440.0) + cents / 100;
    const long note = std::lround(exact);
    const long bend = 8192 + std::lround(8192 * (exact - note) * 100 / 4800);
    const auto ch = static_cast<std::uint8_t>(channel);
    return {Bytes{static_cast<std::uint8_t>(0xE0 | ch), static_cast<std::uint8_t>(bend & 0x7F),
                  static_cast<std::uint8_t>(bend >> 7)},
            Bytes{static_cast<std::uint8_t>(0x90 | ch), static_cast<std::uint8_t>(note),
                  static_cast<std::uint8_t>(velocity)}};
}
Bytes noteOff(int channel, double cents) {
    const double exact = 69 + 12 * std::log2(262.0 / 440.0) + cents / 100;
    return Bytes{static_cast<std::uint8_t>(0x80 | channel),
                 static_cast<std::uint8_t>(std::lround(exact)), 64};
}

using Stream = std::vector<Bytes>;
Stream operator+(Stream a, const Stream& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The notes of a keyboard, the keys and the players go out until their sound ends or is closed,
// each on the member channel released longest ago, a fine tuning in the bend. The letter key J
// plays string 17, Q string 1.
TEST_F(PlatformSoundTest, NotesGoOutAsMpeUntilTheirSoundEndsOrIsClosed) {
    test::ViewCalls view;
    InstrumentPlayer keys(PlayerParts{program->instrument, program->tuning, program->recording,
                                      program->tables, *sound, view, messages});
    MidiPlayer keyboard(MidiPlayerParts{program->instrument, program->tables,
                                        program->tuning.tuningOffset, *sound, view});
    program->tuning.tuningOffset[17] = 7;
    const auto c = [&](int s, int m) {
        return program->tables.centTable(s, m) + program->tuning.tuningOffset[s];
    };
    const auto off = [](int channel, double cents) { return Stream{noteOff(channel, cents)}; };
    const auto runOut = [&] {
        for (int i = 0; i < 120; ++i) // no string sounds as long as 11 seconds
            render(4096);
        sound->pump();
    };
    for (const Bytes& m : {Bytes{0x90, 60, 77}, Bytes{0x80, 60, 0}}) // C4: string 17 as it stands
        keyboard.handle(m.data(), m.size());
    EXPECT_EQ(taken(), noteOn(1, c(17, 0), 77) + off(1, c(17, 0)));
    keys.Form_KeyDown('J');
    keys.Form_KeyDown('J');
    EXPECT_EQ(taken(), noteOn(2, c(17, 0))) << "the repeat sends nothing";
    keys.Form_KeyUp('J');
    EXPECT_EQ(taken(), off(2, c(17, 0)));
    keys.soundString(5);
    sound->startNote(Voice::memoryChannel(), played(8, 3));
    sound->startNote(Voice::memoryChannel(), played(8, 13)); // off the instrument: 8 goes on
    render(500);
    sound->pump();
    EXPECT_EQ(taken(), noteOn(3, c(5, 0)) + off(3, c(5, 0)) + noteOn(4, c(8, 3)));
    runOut();
    EXPECT_EQ(taken(), off(4, c(8, 3)));
    sound->endNote(Voice::memoryChannel());
    keys.Form_KeyDown('J');
    sound->pump();
    EXPECT_EQ(taken(), noteOn(5, c(17, 0))) << "the stop of a note run out sends nothing";
    runOut();
    EXPECT_EQ(taken(), off(5, c(17, 0))) << "a held key's note ends with its sound";
    keys.Form_KeyUp('J');
    EXPECT_EQ(taken(), Stream{});
    keys.soundString(20);
    sound->endNote(Voice::memoryChannel());
    keys.soundString(21);
    keys.Form_KeyDown('Q');
    EXPECT_TRUE(sound->sounding(Voice::string(1)));
    mpe.detach();
    EXPECT_EQ(taken(), noteOn(6, c(20, 0)) + off(6, c(20, 0)) + noteOn(7, c(21, 0)) +
                           noteOn(8, c(1, 0)) + off(7, c(21, 0)) + off(8, c(1, 0)));
    keys.Form_KeyDown('J');
    EXPECT_TRUE(sound->sounding(Voice::string(17)));
    EXPECT_EQ(taken(), Stream{}) << "detached";
}

// Seventeen notes at once, the first on the memory channel and sixteen beside it: the fifteen
// member channels are taken in turn, then each further note ends the oldest sounding note and
// takes its channel. Ending the voices ends the notes still sounding, and nothing for those whose
// channels were taken.
TEST_F(PlatformSoundTest, AChordsNotesGoOutAsNotesOfTheirOwn) {
    const auto cents = [](int s) { return -1000 + 137.3 * s; };
    for (int s = 1; s <= kStringCount; ++s)
        program->tables.centTable(s, 0) = cents(s);
    sent.clear();
    shown = 0;
    sound->startNote(Voice::memoryChannel(), played(1, 0));
    for (int k = 1; k <= 16; ++k)
        EXPECT_TRUE(sound->startNote(Voice::chordNote(k), played(1 + k, 0)));
    std::vector<Bytes> expected;
    for (int s = 1; s <= 15; ++s)
        for (const Bytes& m : noteOn(s, cents(s)))
            expected.push_back(m);
    expected.push_back(noteOff(1, cents(1)));
    for (const Bytes& m : noteOn(1, cents(16)))
        expected.push_back(m);
    expected.push_back(noteOff(2, cents(2)));
    for (const Bytes& m : noteOn(2, cents(17)))
        expected.push_back(m);
    EXPECT_EQ(sent, expected);

    sent.clear();
    sound->endNote(Voice::memoryChannel());
    for (int k = 16; k >= 1; --k)
        sound->endNote(Voice::chordNote(k));
    expected = {noteOff(2, cents(17)), noteOff(1, cents(16))};
    for (int s = 15; s >= 3; --s)
        expected.push_back(noteOff(s, cents(s)));
    EXPECT_EQ(sent, expected);
}

// A note handed over for a frame is told when the engine's clock gets there, its end likewise; a
// cancel drops what has not come yet, told or sounding.
TEST_F(PlatformSoundTest, NotesHandedOverAheadAreToldOnTheirFrame) {
    class Heard : public NoteListener {
      public:
        void noteStarted(const StartedNote& n) override { log.push_back(n.voice.number); }
        void noteEnded(Voice v) override { log.push_back(-v.number); }
        std::vector<int> log;
    } heard;
    sound->notes().add(heard);
    const SoundFrame now = engine.renderedFrames();
    sound->startNote(Voice::chordNote(3), played(9, 0), now + 1000);
    sound->endNote(Voice::chordNote(3), now + 1500);
    sound->startNote(Voice::chordNote(4), played(9, 0), now + 3000);
    const struct {
        std::size_t frames;
        bool cancel;
        std::vector<int> told;
    } steps[] = {{999, false, {}}, {1, false, {3}}, {499, false, {}},
                 {1, false, {-3}}, {0, true, {}},   {5000, false, {}}};
    for (const auto& step : steps) {
        render(step.frames);
        if (step.cancel) sound->cancelScheduled();
        sound->pump();
        EXPECT_EQ(heard.log, step.told) << "at frame " << engine.renderedFrames();
        heard.log.clear();
    }
    EXPECT_FALSE(sound->sounding(Voice::chordNote(4)));
}

// A letter key opens its string's alias once, case aside, and plays the note in memory; its file
// follows, a canonical WAV of the note at the engine's rate. A silent note opens nothing. From a
// read-only folder the key still sounds, without a message, and the old file stays.
TEST_F(PlatformSoundTest, AnAliasOpensOnceAndItsScratchFileFollowsTheNote) {
    const StringNote twelve{12, 0, 0};
    ASSERT_TRUE(sound->startNote(Voice::string(12), twelve));
    EXPECT_FALSE(sound->startNote(Voice::string(12), twelve)); // held: the alias is open
    sound->scratchFiles().wait();
    const engine::Note note = engine.prepareNote(12, 0, engine::Resampling::stepped);
    const std::vector<std::int16_t> frames(note.frames.get(), note.frames.get() + note.count);
    EXPECT_EQ(test::readFile(wavs / "12zz.zz"), test::canonicalWav(frames));
    sound->endNote(Voice::string(12));
    EXPECT_TRUE(sound->startNote(Voice::string(12), twelve)); // closed: opens again
    sound->endNote(Voice::string(12));

    program->stringSamples[7] = {};
    giveSamples(*program, engine);
    EXPECT_FALSE(sound->startNote(Voice::string(7), StringNote{7, 0, 0}));
    EXPECT_FALSE(sound->startNote(Voice::key(60), StringNote{7, 0, 0}));
    EXPECT_TRUE(sound->startNote(Voice::memoryChannel(), StringNote{7, 0, 0})); // still cuts

    // Root writes past file modes, not past a read-only mount.
    if (mount(wavs.c_str(), wavs.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
        mount(nullptr, wavs.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
        GTEST_SKIP() << "cannot mount the scratch folder read-only: " << std::strerror(errno);
    const StringNote higher{12, 3, 123};
    EXPECT_TRUE(sound->startNote(Voice::string(12), higher));
    sound->scratchFiles().wait();
    EXPECT_EQ(test::readFile(wavs / "12zz.zz"), test::canonicalWav(frames));
    EXPECT_TRUE(messages.shown.empty());
}

} // namespace
} // namespace zembera
