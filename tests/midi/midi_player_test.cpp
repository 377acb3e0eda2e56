#include "midi/midi_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "midi/midi_event_queue.h"
#include "midi/midi_mapping.h"
#include "shell/startup_loader.h"
#include "sound/pcm_decode.h"
#include "support/program_folder.h"
#include "support/view_calls.h"

namespace zembera {
namespace {

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
    return decoded && decoded->frames == sound.frames &&
           std::equal(sound.data, sound.data + 2 * sound.frames, decoded->data);
}

class MidiPlaying : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / "zembera_midi_player_test";
        test::makeProgramFolder(dir, 2000);
        auto result = loadProgram(dir, messages);
        ASSERT_FALSE(result.fatal) << *result.fatal;
        program = std::move(result.program);
        source = std::make_unique<PatchedSampleSource>(
            PatchedSampleSource{program->sampleFolder, program->samples.sampleFileName,
                                program->tables, program->tuning.tuningOffset});
        player = std::make_unique<MidiPlayer>(MidiPlayerParts{
            program->instrument, program->tables, *program->sounds, *source, notes, view});
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    void send(std::uint8_t a, std::uint8_t b, std::uint8_t c) {
        const std::uint8_t bytes[3] = {a, b, c};
        player->handle(bytes, 3);
    }
    InstrumentState& st() { return program->instrument; }

    std::filesystem::path dir;
    RecordedMessages messages;
    std::unique_ptr<LoadedProgram> program;
    std::unique_ptr<PatchedSampleSource> source;
    RecordedNotes notes;
    test::ViewCalls view;
    std::unique_ptr<MidiPlayer> player;
};

TEST_F(MidiPlaying, WhiteKeySoundsTheLetterKeysImageAtItsVelocityAndSelectsTheString) {
    send(0x90, 60, 127); // C4: string 17
    ASSERT_EQ(notes.plays.size(), 1u);
    EXPECT_EQ(notes.plays[0].alias, "midi60");
    EXPECT_TRUE(sameSound(notes.plays[0].sound, program->sounds->stringSound(17)));
    EXPECT_EQ(notes.plays[0].gain, 1.0F);
    EXPECT_EQ(st().currentString, 17);
    EXPECT_EQ(st().lastString, 17);
    EXPECT_EQ(view.calls,
              (std::vector<std::string>{"black 17", "tel_çiz", "mandal_at", "porte", "etiket"}));
    view.calls.clear();
    send(0x80, 60, 0);
    EXPECT_EQ(notes.fades, (std::vector<std::string>{"midi60"}));
    EXPECT_EQ(view.calls, (std::vector<std::string>{"green 17"}));
    send(0x90, 45, 64); // A2: string 26, softer
    EXPECT_TRUE(sameSound(notes.plays[1].sound, program->sounds->stringSound(26)));
    EXPECT_NEAR(notes.plays[1].gain, 0.254F, 0.001F);
}

TEST_F(MidiPlaying, BlackKeySoundsTheSharpWithoutMovingTheMandal) {
    const std::int16_t before = st().mandalPos[17];
    send(0x90, 61, 100); // C#4: string 17 at its sharp
    ASSERT_EQ(notes.plays.size(), 1u);
    const auto m = positionWithMark(program->tables, 17, kSharpMark);
    ASSERT_TRUE(m);
    const SoundImagePtr expected = patchedSampleImage(*source, 17, *m);
    ASSERT_TRUE(expected);
    EXPECT_TRUE(sameSound(notes.plays[0].sound, expected));
    EXPECT_FALSE(sameSound(notes.plays[0].sound, program->sounds->stringSound(17)));
    // Played again, the key's sound is the one decoded before, not converted anew.
    send(0x80, 61, 0);
    send(0x90, 61, 100);
    EXPECT_EQ(notes.plays[1].sound.owner, notes.plays[0].sound.owner);
    // A new fine tuning of the string makes a new sound.
    program->tuning.tuningOffset[17] += 10;
    send(0x90, 61, 100);
    EXPECT_NE(notes.plays[2].sound.owner, notes.plays[0].sound.owner);
    EXPECT_EQ(st().mandalPos[17], before);
}

