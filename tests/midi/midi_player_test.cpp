// The MIDI keyboard's notes and the program's notes going out as MPE, on a loaded program.

#include "midi/midi_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <iomanip>
#include <sstream>
#include <thread>

#include "midi/midi_event_queue.h"
#include "midi/midi_mapping.h"
#include "midi/mpe_sound_output.h"
#include "shell/startup_loader.h"
#include "sound/patched_sample.h"
#include "sound/pcm_decode.h"
#include "sound/service_rig.h"
#include "support/golden.h"
#include "support/program_folder.h"
#include "support/view_calls.h"

namespace zembera {
namespace {

using Bytes = std::vector<std::uint8_t>;

class RecordedNotes : public MidiNoteOutput {
  public:
    bool PlayNote(const std::string& alias, const PcmSound& sound, float gain) override {
        plays.push_back({alias, sound, gain});
        return true;
    }
    void FadeNoteClose(const std::string& alias) override { fades.push_back(alias); }
    struct Play {
        std::string alias;
        PcmSound sound;
        float gain;
    };
    std::vector<Play> plays;
    std::vector<std::string> fades;
};

// Whether `sound` holds the samples `image` decodes to.
bool sameSound(const PcmSound& sound, const SoundImagePtr& image) {
    const auto decoded = decodeWav(image);
    return decoded && test::pcmSamples(*decoded) == test::pcmSamples(sound);
}

// The sound output of the program over a sound service, rendered on the test's thread.
class OnTheService : public SoundOutput {
  public:
    explicit OnTheService(SoundService& sound) : sound_(sound) {}
    void PlayImage(const SoundImagePtr& image, std::uint32_t flags) override {
        sound_.PlayImage(image, flags);
    }
    bool MciOpenPlay(const std::string& file, const std::string& alias) override {
        return sound_.MciOpenPlay(file, alias);
    }
    bool MciOpenPlayImage(const std::string& file, const std::string& alias,
                          const SoundImagePtr& content) override {
        return sound_.MciOpenPlay(file, alias, content);
    }
    void MciStopClose(const std::string& alias) override { sound_.MciStopClose(alias); }
    void PlayPatchedSample(const PatchedSampleSource& source, int s, int m) override {
        zembera::PlayPatchedSample(sound_, source, s, m);
    }
    void StopAllSound() override { sound_.StopAllSound(); }

  private:
    SoundService& sound_;
};

class MidiPlaying : public ::testing::Test {
  protected:
    void SetUp() override {
        test::makeProgramFolder(dir.path(), 2000);
        auto result = loadProgram(dir.path(), messages);
        ASSERT_FALSE(result.fatal) << *result.fatal;
        program = std::move(result.program);
        source = std::make_unique<PatchedSampleSource>(
            PatchedSampleSource{program->sampleFolder, program->samples.sampleFileName,
                                program->tables, program->tuning.tuningOffset});
        player = std::make_unique<MidiPlayer>(MidiPlayerParts{
            program->instrument, program->tables, *program->sounds, *source, notes, view, &mpe});
    }
    void send(std::uint8_t a, std::uint8_t b, std::uint8_t c) {
        const std::uint8_t bytes[3] = {a, b, c};
        player->handle(bytes, 3);
    }
    InstrumentState& st() { return program->instrument; }
    const std::string& alias(int s) { return program->samples.mciAlias[s]; }
    // The MPE messages sent since attaching, after the configuration.
    void attachMpe() {
        mpe.attach([this](const Bytes& m) { sent.push_back(m); });
        sent.clear();
    }
    // The MPE messages sent since the last call, one a line in hex, under `title`.
    std::string stream(const std::string& title) {
        std::string out = "# " + title + "\n";
        char b[4];
        for (; shown < sent.size(); ++shown) {
            for (std::uint8_t byte : sent[shown]) {
                std::snprintf(b, sizeof b, "%02X ", byte);
                out += b;
            }
            out.back() = '\n';
        }
        return out;
    }

