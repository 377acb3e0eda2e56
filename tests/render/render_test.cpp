// The notes of a melody, a recording and a score as events, rendered to frames and files; the
// rendered frames are the ones the live players put out: they run here on a clock that moves
// only as the null backend is pulled, over the window's sound output and the real sound service.

#include "render/audio_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "common/text_fields.h"
#include "files/files_rig.h"
#include "files/melody_handlers.h"
#include "files/record_file.h"
#include "files/record_handlers.h"
#include "render/note_events.h"
#include "render/offline_render.h"
#include "render/score_events.h"
#include "scores/score_file.h"
#include "scores/score_player.h"
#include "shell/sound_output_adapter.h"
#include "sound/service_rig.h"
#include "support/golden.h"
#include "tools/audio_measure.h"

namespace zembera {
namespace {

namespace am = audio_measure;
using ::testing::HasSubstr;
using ::testing::Optional;

// A melody record line: tuplet, note, duration code, file mandal, dot, condition.
std::string melodyLine(int note, int code, int mandal = 0, int condition = 0) {
    return "0," + std::to_string(note) + "," + std::to_string(code) + "," + std::to_string(mandal) +
           ",0,0,0,0,0," + std::to_string(condition) + "\r\n";
}

// A piece's events as onset/string/mandal, then its end.
std::string listed(const std::string& what, const NoteEvents& piece) {
    std::ostringstream out;
    out << what << ':';
    for (const NoteEvent& e : piece.events)
        out << ' ' << e.onsetMs << '/' << e.string << '/' << e.mandal;
    out << " | " << piece.endMs << " ms\n";
    return out.str();
}

// Melody: string 12 at the file mandal 5 ("şartlı", marked) for 640 ms, then at the instrument's
// 2 for 320 ms; duration code 0 and a record without a note skipped; a rest of 8 units and code
// 9 repeating it; a file mandal off the string silent. The pitch level's shift moves the strings
// (and, in "şartlı", the marked file mandals by 6); the tempo scales every length; "çalgı"
// ignores the file mandal. Recording: plucks at the present mandals for their durations (a
// negative one takes no time); the shift takes string 26 off the instrument, silent but keeping
// its time; "şartlı" and "dosya" replay in silence.
TEST(NoteEvents, MelodyAndRecordingNotesRestsAndSkipsOnThePlayersClock) {
    PlayerSettings settings; // "şartlı", tempo 40, every mandal at 0
    settings.mandalPos[12] = 2;
    const std::string melody = melodyLine(8, 3, 5, 1) + melodyLine(8, 4, 5, 0) + melodyLine(0, 0) +
                               melodyLine(40, 3) + melodyLine(28, 0) + melodyLine(15, 9, 0, 0) +
                               melodyLine(0, 4, 40, 1);
    std::string said = listed("ezgi", melodyEvents(melody, "a.ses", settings));
    settings.ahenkShift = 1;
    settings.unitMs = 30;
    said += listed("kaydırılmış", melodyEvents(melodyLine(8, 3, 1, 1), "a.ses", settings));
    settings.melodyMode = MandalMode::çalgı;
    said += listed("çalgı", melodyEvents(melodyLine(8, 3, 1, 1), "a.ses", settings));
    EXPECT_THAT([] { melodyEvents(melodyLine(8, 3) + "1,2,3", "kırık.ses", PlayerSettings{}); },
                testing::Throws<FormatError>(testing::Property(&FormatError::file, "kırık.ses")));

    PlayerSettings replay;
    replay.mandalPos[5] = 3;
    const std::string text =
        recordLine(5, -2, 120) + recordLine(9, 4, -50) + recordLine(26, 0, 300);
    said += listed("kayıt", recordingEvents(text, "kayıt.txt", replay));
    replay.ahenkShift = 1;
    said += listed("kaydırılmış kayıt", recordingEvents(text, "kayıt.txt", replay));
    replay.replayMode = 2;
    said += listed("şartlı kayıt", recordingEvents(text, "kayıt.txt", replay));
    EXPECT_THROW(recordingEvents(" 27 0 10\r\n", "kayıt.txt", replay), FormatError);
    test::expectGolden("render/events.txt", said);
}

// Samples are 262 Hz sines of half a second; strings 8-26 at position m != 0 sound s*10 + m
// cents above 262 Hz (support/program_folder.h). The players' clock moves only as the sound
// service's null backend is pulled into `live`.
class Render : public test::FilesRig {
  protected:
    Render() {
        sampleFrames = 22050;
        output = &adapter;
    }
    void SetUp() override {
        FilesRig::SetUp();
        clock.now = 0;
        st().vscrollValue = kStartTempoMs;
        onSleep = [this] {
            if (const std::size_t due = frameAt(clock.now); due > live.size()) {
                const auto block = rig.render(due - live.size());
                live.insert(live.end(), block.begin(), block.end());
            }
        };
    }

