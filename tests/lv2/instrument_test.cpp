// ZEMBERA hosted with lilv as a DAW hosts it, at the host's rate and block size: each key sent at
// a frame within a block sounds from that frame at the pitch the table gives its string where
// its mandal stands; a mandal moved while the string rings re-pitches the note without a new
// attack; velocity, the sustain pedal and "Teller tınlasın" act as on the MIDI box.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "lv2_plugin.h"
#include "note_measure.h"
#include "pitch/pitch_table.h"

namespace zembera::lv2 {
namespace {

constexpr const char* kUri = "urn:zembera:kanun";

const PitchTables& table() {
    static const PitchTables tables = tablo_oku_txt(ZEMBERA_LV2_BUNDLE);
    return tables;
}
double tableHz(int s, int m) {
    return kReferenceHz * std::exp2(table().centTable(s, m) / 1200);
}
std::string mandal(int s) {
    return "mandal_" + std::to_string(s);
}

struct Note {
    int key, string, position; // the string and position the table gives its pitch at
    double second;             // the block that holds the note starts near this time
    uint32_t intoBlock;        // frames from the block's start
};
// A2, A4, E6 are strings 26, 12 and 1 on white keys at their mandals (kMandals); A#4 is the
// sharp of string 12 (mark +6), wherever its mandal stands.
const Note kNotes[] = {
    {45, 26, 0, 0.1, 0}, {69, 12, 3, 0.5, 65}, {88, 1, -2, 0.9, 127}, {70, 12, 0, 1.3, 1000}};
constexpr std::pair<int, int> kMandals[] = {{12, 3}, {1, -2}};

int sharpOf(int s) {
    int best = 99;
    for (int m = mandalMinOf(s); m <= mandalMaxOf(s); ++m)
        if (table().mandalMark(s, m) == 6 && std::abs(m) < std::abs(best)) best = m;
    return best;
}

TEST(ZemberaInstrument, NotesSoundOnTheirFrameAtTheTablesPitch) {
    const Bundle bundle(ZEMBERA_LV2_BUNDLE, kUri);
    for (const auto& [rate, block] :
         {std::pair{44100.0, 128u}, std::pair{48000.0, 1024u}, std::pair{96000.0, 4096u}}) {
        SCOPED_TRACE(testing::Message() << rate << " Hz, blocks of " << block);
        Plugin plugin(bundle, rate, block, std::filesystem::temp_directory_path());
        for (const auto& [s, m] : kMandals)
            plugin.setControl(mandal(s), float(m));
        std::vector<uint64_t> frames;
        for (const Note& note : kNotes) {
            const auto start = static_cast<uint64_t>(note.second * rate) / block * block;
            frames.push_back(start + std::min(note.intoBlock, block - 1));
            plugin.midi(frames.back(), {0x90, uint8_t(note.key), 127});
            plugin.midi(frames.back() + uint64_t(0.3 * rate), {0x80, uint8_t(note.key), 0});
        }
        const auto sound = plugin.render(static_cast<uint64_t>(1.7 * rate))[0];
        for (std::size_t i = 0; i < frames.size(); ++i) {
            const Note& note = kNotes[i];
            SCOPED_TRACE(testing::Message() << "key " << note.key);
            const std::size_t onset = firstSound(sound, frames[i] - std::size_t(0.05 * rate));
            EXPECT_GE(onset, frames[i]);
            EXPECT_LE(onset, frames[i] + 1);
            const int m = note.key == 70 ? sharpOf(note.string) : note.position;
            const double hz =
                pitchHz(sound, onset + std::size_t(0.02 * rate), std::size_t(0.25 * rate), rate);
            EXPECT_NEAR(audio_measure::centsBetween(hz, tableHz(note.string, m)), 0.0, 1.0);
        }
    }
}

// The degree of the table that sounds `cents`.
int degreeOf(double cents) {
    for (int d = kFileDegreeLow; d <= kFileDegreeHigh; ++d)
        if (std::fabs(table().degreeTable(d).cent - cents) < 1e-9) return d;
    return kFileDegreeLow;
}

// A control moved while A4 (string 12, at position 0) rings, and the pitch it rings on at: a
// mandal's position, the degree three above with the whole instrument shifted three degrees, the
// string tuned 30 cents up, A4 of 12 equal divisions; the mandal also moved a position a block.
struct Move {
    const char* control;
    float value;
    double hz;
    int blocks = 1; // reached in as many steps, one a block (2.7 ms, shorter than a crossfade)
};

TEST(ZemberaInstrument, AControlMovedWhileAStringRingsRepitchesTheSamePluck) {
    constexpr double kRate = 48000;
    const Bundle bundle(ZEMBERA_LV2_BUNDLE, kUri);
    const double a4 = table().centTable(12, 0);
    const Move moves[] = {
        {"mandal_12", 4, tableHz(12, 4)},
        {"mandal_12", 12, tableHz(12, 12), 4},
        {"derece_farki", 3,
         kReferenceHz * std::exp2(table().degreeTable(degreeOf(a4) + 3).cent / 1200)},
        {"ince_ayar_12", 30, tableHz(12, 0) * std::exp2(30.0 / 1200)},
        {"ses_sistemi", 6,
         kReferenceHz * std::exp2(9.0 / 12)}, // 12 equal: A is 9 semitones above C
    };
    for (const Move& move : moves) {
        SCOPED_TRACE(move.control);
        Plugin plugin(bundle, kRate, 128, std::filesystem::temp_directory_path());
        plugin.midi(1000, {0x90, 69, 127});
        std::vector<float> sound = plugin.render(128 * 150)[0];
        const std::size_t change = sound.size();
        std::vector<float> after;
        for (int k = 1; k <= move.blocks; ++k) {
            plugin.setControl(move.control, move.value * float(k) / float(move.blocks));
            const auto block = plugin.render(128)[0];
            after.insert(after.end(), block.begin(), block.end());
        }
        const auto rest = plugin.render(128 * (250 - move.blocks))[0];
        after.insert(after.end(), rest.begin(), rest.end());
        sound.insert(sound.end(), after.begin(), after.end());

        const double before = pitchHz(sound, 4000, 14000, kRate);
        const double moved = pitchHz(sound, change + 1000, 24000, kRate);
        EXPECT_NEAR(audio_measure::centsBetween(before, tableHz(12, 0)), 0.0, 1.0);
        EXPECT_NEAR(audio_measure::centsBetween(moved, move.hz), 0.0, 1.0);
        // No new attack: the level in 10 ms windows never rises above the one before the
        // change; no click: no step between frames beyond the largest of the 20 ms before.
        const double level = rmsOf(sound, change - 480, 480);
        float step = 0, stepAfter = 0;
        for (std::size_t i = change - 960; i < change; ++i)
            step = std::max(step, std::fabs(sound[i + 1] - sound[i]));
        for (std::size_t i = change; i < change + 960; ++i)
            stepAfter = std::max(stepAfter, std::fabs(sound[i + 1] - sound[i]));
        for (std::size_t w = change; w < change + 4800; w += 480)
            EXPECT_LE(rmsOf(sound, w, 480), level * 1.05) << "at " << w - change;
        EXPECT_LE(stepAfter, step * 1.3f);
        EXPECT_GT(level, 1e-3);
    }
}

// Whether a key's note still sounds 10 ms after its release, and after the pedal's lift.
struct Hold {
    const char* what;
    bool ring, pedal;
    bool afterRelease, afterLift;
};
const Hold kHolds[] = {
    {"released", false, false, false, false},
    {"held by the pedal", false, true, true, false},
    {"Teller tınlasın", true, false, true, true},
};

TEST(ZemberaInstrument, VelocityThePedalAndRingingStringsAsTheMidiBox) {
    constexpr double kRate = 48000;
    const Bundle bundle(ZEMBERA_LV2_BUNDLE, kUri);
    for (const Hold& hold : kHolds) {
        SCOPED_TRACE(hold.what);
        Plugin plugin(bundle, kRate, 256, std::filesystem::temp_directory_path());
        plugin.setControl("teller_tinlasin", hold.ring ? 1 : 0);
        if (hold.pedal) plugin.midi(0, {0xB0, 64, 127});
        plugin.midi(100, {0x90, 69, 127});
        plugin.midi(9600, {0x80, 69, 0});
        plugin.midi(19200, {0xB0, 64, 0});
        const auto sound = plugin.render(28800)[0];
        EXPECT_EQ(rmsOf(sound, 10080, 4000) > 0, hold.afterRelease);
        EXPECT_EQ(rmsOf(sound, 19680, 4000) > 0, hold.afterLift);
    }
    // Velocity 64 sounds (64 / 127)^2 as loud as 127: 40 log10 of their ratio in decibels.
    double level[2];
    for (const int velocity : {127, 64}) {
        Plugin plugin(bundle, kRate, 256, std::filesystem::temp_directory_path());
        plugin.midi(100, {0x90, 69, uint8_t(velocity)});
        level[velocity == 64] = rmsOf(plugin.render(9600)[0], 100, 9000);
    }
    EXPECT_NEAR(20 * std::log10(level[1] / level[0]), 40 * std::log10(64.0 / 127), 0.01);
}

} // namespace
} // namespace zembera::lv2
