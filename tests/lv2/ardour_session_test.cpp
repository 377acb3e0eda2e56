// The instrument in a real host: Ardour's headless session tool plays it on its dummy backend,
// from notes at fixed frames, with a gain step automated on a plugin after it (ACE EQ's master
// gain, port 16), and exports the session. Onsets, pitches and the step are measured from the file.

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "note_measure.h"

namespace zembera::lv2 {
namespace {

constexpr double kRate = 48000;
constexpr uint64_t kNoteFrames = 12000;
constexpr uint64_t kStepFrame = 96000; // from here on the gain is 20 dB lower
constexpr double kStepDb = -20;

struct Note {
    uint64_t frame;
    int key;
};
// Ardour runs the track in cycles of 1024 frames, which here start at 272 (the track's latency)
// plus a multiple of 1024; the stand-in plays an event within the first 64 frames of a run from the
// run's start, so these notes lie past that.
constexpr Note kNotes[] = {{24000, 69}, {72200, 76}, {120000, 69}};

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

TEST(ArdourSession, PlaysNotesOnTheirFramesAndFollowsAutomation) {
    if (std::system("command -v ardour7-lua >/dev/null") != 0)
        GTEST_SKIP() << "ardour7-lua is not installed";
    const auto wav = std::filesystem::temp_directory_path() / "ardour.wav";
    std::string notes;
    for (const Note& note : kNotes)
        notes += std::to_string(note.frame) + ":" + std::to_string(note.key) +
                 ":100:" + std::to_string(kNoteFrames) + ",";
    const std::string points = "0:0," + std::to_string(kStepFrame - 25) + ":0," +
                               std::to_string(kStepFrame) + ":" + std::to_string(kStepDb);
    const std::string command = std::string("bash '") + ZEMBERA_LV2_ARDOUR_SCRIPT + "' --bundle '" +
                                ZEMBERA_LV2_INSTRUMENT_BUNDLE + "' --uri '" +
                                ZEMBERA_LV2_INSTRUMENT_URI + "' --out '" + wav.string() +
                                "' --rate 48000 --frames 168000 --notes " + notes +
                                " --automate urn:ardour:a-eq 16 " + points;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    SF_INFO info{};
    const std::vector<float> sound = firstChannel(wav, info);
    ASSERT_EQ(info.samplerate, kRate);
    ASSERT_EQ(info.channels, 2);
    ASSERT_EQ(info.frames, 168000);
    std::vector<double> levels;
    for (const Note& note : kNotes) {
        SCOPED_TRACE(testing::Message() << "key " << note.key << " at " << note.frame);
        const std::size_t onset = firstSound(sound, note.frame - 2400);
        EXPECT_GE(onset, note.frame);
        EXPECT_LE(onset, note.frame + 1);
        const double hz = pitchHz(sound, onset + 960, 9600, kRate);
        EXPECT_NEAR(audio_measure::centsBetween(hz, midiHz(note.key)), 0.0, 1.0);
        levels.push_back(rmsOf(sound, onset + 960, 9600));
    }
    // The first and the last note are the same key: only the automated gain differs.
    EXPECT_NEAR(20 * std::log10(levels[2] / levels[0]), kStepDb, 0.2);
}

} // namespace
} // namespace zembera::lv2
