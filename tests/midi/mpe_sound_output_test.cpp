#include "midi/mpe_sound_output.h"

#include <gtest/gtest.h>

#include "shell/startup_loader.h"
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

} // namespace
} // namespace zembera