TEST_F(MidiPlaying, SustainRestartAndOutOfRangeKeys) {
    send(0x90, 40, 100); // below A2
    send(0x90, 100, 100);
    EXPECT_TRUE(notes.plays.empty());
    send(0xB0, 64, 127);
    send(0x90, 62, 100);
    send(0x80, 62, 0);
    EXPECT_TRUE(notes.fades.empty());
    send(0x90, 62, 50); // restarts the sustained note
    EXPECT_EQ(notes.fades, (std::vector<std::string>{"midi62"}));
    EXPECT_EQ(notes.plays.size(), 2u);
    send(0x80, 62, 0);
    send(0xB0, 64, 0);
    EXPECT_EQ(notes.fades, (std::vector<std::string>{"midi62", "midi62"}));
}

TEST_F(MidiPlaying, RecordingAndReplayIgnoreNewNotesButReleaseSoundingOnes) {
    send(0x90, 64, 100);
    st().playingBack = true;
    send(0x90, 65, 100);
    EXPECT_EQ(notes.plays.size(), 1u);
    send(0x80, 64, 0);
    send(0x80, 65, 0);
    EXPECT_EQ(notes.fades, (std::vector<std::string>{"midi64"}));
    st().playingBack = false;
    st().recording = true;
    send(0x90, 66, 100);
    EXPECT_EQ(notes.plays.size(), 1u);
}

TEST_F(MidiPlaying, StopAllReleasesEverySoundingNote) {
    send(0xB0, 64, 127);
    send(0x90, 50, 100);
    send(0x80, 50, 0);
    send(0x90, 52, 100);
    player->stopAll();
    EXPECT_EQ(notes.fades, (std::vector<std::string>{"midi50", "midi52"}));
    send(0xB0, 64, 0);
    EXPECT_EQ(notes.fades.size(), 2u);
}

TEST_F(MidiPlaying, KeysGoOutAsMpeAtThePitchTheySound) {
    MpeNotes mpe;
    std::vector<std::vector<std::uint8_t>> sent;
    mpe.attach([&sent](const std::vector<std::uint8_t>& m) { sent.push_back(m); });
    sent.clear();
    MidiPlayer withMpe(MidiPlayerParts{program->instrument, program->tables, *program->sounds,
                                       *source, notes, view, &mpe});
    const std::uint8_t on[3] = {0x90, 61, 77}; // C#4: string 17 at its sharp
    withMpe.handle(on, 3);
    const int m = *positionWithMark(program->tables, 17, kSharpMark);
    const MpePitch pitch =
        mpePitch(program->tables.centTable(17, m) + program->tuning.tuningOffset[17]);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0],
              (std::vector<std::uint8_t>{0xE1, static_cast<std::uint8_t>(pitch.bend & 0x7F),
                                         static_cast<std::uint8_t>(pitch.bend >> 7)}));
    EXPECT_EQ(sent[1],
              (std::vector<std::uint8_t>{0x91, static_cast<std::uint8_t>(pitch.note), 77}));
    const std::uint8_t off[3] = {0x80, 61, 0};
    withMpe.handle(off, 3);
    EXPECT_EQ(sent.back(),
              (std::vector<std::uint8_t>{0x81, static_cast<std::uint8_t>(pitch.note), 64}));
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
        const int t = e.bytes[0] & 0x0F;
        EXPECT_EQ(e.bytes[1], next[t]++);
    }
    EXPECT_EQ(wakeUps.load(), 1); // the queue was empty only before the first push
    queue.takeAll(events);
    EXPECT_TRUE(events.empty());
    const std::uint8_t off[3] = {0x80, 60, 0};
    queue.push(off, 3);
    EXPECT_EQ(wakeUps.load(), 2); // each push into an empty queue wakes the UI thread once
}

} // namespace
} // namespace zembera
