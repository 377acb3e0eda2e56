// ZEMBERA in a real host: Ardour's headless session tool plays it on its dummy backend, from
// notes at fixed frames, with string 12's mandal automated (port 15) from 0 to 4 while its first
// note rings, and exports the session. Onsets and pitches are measured from the file and compared
// with the pitch table.

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "note_measure.h"
#include "pitch/pitch_table.h"

namespace zembera::lv2 {
namespace {

constexpr double kRate = 48000;
constexpr uint64_t kStepFrame = 60000; // string 12's mandal from 0 to 4 here
constexpr int kMandalPort = 15;

struct Note {
    uint64_t frame, frames;
    int key;
    int string, position; // where the table gives its pitch (for the first, before the step)
};
// Ardour runs the track in cycles of 1024 frames: the notes lie at odd places within them.
constexpr Note kNotes[] = {
    {24000, 72000, 69, 12, 0}, {100100, 12000, 88, 1, 0}, {130333, 12000, 69, 12, 4}};

double tableHz(int s, int m) {
    static const PitchTables tables = tablo_oku_txt(ZEMBERA_LV2_BUNDLE);
    return kReferenceHz * std::exp2(tables.centTable(s, m) / 1200);
}

std::vector<float> firstChannel(const std::filesystem::path& file, SF_INFO& info) {
    SNDFILE* sound = sf_open(file.c_str(), SFM_READ, &info);
    if (!sound) return {};
    std::vector<float> frames(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_float(sound, frames.data(), info.frames);
    sf_close(sound);
    std::vector<float> channel;
    for (std::size_t i = 0; i < frames.size(); i += static_cast<std::size_t>(info.channels))
        channel.push_back(frames[i]);
    return channel;
}

TEST(ArdourSession, PlaysNotesOnTheirFramesAndFollowsAMandalAutomation) {
    if (std::system("command -v ardour7-lua >/dev/null") != 0)
        GTEST_SKIP() << "ardour7-lua is not installed";
#ifdef ZEMBERA_LV2_SANITIZED
    GTEST_SKIP() << "the plugin is built with the sanitizers, whose runtime Ardour lacks";
#endif
    const auto wav = scratchPath("zembera-ardour").replace_extension(".wav");
    std::string notes;
    for (const Note& note : kNotes)
        notes += std::to_string(note.frame) + ":" + std::to_string(note.key) +
                 ":100:" + std::to_string(note.frames) + ",";
    const std::string points =
        "0:0," + std::to_string(kStepFrame - 25) + ":0," + std::to_string(kStepFrame) + ":4";
    const std::string command = std::string("bash '") + ZEMBERA_LV2_ARDOUR_SCRIPT + "' --bundle '" +
                                ZEMBERA_LV2_BUNDLE + "' --uri urn:zembera:kanun --out '" +
                                wav.string() + "' --rate 48000 --frames 168000 --notes " + notes +
                                " --automate urn:zembera:kanun " + std::to_string(kMandalPort) +
                                " " + points;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    SF_INFO info{};
    const std::vector<float> sound = firstChannel(wav, info);
    std::filesystem::remove(wav);
    ASSERT_EQ(info.samplerate, kRate);
    ASSERT_EQ(info.channels, 2);
    ASSERT_EQ(info.frames, 168000);
    for (const Note& note : kNotes) {
        SCOPED_TRACE(testing::Message() << "key " << note.key << " at " << note.frame);
        const std::size_t onset = firstSound(sound, note.frame - 2400);
        EXPECT_GE(onset, note.frame);
        EXPECT_LE(onset, note.frame + 1);
        const double hz = pitchHz(sound, onset + 960, 9600, kRate);
        EXPECT_NEAR(audio_measure::centsBetween(hz, tableHz(note.string, note.position)), 0.0, 1.0);
    }
    // The first note, still ringing, follows the mandal.
    const double moved = pitchHz(sound, kStepFrame + 2400, 24000, kRate);
    EXPECT_NEAR(audio_measure::centsBetween(moved, tableHz(12, 4)), 0.0, 1.0);
}

} // namespace
} // namespace zembera::lv2
