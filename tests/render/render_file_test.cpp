#include "render/audio_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <span>

#include "render_rig.h"
#include "tools/audio_measure.h"

namespace zembera {
namespace {

namespace am = audio_measure;
using test::melodyLine;

class RenderFile : public test::RenderRig {};

std::vector<double> asDouble(std::span<const std::int16_t> x) {
    return {x.begin(), x.end()};
}

// Three notes at file mandals ("şartlı", marked), each followed by a rest, so that silence
// comes before every onset.
const std::string kMelody = melodyLine(8, 4, 3, 1) + melodyLine(27, 0)     // string 12, 123 cents
                            + melodyLine(10, 4, -5, 1) + melodyLine(27, 0) // string 14, 135
                            + melodyLine(20, 4, 0, 1) + melodyLine(27, 0); // string 17, 0

TEST_F(RenderFile, NotesStartOnTimeAtTheirPitches) {
    const NoteEvents piece = melodyEvents(kMelody, "ezgi.ses", PlayerSettings{});
    for (const char* name : {"ezgi.wav", "ezgi.flac"}) {
        NoteSounds sounds(*source);
        const RenderOutcome outcome = renderToFile(piece, sounds, dir / name);
        ASSERT_TRUE(outcome.written) << outcome.error.value_or("");
        EXPECT_FALSE(std::filesystem::exists(dir / (std::string(name) + ".yeni")));
        const test::SoundFileContent read = test::readSoundFile(dir / name);
        EXPECT_EQ(read.rate, 44100);
        EXPECT_EQ(read.channels, 1);
        EXPECT_EQ(read.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_16);
        ASSERT_EQ(read.frames.size(), frameAt(1440)) << name; // 3 x (320 + 160) ms
        // Lossless either way: the very frames of the mixer.
        EXPECT_EQ(read.frames, render(piece)) << name;

        const std::span<const std::int16_t> x(read.frames);
        const struct {
            double onsetMs;
            double cents;
        } notes[] = {{0, 123}, {480, 135}, {960, 0}};
        for (const auto& note : notes) {
            const std::size_t onset = frameAt(note.onsetMs);
            if (onset > 0) { // the rest before is silent up to the very frame of the onset
                for (std::size_t i = onset - frameAt(150); i < onset; ++i)
                    ASSERT_EQ(x[i], 0) << name << " frame " << i;
            }
            std::size_t first = onset;
            while (x[first] == 0)
                ++first;
            EXPECT_LE(first - onset, 2u) << name << " note at " << note.onsetMs;
            // The note sounds to the next onset and is cut there.
            EXPECT_NE(x[onset + frameAt(319)], 0);
            EXPECT_EQ(x[onset + frameAt(321)], 0);

            const double expected = 262.0 * std::exp2(note.cents / 1200.0);
            const auto body = asDouble(x.subspan(onset + frameAt(10), frameAt(300)));
            const double coarse = am::coarseFundamental(body, 100, 1000);
            ASSERT_NEAR(am::centsBetween(coarse, expected), 0, 30) << name;
            const double fine = am::refinePeak(body, coarse, 12);
            EXPECT_NEAR(am::centsBetween(fine, expected), 0, 1.0) << name << " measured " << fine;
        }
    }
}

TEST_F(RenderFile, FailuresAndStopsLeaveNoFileBehind) {
    const NoteEvents piece = melodyEvents(kMelody, "ezgi.ses", PlayerSettings{});
    NoteSounds sounds(*source);
    const RenderOutcome mp3 = renderToFile(piece, sounds, dir / "ezgi.mp3");
    EXPECT_FALSE(mp3.written);
    ASSERT_TRUE(mp3.error);
    EXPECT_NE(mp3.error->find(".wav"), std::string::npos);

    const RenderOutcome nowhere = renderToFile(piece, sounds, dir / "yok" / "ezgi.wav");
    EXPECT_FALSE(nowhere.written);
    EXPECT_TRUE(nowhere.error);

    // A recording of days does not fit a WAV file; nothing is tried.
    NoteEvents days = piece;
    days.endMs = 3.0 * 24 * 3600 * 1000;
    const RenderOutcome tooLong = renderToFile(days, sounds, dir / "uzun.wav");
    ASSERT_TRUE(tooLong.error);
    EXPECT_NE(tooLong.error->find("sığmayacak"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "uzun.wav.yeni"));

    // A stop midway (the progress is told once a second of sound) keeps the old file as it was.
    std::ofstream(dir / "eski.wav") << "eski";
    NoteEvents long_ = piece;
    long_.endMs = 3000;
    std::vector<double> told;
    const RenderOutcome stopped = renderToFile(long_, sounds, dir / "eski.wav", [&](double done) {
        told.push_back(done);
        return false;
    });
    EXPECT_TRUE(stopped.stopped);
    EXPECT_FALSE(stopped.written);
    EXPECT_EQ(told.size(), 1u);
    EXPECT_EQ(std::filesystem::file_size(dir / "eski.wav"), 4u);
    EXPECT_FALSE(std::filesystem::exists(dir / "eski.wav.yeni"));

    // Told to the end otherwise.
    told.clear();
    EXPECT_TRUE(renderToFile(long_, sounds, dir / "eski.wav", [&](double done) {
                    told.push_back(done);
                    return true;
                }).written);
    ASSERT_GE(told.size(), 3u);
    EXPECT_TRUE(std::is_sorted(told.begin(), told.end()));
    EXPECT_EQ(told.back(), 1.0);
}

} // namespace
} // namespace zembera
