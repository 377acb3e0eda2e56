#include "midi/mpe_sound_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "shell/startup_loader.h"
#include "sound/sound_service.h"
#include "support/program_folder.h"

namespace zembera {
namespace {

class PassedOn : public SoundOutput {
  public:
    void PlayImage(const SoundImagePtr&, std::uint32_t) override { calls.push_back("image"); }
    bool MciOpenPlay(const std::string&, const std::string& alias) override {
        calls.push_back("open " + alias);
        return openSucceeds;
    }
    void MciStopClose(const std::string& alias) override { calls.push_back("close " + alias); }
    void PlayPatchedSample(const PatchedSampleSource&, int s, int m) override {
        calls.push_back("patched " + std::to_string(s) + " " + std::to_string(m));
    }
    void StopAllSound() override { calls.push_back("stop"); }
    std::vector<std::string> calls;
    bool openSucceeds = true;
};

class MpeOut : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / "zembera_mpe_output_test";
        test::makeProgramFolder(dir, 2000);
        auto result = loadProgram(dir, messages);
        ASSERT_FALSE(result.fatal) << *result.fatal;
        program = std::move(result.program);
        out = std::make_unique<MpeSoundOutput>(MpeSoundParts{
            inner, mpe, program->instrument, program->tables, program->tuning.tuningOffset,
            *program->sounds, program->samples.mciAlias});
        mpe.attach([this](const std::vector<std::uint8_t>& m) { sent.push_back(m); });
        sent.clear();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    // The note-ons sent, as (channel, note).
    std::vector<std::pair<int, int>> noteOns() const {
        std::vector<std::pair<int, int>> r;
        for (const auto& m : sent)
            if ((m[0] & 0xF0) == 0x90) r.emplace_back(m[0] & 0x0F, m[1]);
        return r;
    }
    int noteOffs() const {
        int n = 0;
        for (const auto& m : sent)
            n += (m[0] & 0xF0) == 0x80;
        return n;
    }
    const std::string& alias(int s) { return program->samples.mciAlias[s]; }

    std::filesystem::path dir;
    RecordedMessages messages;
    std::unique_ptr<LoadedProgram> program;
    PassedOn inner;
    MpeNotes mpe;
    std::unique_ptr<MpeSoundOutput> out;
    std::vector<std::vector<std::uint8_t>> sent;
};

TEST_F(MpeOut, LetterKeysSendANoteAtTheStringsPitchUntilTheirClose) {
    const int s = 17;
    out->MciOpenPlay("17zz.zz", alias(s));
    ASSERT_EQ(noteOns().size(), 1u);
    const MpePitch expected =
        mpePitch(program->tables.centTable(s, program->instrument.mandalPos[s]) +
                 program->tuning.tuningOffset[s]);
    EXPECT_EQ(noteOns()[0].second, expected.note);
    EXPECT_EQ(sent[0][0], 0xE0 | noteOns()[0].first); // the bend first, on the same channel
    EXPECT_EQ(sent[0][1] | sent[0][2] << 7, expected.bend);
    inner.openSucceeds = false; // a held key's repeat: the alias is still open
    out->MciOpenPlay("17zz.zz", alias(s));
    EXPECT_EQ(noteOns().size(), 1u);
    out->MciStopClose(alias(s));
    EXPECT_EQ(noteOffs(), 1);
    EXPECT_EQ(inner.calls.back(), "close " + alias(s)); // the sound goes on as it did
}

TEST_F(MpeOut, TheMemoryChannelIsOneNoteCutByTheNext) {
    out->PlayImage(program->sounds->stringSound(5), 1);
    out->PlayPatchedSample(PatchedSampleSource{program->sampleFolder,
                                               program->samples.sampleFileName, program->tables,
                                               program->tuning.tuningOffset},
                           8, 3);
    EXPECT_EQ(noteOns().size(), 2u);
    EXPECT_EQ(noteOffs(), 1);
    EXPECT_EQ(noteOns()[1].second,
              mpePitch(program->tables.centTable(8, 3) + program->tuning.tuningOffset[8]).note);
    out->StopAllSound();
    EXPECT_EQ(noteOffs(), 2);
    EXPECT_EQ(inner.calls, (std::vector<std::string>{"image", "patched 8 3", "stop"}));
}

TEST_F(MpeOut, NothingIsSentWhileDetachedAndDetachingEndsTheSoundingNotes) {
    out->MciOpenPlay("1zz.zz", alias(1));
    out->MciOpenPlay("2zz.zz", alias(2));
    mpe.detach();
    EXPECT_EQ(noteOffs(), 2);
    const std::size_t before = sent.size();
    out->MciOpenPlay("3zz.zz", alias(3));
    EXPECT_EQ(sent.size(), before);
    EXPECT_EQ(inner.calls.size(), 3u); // the sound itself never depends on the output
}

// The sound itself on a real sound service, rendered on the test's thread: the memory channel and
// the letter keys' aliases as the program plays them.
class OnTheService : public SoundOutput {
  public:
    explicit OnTheService(SoundService& sound) : sound_(sound) {}
    void PlayImage(const SoundImagePtr& image, std::uint32_t flags) override {
        sound_.PlayImage(image, flags);
    }
    bool MciOpenPlay(const std::string&, const std::string&) override { return false; }
    bool MciOpenPlayImage(const std::string& file, const std::string& alias,
                          const SoundImagePtr& content) override {
        return sound_.MciOpenPlay(file, alias, content);
    }
    void MciStopClose(const std::string& alias) override { sound_.MciStopClose(alias); }
    void StopAllSound() override { sound_.StopAllSound(); }