    std::vector<std::int16_t> render(const NoteEvents& piece) {
        NoteSounds sounds(parts->source);
        std::vector<std::int16_t> out;
        renderPiece(piece, sounds, [&](std::span<const std::int16_t> f) {
            out.insert(out.end(), f.begin(), f.end());
        });
        return out;
    }

    // The settings of the window as the parts hold them.
    PlayerSettings settings() const {
        PlayerSettings s;
        s.mandalPos = program->instrument.mandalPos;
        s.ahenkShift = program->tuning.ahenkShift;
        s.melodyMode = static_cast<MandalMode>(controls.melodyMode);
        s.replayMode = controls.replayMode;
        s.unitMs = program->instrument.vscrollValue;
        return s;
    }

    std::vector<std::int16_t> live;
    test::ServiceRig rig;
    SoundOutputAdapter adapter{rig.sound};
};

// Three notes at file mandals ("şartlı", marked), each followed by a rest, so that silence
// comes before every onset.
const std::string kMelody = melodyLine(8, 4, 3, 1) + melodyLine(27, 0)     // string 12, 123 cents
                            + melodyLine(10, 4, -5, 1) + melodyLine(27, 0) // string 14, 135
                            + melodyLine(20, 4, 0, 1) + melodyLine(27, 0); // string 17, 0

TEST_F(Render, FilesHoldTheMixersFramesWithTheNotesOnTimeAtTheirPitches) {
    const NoteEvents piece = melodyEvents(kMelody, "ezgi.ses", PlayerSettings{});
    const auto frames = render(piece);
    ASSERT_EQ(frames.size(), frameAt(1440)); // 3 x (320 + 160) ms
    const std::span<const std::int16_t> x(frames);
    for (const auto& [onsetMs, cents] : {std::pair{0.0, 123.0}, {480.0, 135.0}, {960.0, 0.0}}) {
        const std::size_t onset = frameAt(onsetMs);
        if (onset > 0) { // the rest before is silent up to the very frame of the onset
            ASSERT_THAT(x.subspan(onset - frameAt(150), frameAt(150)), testing::Each(0));
        }
        std::size_t first = onset;
        while (x[first] == 0)
            ++first;
        EXPECT_LE(first - onset, 2u) << "note at " << onsetMs;
        // The note sounds to the next onset and is cut there.
        EXPECT_NE(x[onset + frameAt(319)], 0);
        EXPECT_EQ(x[onset + frameAt(321)], 0);
        const double expected = 262.0 * std::exp2(cents / 1200.0);
        const auto body = x.subspan(onset + frameAt(10), frameAt(300));
        const std::vector<double> samples(body.begin(), body.end());
        const double coarse = am::coarseFundamental(samples, 100, 1000);
        ASSERT_NEAR(am::centsBetween(coarse, expected), 0, 30);
        const double fine = am::refinePeak(samples, coarse, 12);
        EXPECT_NEAR(am::centsBetween(fine, expected), 0, 1.0) << "measured " << fine;
    }
    // Lossless either way: the very frames of the mixer, 16-bit mono at 44100 Hz.
    for (const char* name : {"ezgi.wav", "ezgi.flac"}) {
        NoteSounds sounds(parts->source);
        const RenderOutcome outcome = renderToFile(piece, sounds, dir / name);
        ASSERT_TRUE(outcome.written) << outcome.error.value_or("");
        EXPECT_FALSE(std::filesystem::exists(dir / (std::string(name) + ".yeni")));
        SF_INFO info{};
        SNDFILE* in = sf_open((dir / name).c_str(), SFM_READ, &info);
        ASSERT_NE(in, nullptr) << name;
        std::vector<std::int16_t> read(static_cast<std::size_t>(info.frames));
        sf_read_short(in, read.data(), info.frames);
        sf_close(in);
        const int type = name[5] == 'w' ? SF_FORMAT_WAV : SF_FORMAT_FLAC;
        EXPECT_EQ(std::tuple(info.samplerate, info.channels, info.format),
                  std::tuple(44100, 1, type | SF_FORMAT_PCM_16));
        EXPECT_EQ(read, frames) << name;
    }
}

TEST_F(Render, FailuresAndStopsLeaveNoFileBehind) {
    const NoteEvents piece = melodyEvents(kMelody, "ezgi.ses", PlayerSettings{});
    NoteSounds sounds(parts->source);
    const RenderOutcome mp3 = renderToFile(piece, sounds, dir / "ezgi.mp3");
    EXPECT_FALSE(mp3.written);
    EXPECT_THAT(mp3.error, Optional(HasSubstr(".wav")));
    const RenderOutcome nowhere = renderToFile(piece, sounds, dir / "yok" / "ezgi.wav");
    EXPECT_FALSE(nowhere.written);
    EXPECT_TRUE(nowhere.error);
    // A recording of days does not fit a WAV file; nothing is tried.
    NoteEvents days = piece;
    days.endMs = 3.0 * 24 * 3600 * 1000;
    const RenderOutcome tooLong = renderToFile(days, sounds, dir / "uzun.wav");
    EXPECT_THAT(tooLong.error, Optional(HasSubstr("sığmayacak")));
    EXPECT_FALSE(std::filesystem::exists(dir / "uzun.wav.yeni"));

    // A stop midway (the progress is told once a second of sound) keeps the old file as it was.
    std::ofstream(dir / "eski.wav") << "eski";
    NoteEvents long_ = piece;
    long_.endMs = 3000;
    for (const bool goOn : {false, true}) {
        const RenderOutcome outcome =
            renderToFile(long_, sounds, dir / "eski.wav", [&](double) { return goOn; });
        EXPECT_EQ(outcome.stopped, !goOn);
        EXPECT_EQ(outcome.written, goOn);
        EXPECT_FALSE(std::filesystem::exists(dir / "eski.wav.yeni"));
        EXPECT_EQ(std::filesystem::file_size(dir / "eski.wav") == 4u, !goOn);
    }
}

TEST_F(Render, MelodiesAndRecordingsRenderAsThePlayersPlayThem) {
    // Notes cut by notes and by rests, a silent note, a skipped record, triplets.
    const std::string melody = melodyLine(8, 4, 3, 1) + melodyLine(10, 5, -5, 1) +
                               melodyLine(26, 0) + melodyLine(20, 3, 40, 1) + melodyLine(3, 0) +
                               "1,12,5,0,0,0,0,0,0,0\r\n1,2,4,0,0,0,0,0,0,0\r\n" +
                               melodyLine(22, 6);
    std::ofstream(dir / "ezgi.ses", std::ios::binary) << melody;
    const std::string recording = recordLine(12, 0, 200) + recordLine(14, 5, 333) +
                                  recordLine(26, 0, 0) + recordLine(9, 2, 150);
    std::ofstream(dir / "wavs" / "kayıt.txt", std::ios::binary) << recording;
    program->instrument.mandalPos[14] = -3;
    controls.melodyNameBox = "ezgi";
    for (const int mode : {2, 1, 0}) { // melody modes 2 and 1, then the recording
        live.clear();
        clock.now = 0;
        controls.melodyMode = mode;
        if (mode == 0) {
            program->instrument.mandalPos[14] = 4;
            program->tuning.ahenkShift = -1;
            RecordHandlers(*parts).Play_buton_Click();
        } else {
            MelodyHandlers(*parts).yürüt10();
        }
        ASSERT_TRUE(messages.shown.empty()) << messages.shown.front();
        const auto rendered = render(mode == 0 ? recordingEvents(recording, "kayıt.txt", settings())
                                               : melodyEvents(melody, "ezgi.ses", settings()));
        ASSERT_EQ(live.size(), rendered.size()) << mode;
        EXPECT_NE(rendered, std::vector<std::int16_t>(rendered.size(), 0));
        EXPECT_TRUE(live == rendered) << "mode " << mode;
    }
}

TEST_F(Render, AScoreWithAChordRendersAsTheScorePlayerPlaysItEachNoteFromItsOnset) {
    // E4 with G4 over it, a rest, A4 and a chord whose second note shares the A's string.
    std::filesystem::copy_file(ZEMBERA_TEST_DATA_DIR "/scores/akor.xml", dir / "akor.xml");
    program->tuning.tuningOffset[13] = 7.5F; // fine tuning sounds in both
    program->instrument.vscrollValue = 50;   // and the tempo factor 50 / 40
    scores::ScorePlayer(*parts).playIfScore("akor.xml");
    ASSERT_EQ(messages.shown.size(), 1u);
    const NoteEvents piece =
        scoreEvents(scores::placeScore(
                        scores::readScoreFile(dir / "akor.xml"),
                        scores::standardSetup(program->tables, 0, &program->tuning.tuningOffset)),
                    50.0 / 40);
    ASSERT_EQ(piece.events.size(), 5u);
    EXPECT_TRUE(piece.events[1].together);
    EXPECT_DOUBLE_EQ(piece.endMs, 3 * 500 * 1.25);
    const auto rendered = render(piece);
    ASSERT_EQ(live.size(), rendered.size());
    EXPECT_TRUE(live == rendered);
}

} // namespace
} // namespace zembera