    test::TempDir dir;
    RecordedMessages messages;
    std::unique_ptr<LoadedProgram> program;
    std::unique_ptr<PatchedSampleSource> source;
    RecordedNotes notes;
    test::ViewCalls view;
    MpeNotes mpe;
    std::vector<Bytes> sent;
    std::size_t shown = 0;
    std::unique_ptr<MidiPlayer> player;
};

// The keyboard's messages as one approved dump of what each did: the notes started (alias, the
// current string's image or a patched sound's length, and the gain), the notes
// faded, the redraws, the current and last string and the current string's mandal. White keys
// sound the letter key's image, black keys the string at its sharp with the mandal left alone,
// softer at a lower velocity; the sustain pedal holds released notes and a replayed one restarts;
// keys out of range, and new notes during a replay or a recording, do nothing.
TEST_F(MidiPlaying, KeysPedalAndStopAllAsOneDump) {
    std::string dump;
    const auto did = [&](const std::string& title) {
        std::ostringstream out;
        out << "# " << title << '\n' << std::setprecision(3);
        for (const RecordedNotes::Play& p : notes.plays) {
            out << "çal " << p.alias;
            const bool image = sameSound(p.sound, program->sounds->stringSound(st().currentString));
            out << (image ? " telin sesi" : " yamalı " + std::to_string(p.sound.frames) + " kare")
                << " kazanç " << p.gain << '\n';
        }
        for (const std::string& alias : notes.fades)
            out << "sustur " << alias << '\n';
        out << "çizim:";
        for (const std::string& call : view.calls)
            out << " [" << call << ']';
        out << "\ntel " << st().currentString << '/' << st().lastString << " mandal "
            << st().mandalPos[st().currentString] << '\n';
        notes.plays.clear();
        notes.fades.clear();
        view.calls.clear();
        dump += out.str();
    };
    send(0x90, 60, 127);
    send(0x80, 60, 0);
    did("C4 (string 17) pressed and released");
    send(0x90, 45, 64);
    did("A2 (string 26) at 64");
    send(0x90, 61, 100);
    const auto sharp = positionWithMark(program->tables, 17, kSharpMark);
    ASSERT_TRUE(sharp);
    EXPECT_TRUE(sameSound(notes.plays.at(0).sound, patchedSampleImage(*source, 17, *sharp)));
    send(0x80, 61, 0);
    did("C#4: string 17 at its sharp");
    program->tuning.tuningOffset[17] += 10;
    send(0x90, 61, 100);
    did("C#4 after string 17 was tuned 10 cents up");
    send(0x80, 61, 0);
    send(0x90, 40, 100);
    send(0x90, 100, 100);
    send(0xB0, 64, 127);
    send(0x90, 62, 100);
    send(0x80, 62, 0);
    did("released, below A2, above E6, pedal down, D4 pressed and released");
    send(0x90, 62, 50);
    send(0x80, 62, 0);
    send(0x90, 52, 100);
    player->stopAll();
    send(0xB0, 64, 0);
    did("D4 again, E3, stop all, pedal up");
    send(0x90, 64, 100);
    st().playingBack = true;
    send(0x90, 65, 100);
    send(0x80, 64, 0);
    send(0x80, 65, 0);
    did("E4, then a replay runs: F4 and both released");
    st().playingBack = false;
    st().recording = true;
    send(0x90, 66, 100);
    did("F#4 while recording");
    test::expectGolden("midi/keys_played.txt", dump);
}

// The MPE stream as an approved dump: the keyboard's C#4 (string 17 at its sharp), then the notes
// of the program's sound output, which go out until their sound ends or is closed.
TEST_F(MidiPlaying, KeysAndTheSoundOutputsNotesGoOutAsMpeUntilTheirSoundEndsOrIsClosed) {
    test::ServiceRig rig;
    OnTheService service(rig.sound);
    MpeSoundOutput out(MpeSoundParts{
        service, mpe, program->instrument, program->tables, program->tuning.tuningOffset,
        *program->sounds, program->samples.mciAlias, [&rig] { return rig.sound.memorySounding(); },
        [&rig](const std::string& a) { return rig.sound.aliasSounding(a); }});
    attachMpe();
    send(0x90, 61, 77);
    send(0x80, 61, 0);
    std::string dump = stream("C#4 from the keyboard, velocity 77");
    // Renders until every sound has run out (no string sounds as long as 11 seconds).
    const auto runOut = [&] {
        for (int i = 0; i < 120; ++i)
            rig.render(4096);
        rig.sound.pump();
        out.endFinishedNotes();
    };
    // A letter key at its string's pitch; a held key's repeat finds the alias open and sends
    // nothing; its release ends the note, the sound goes on.
    const auto scratch = program->sounds->scratchSound(17);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(out.MciOpenPlayImage(scratch.file.string(), alias(17), scratch.image), i == 0);
    dump += stream("letter key 17, held");
    out.MciStopClose(alias(17));
    dump += stream("released");
    // Memory notes: the first is cut by the second, the second runs out, then a stop finds
    // nothing more to end.
    out.PlayImage(program->sounds->stringSound(5), kSndAsync);
    out.PlayPatchedSample(*source, 8, 3);
    out.PlayPatchedSample(*source, 8, 13); // off the instrument: the note goes on
    out.endFinishedNotes();
    dump += stream("string 5, then 8 at 3 and at 13");
    EXPECT_NE(rig.render(500), std::vector<std::int16_t>(500, 0)); // the sound passes through
    out.endFinishedNotes();
    dump += stream("still sounding");
    runOut();
    dump += stream("run out");
    out.StopAllSound();
    dump += stream("stop");
    // A letter key held past the end of its sound; its release then sends nothing more.
    ASSERT_TRUE(out.MciOpenPlayImage(scratch.file.string(), alias(17), scratch.image));
    out.endFinishedNotes();
    dump += stream("letter key 17 again");
    runOut();
    dump += stream("run out");
    out.MciStopClose(alias(17));
    dump += stream("released");
    // A note ended by the stop, and two never ended before detaching: detaching ends them, and
    // nothing is sent while detached, though the sound plays.
    out.PlayImage(program->sounds->stringSound(20), kSndAsync);
    out.StopAllSound();
    out.PlayImage(program->sounds->stringSound(21), kSndAsync);
    EXPECT_TRUE(out.MciOpenPlay(program->sounds->scratchFile(1).string(), alias(1)));
    mpe.detach();
    dump += stream("string 20 stopped, 21 and letter key 1 sounding, detached");
    EXPECT_TRUE(out.MciOpenPlayImage(scratch.file.string(), alias(17), scratch.image));
    dump += stream("letter key 17 while detached");
    test::expectGolden("midi/mpe_stream.txt", dump);
}

TEST(MidiEventQueue, MessagesFromManyThreadsArriveWholeAndInOrderPerThread) {
    MidiEventQueue queue;
    std::atomic<int> wakeUps{0};
    queue.setWakeUp([&wakeUps] { ++wakeUps; });
    const std::uint8_t sysex[4] = {0xF0, 1, 2, 0xF7};
    queue.push(sysex, 4); // dropped
    std::vector<std::thread> threads;
    for (std::uint8_t t = 0; t < 4; ++t) {
        threads.emplace_back([&queue, t] {
            for (std::uint8_t i = 0; i < 100; ++i) {
                const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(0x90 | t), i, 1};
                queue.push(bytes, 3);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    std::vector<MidiEvent> events;
    queue.takeAll(events);
    ASSERT_EQ(events.size(), 400u);
    std::array<int, 4> next{};
    for (const MidiEvent& e : events) {
        ASSERT_EQ(e.size, 3u);
        EXPECT_EQ(e.bytes[1], next[e.bytes[0] & 0x0F]++);
    }
    EXPECT_EQ(wakeUps.load(), 1); // the queue was empty only before the first push
    queue.takeAll(events);
    EXPECT_TRUE(events.empty());
    queue.push(sysex + 1, 3);
    EXPECT_EQ(wakeUps.load(), 2); // each push into an empty queue wakes the UI thread once
}

} // namespace
} // namespace zembera