  private:
    SoundService& sound_;
};

TEST_F(MpeOut, EveryNoteWhoseSoundEndsGetsItsNoteOffOnTheSameChannelAndKey) {
    auto* backend = new NullBackend;
    SoundService sound{std::unique_ptr<AudioBackend>(backend)};
    OnTheService service(sound);
    MpeSoundOutput ends(MpeSoundParts{
        service, mpe, program->instrument, program->tables, program->tuning.tuningOffset,
        *program->sounds, program->samples.mciAlias, [&sound] { return sound.memorySounding(); },
        [&sound](const std::string& a) { return sound.aliasSounding(a); }});
    std::vector<std::int16_t> buffer(4096);
    // Renders until every sound has run out (no string sounds as long as 11 seconds).
    const auto runOut = [&] {
        for (int i = 0; i < 120; ++i)
            backend->render(buffer);
    };
    // Each note-on of the stream has exactly one note-off after it, on its channel and key.
    const auto balanced = [this] {
        std::map<std::pair<int, int>, int> open;
        for (const auto& m : sent) {
            const std::pair<int, int> key{m[0] & 0x0F, m[1]};
            if ((m[0] & 0xF0) == 0x90 && m[2] > 0) {
                if (open[key]++ != 0) return false;
            } else if ((m[0] & 0xF0) == 0x80 || (m[0] & 0xF0) == 0x90) {
                if (--open[key] != 0) return false;
            }
        }
        return std::all_of(open.begin(), open.end(), [](const auto& o) { return o.second == 0; });
    };

    // Successive memory notes: the first is cut by the second, the second runs out.
    ends.PlayImage(program->sounds->stringSound(5), kSndAsync);
    ends.PlayImage(program->sounds->stringSound(9), kSndAsync);
    ends.endFinishedNotes();
    EXPECT_EQ(noteOns().size(), 2u);
    EXPECT_EQ(noteOffs(), 1);            // the cut
    std::vector<std::int16_t> part(500); // string 9 sounds its 2000-frame sample as it is
    backend->render(part);
    ends.endFinishedNotes();
    EXPECT_EQ(noteOffs(), 1); // still sounding
    runOut();
    ends.endFinishedNotes();
    EXPECT_EQ(noteOffs(), 2);
    EXPECT_TRUE(balanced());
    ends.endFinishedNotes();
    ends.StopAllSound(); // nothing sounds: nothing more to end
    EXPECT_EQ(noteOffs(), 2);

    // A letter key held past the end of its sound; its release then sends nothing more.
    const auto scratch = program->sounds->scratchSound(12);
    ASSERT_TRUE(ends.MciOpenPlayImage(scratch.file.string(), alias(12), scratch.image));
    ends.endFinishedNotes();
    EXPECT_EQ(noteOffs(), 2);
    runOut();
    sound.pump();
    ends.endFinishedNotes();
    EXPECT_EQ(noteOffs(), 3);
    ends.MciStopClose(alias(12));
    EXPECT_EQ(noteOffs(), 3);
    EXPECT_TRUE(balanced());

    // A note ended by the stop, and one never ended before detaching: detaching ends it.
    ends.PlayImage(program->sounds->stringSound(20), kSndAsync);
    ends.StopAllSound();
    ends.PlayImage(program->sounds->stringSound(21), kSndAsync);
    mpe.detach();
    EXPECT_EQ(noteOns().size(), 5u);
    EXPECT_TRUE(balanced());
}

} // namespace
} // namespace zembera
