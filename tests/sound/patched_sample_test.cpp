#include "sound/patched_sample.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <tuple>

#include "samples/sample_reader.h"
#include "service_rig.h"
#include "sound/pcm_decode.h"

namespace zembera {
namespace {

using test::constant;

constexpr double kLevel = 12000; // the test tone swings 8000 around this level, never reaching 0

// A 220 Hz tone named "NN_022000_zz.wav" for strings 1, 8, 17 and 26 plays whole at the pitch of
// the position plus the fine tuning, at the ends of each range and nowhere outside; never written.
TEST(PatchedSample, SoundsWholeAtThePitchOfThePositionPlusTheFineTuningOnlyInItsRange) {
    std::vector<std::int16_t> tone(44100);
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<std::int16_t>(
            std::lround(kLevel + 8000 * std::sin(2 * std::numbers::pi * 220.0 * i / 44100)));
    const std::vector<std::uint8_t> sampleBytes = test::canonicalWav(tone);
    test::TempDir folder;
    PerString<std::string> names;
    for (std::size_t s = 1; s <= 26; ++s)
        names[s] = std::to_string(100 + s).substr(1) + "_022000_zz.wav";
    for (std::size_t s : {1u, 8u, 17u, 26u})
        test::writeFile(folder.path() / names[s], sampleBytes);
    PitchTables tables;
    PerString<float> tuningOffset{};
    const PatchedSampleSource source{folder.path(), names, tables, tuningOffset};
    test::ServiceRig rig;
    const auto file = folder.path() / names[17];
    tables.centTable(17, 2) = 300;
    tables.centTable(17, -8) = -1200;
    // {position, fine tuning, target pitch}: 300 + 10 cents above 262 Hz, and an octave below.
    for (const auto& [m, fineTuning, targetHz] :
         {std::tuple{2, 10.0F, 262 * std::exp2(310 / 1200.0)}, {-8, 0.0F, 131.0}}) {
        tuningOffset[17] = fineTuning;
        PlayPatchedSample(rig.sound, source, 17, m);
        auto out = rig.render(100000);
        EXPECT_NEAR(test::measuredHz(out, kLevel), targetHz, targetHz * 0.001) << m;
        while (!out.empty() && out.back() == 0)
            out.pop_back();
        EXPECT_NEAR(static_cast<double>(out.size()), 44100 * 220.0 / targetHz, 3.0) << m;
    }
    EXPECT_EQ(test::readFile(file), sampleBytes);
    for (const auto& [s, m] : {std::pair{1, -5}, {1, 6}, {8, -8}, {8, 12}, {26, -8}, {26, 12}}) {
        PlayPatchedSample(rig.sound, source, s, m);
        EXPECT_GT(test::measuredHz(rig.render(2000), kLevel), 200.0) << s << " " << m;
    }
    rig.sound.PlayImage(test::imageOf(constant(50000, 700)), kSndAsync);
    rig.render(kReleaseFadeFrames); // the note before dies away
    const std::pair<int, int> outside[] = {{0, 0}, {27, 0}, {-1, 0}, {1, 7},   {1, -6},
                                           {4, 9}, {5, 11}, {7, -8}, {26, 13}, {12, -100}};
    for (const auto& [s, m] : outside) {
        EXPECT_NO_THROW(PlayPatchedSample(rig.sound, source, s, m));
        EXPECT_EQ(patchedSampleImage(source, s, m), nullptr);
        EXPECT_EQ(patchedSampleImage(source, s, m, test::imageOf({1, 2})), nullptr); // any copy
    }
    EXPECT_EQ(rig.render(100), constant(100, 700));
}

// A recorder's file, SoX-made at 48 kHz 24-bit stereo: a square wave, whose sharp edges the
// conversion overshoots, plays by name and patched at its pitch, scaled back, never clipped.
TEST(RecorderFile, PlaysByNameAndPatchedAtThePitchMeantNeverLouderThanItsFile) {
    if (!std::filesystem::exists("/usr/bin/sox")) GTEST_SKIP() << "sox is not installed";
    test::TempDir dir;
    const auto file = dir.path() / "tone.wav";
    const std::string command = "/usr/bin/sox -D -n -r 48000 -b 24 -c 2 '" + file.string() +
                                "' synth 1 square 220 vol 0.5 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const auto image = test::share(test::readFile(file));
    for (const double hz : {220.0, 330.0}) {
        const auto sound =
            hz == 220 ? decodeWav(image) : decodeWav(patchSampleImage(*image, 220, hz));
        ASSERT_TRUE(sound);
        const auto played = test::pcmSamples(*sound);
        EXPECT_NEAR(played.size() * hz, 44100.0 * 220, 2.0 * hz); // the filter's tail flushed too
        EXPECT_NEAR(test::measuredHz(played), hz, 0.1);
        const auto [low, high] = std::minmax_element(played.begin(), played.end());
        EXPECT_LE(std::max(-int{*low}, int{*high}), 16384);
        EXPECT_GE(std::max(-int{*low}, int{*high}), 16000);
    }
}

TEST(PlayRate, ScalesTheFileRateByTheRatioOfTargetToTheNominalPitchOfTheName) {
    // {file rate, nominal, target, play rate}: 0 where there is none (or it passes 32 bits).
    const std::tuple<std::uint32_t, double, double, std::uint32_t> rates[] = {
        {44100, 130.81, 261.62, 88200}, {44100, 130.81, 262.0, 88328}, {22050, 220.0, 440.0, 44100},
        {44100, 262.0, 262.0, 44100},   {44100, 0.0, 262.0, 0},        {44100, 262.0, -1.0, 0},
        {0, 262.0, 262.0, 0},           {44100, 1e-9, 262.0, 0}};
    for (const auto& [rate, nominal, target, expected] : rates)
        EXPECT_EQ(playRate(rate, nominal, target), expected)
            << rate << " " << nominal << " " << target;
    EXPECT_EQ(nominalFrequency("01_013081_ab.wav"), 130.81);
    for (const char* name : {"01_01x081_ab.wav", "01_000000_ab.wav", "01_-13081_ab.wav", "01_0130"})
        EXPECT_FALSE(nominalFrequency(name)) << name;
}

} // namespace
} // namespace zembera
