// ZEMBERA's settings saved as a host saves them with its session, and restored into a new
// instance: the pitch system, the mandal positions, the fine tuning and "Teller tınlasın" come
// back, and the new instance sounds as the saved one did.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <span>
#include <string>

#include "lv2_plugin.h"
#include "note_measure.h"
#include "pitch/pitch_table.h"

namespace zembera::lv2 {
namespace {

constexpr double kRate = 48000;
constexpr uint32_t kBlock = 128;

// Key A4 (string 12) held for a quarter second and let go; with the strings ringing it rings on.
std::vector<float> play(Plugin& plugin) {
    plugin.midi(plugin.frame() + 100, {0x90, 69, 100});
    plugin.midi(plugin.frame() + 12000, {0x80, 69, 0});
    return plugin.render(24000)[0];
}

float largestDifference(std::span<const float> a, std::span<const float> b) {
    float largest = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        largest = std::max(largest, std::fabs(a[i] - b[i]));
    return largest;
}

TEST(ZemberaState, ComesBackInANewInstanceAndSoundsTheSame) {
    const Bundle bundle(ZEMBERA_LV2_BUNDLE, "urn:zembera:kanun");
    const auto folder = scratchPath("zembera-state");
    const auto make = [&] { return Plugin(bundle, kRate, kBlock, folder / "scratch"); };

    Plugin saved = make();
    saved.setControl("mandal_12", 5);
    saved.setControl("mandal_3", -4);
    saved.setControl("teller_tinlasin", 1);
    saved.setControl("ses_sistemi", 2);
    saved.setControl("ince_ayar_12", 12.5);
    const auto heard = play(saved);
    ASSERT_GT(rmsOf(heard, 12500, 11000), 1e-3); // rings on after the release
    saved.saveState(folder);

    Plugin restored = make();
    restored.restoreState(folder);
    EXPECT_EQ(restored.control("mandal_12"), 5);
    EXPECT_EQ(restored.control("mandal_3"), -4);
    EXPECT_EQ(restored.control("ses_sistemi"), 2);
    EXPECT_EQ(restored.control("ince_ayar_12"), 12.5);
    EXPECT_LT(largestDifference(play(restored), heard), 1e-6f);

    // Without the state the same key sounds otherwise: the comparison above can fail.
    Plugin fresh = make();
    EXPECT_GT(largestDifference(play(fresh), heard), 1e-2f);
    std::filesystem::remove_all(folder);
}

// A Scala file as any tuning program writes it: twelve steps with A ten cents flat (890 cents);
// its naturals lie on C D E F G A B as in 12 equal.
constexpr const char* kScale = "! flat-a.scl\n!\nTwelve steps, A ten cents flat\n 12\n!\n"
                               " 100.0\n 200.\n 300.0\n 400.0\n 500.0\n 600.0\n 700.0\n 800.0\n"
                               " 890.0\n 1000.0\n 1100.0\n 2/1\n";
constexpr double kScaleCents[] = {0, 100, 200, 300, 400, 500, 600, 700, 800, 890, 1000, 1100};

// Strings 12 (A4) and 13 (G4): the makam puts 13 at its position -6 of Yarman 79; the mandal
// port moves 12 one step up from the makam's 0.
TEST(ZemberaState, TheScalaAndMakamFilesComeBackAndSoundTheSame) {
    const Bundle bundle(ZEMBERA_LV2_BUNDLE, "urn:zembera:kanun");
    const auto folder = scratchPath("zembera-files");
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "flat-a.scl") << kScale;
    std::string makam;
    for (int s = 1; s <= 26; ++s)
        makam += s == 13 ? "-6 \r\n" : " 0 \r\n";
    std::ofstream(folder / "yerinden.mkm", std::ios::binary) << makam;
    const auto make = [&] { return Plugin(bundle, kRate, kBlock, folder / "scratch"); };
    const auto playBoth = [](Plugin& plugin) {
        plugin.render(kBlock); // the worker reads the files
        plugin.midi(plugin.frame() + 100, {0x90, 69, 100});
        plugin.midi(plugin.frame() + 24000, {0x80, 69, 0});
        plugin.midi(plugin.frame() + 24100, {0x90, 67, 100});
        return plugin.render(48000)[0];
    };

    Plugin saved = make();
    saved.setPath(0, "urn:zembera:kanun#scala", folder / "flat-a.scl");
    saved.setPath(0, "urn:zembera:kanun#makam", folder / "yerinden.mkm");
    saved.setControl("ses_sistemi", 7);
    saved.setControl("mandal_12", 1);
    const auto heard = playBoth(saved);
    // A4 one step above A: 1000 cents; G4 at the step nearest Yarman 79's pitch of the makam's.
    const PitchTables y79 = tablo_oku_txt(ZEMBERA_LV2_BUNDLE);
    const double g = y79.centTable(13, -6);
    double nearest = 0;
    for (const double step : kScaleCents)
        if (std::fabs(step - g) < std::fabs(nearest - g)) nearest = step;
    EXPECT_NEAR(audio_measure::centsBetween(pitchHz(heard, 1200, 14000, kRate),
                                            kReferenceHz * std::exp2(1000 / 1200.0)),
                0.0, 1.0);
    EXPECT_NEAR(audio_measure::centsBetween(pitchHz(heard, 25200, 14000, kRate),
                                            kReferenceHz * std::exp2(nearest / 1200)),
                0.0, 1.0);
    saved.saveState(folder / "state");

    Plugin restored = make();
    restored.restoreState(folder / "state");
    EXPECT_LT(largestDifference(playBoth(restored), heard), 1e-6f);

    // The files in use are told to the host, for its file fields: after a load, after a restore
    // (wherever the host keeps them, the same files), and when it asks; never what was not read.
    const auto toldFiles = [](Plugin& plugin) {
        std::map<std::string, std::string> files;
        for (const auto& [property, path] : plugin.toldPaths())
            files[property] = std::filesystem::canonical(path).string();
        return files;
    };
    const std::map<std::string, std::string> expected = {
        {"urn:zembera:kanun#scala", std::filesystem::canonical(folder / "flat-a.scl").string()},
        {"urn:zembera:kanun#makam", std::filesystem::canonical(folder / "yerinden.mkm").string()}};
    EXPECT_EQ(toldFiles(saved), expected);
    EXPECT_EQ(toldFiles(restored), expected);
    const std::size_t afterRestore = restored.toldPaths().size();
    restored.askParameters(restored.frame() + 5);
    restored.render(kBlock);
    EXPECT_EQ(restored.toldPaths().size(), afterRestore + 2);
    Plugin fresh = make();
    fresh.setPath(0, "urn:zembera:kanun#makam", folder / "yok.mkm");
    fresh.askParameters(kBlock + 1);
    fresh.render(3 * kBlock);
    EXPECT_TRUE(fresh.toldPaths().empty());
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace zembera::lv2
