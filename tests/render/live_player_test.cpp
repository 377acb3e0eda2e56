// The rendered frames are the ones the live players put out: the melody player and the replay
// run here on a clock that moves only as the null backend is pulled, over the window's sound
// output and the real sound service, and what the backend gives is compared frame by frame.

#include <gtest/gtest.h>

#include "files/files_rig.h"
#include "files/melody_handlers.h"
#include "files/record_handlers.h"
#include "render/audio_file.h"
#include "render/score_events.h"
#include "render_rig.h"
#include "scores/score_file.h"
#include "scores/score_player.h"
#include "shell/sound_output_adapter.h"
#include "sound/service_rig.h"

namespace zembera {
namespace {

using test::melodyLine;

class LivePlayer : public test::RenderRig {
  protected:
    void SetUp() override {
        RenderRig::SetUp();
        LoopHooks hooks;
        hooks.processEvents = [] {};
        hooks.nowMs = [this] { return now; };
        hooks.sleepMs = [this](double ms) {
            now += ms;
            const std::size_t due = frameAt(now);
            if (due > live.size()) {
                const auto block = rig.render(due - live.size());
                live.insert(live.end(), block.begin(), block.end());
            }
        };
        program->instrument.vscrollValue = kStartTempoMs;
        parts = std::make_unique<FilesParts>(FilesParts{
            program->instrument, program->tuning, program->recording, view, controls, output,
            *source, messages, program->programFolder, program->sampleFolder, hooks});
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

    double now = 0;
    std::vector<std::int16_t> live;
    test::ServiceRig rig;
    SoundOutputAdapter output{rig.sound};
    test::FakeClock clock;
    test::LoggedView view{clock};
    test::FakeFilesView controls;
    std::unique_ptr<FilesParts> parts;
};

TEST_F(LivePlayer, MelodyRendersAsThePlayerPlaysIt) {
    // Notes cut by notes and by rests, a silent note, a skipped record, triplets.
    const std::string text = melodyLine(8, 4, 3, 1) + melodyLine(10, 5, -5, 1) + melodyLine(26, 0) +
                             melodyLine(20, 3, 40, 1) + melodyLine(3, 0) +
                             "1,12,5,0,0,0,0,0,0,0\r\n1,2,4,0,0,0,0,0,0,0\r\n" + melodyLine(22, 6);
    std::ofstream(dir / "ezgi.ses", std::ios::binary) << text;
    program->instrument.mandalPos[14] = -3;
    for (int mode : {2, 1}) {
        controls.melodyMode = mode;
        live.clear();
        now = 0;
        controls.melodyNameBox = "ezgi";
        MelodyHandlers(*parts).yürüt10();
        ASSERT_TRUE(messages.shown.empty()) << messages.shown.front();
        const auto rendered = render(melodyEvents(text, "ezgi.ses", settings()));
        ASSERT_EQ(live.size(), rendered.size());
        EXPECT_NE(rendered, std::vector<std::int16_t>(rendered.size(), 0));
        EXPECT_TRUE(live == rendered) << "mode " << mode;
    }
}

TEST_F(LivePlayer, RecordingRendersAsTheReplayPlaysIt) {
    const std::string text = recordLine(12, 0, 200) + recordLine(14, 5, 333) +
                             recordLine(26, 0, 0) + recordLine(9, 2, 150);
    std::ofstream(dir / "wavs" / "kayıt.txt", std::ios::binary) << text;
    program->instrument.mandalPos[14] = 4;
    program->tuning.ahenkShift = -1;
    RecordHandlers(*parts).Play_buton_Click();
    ASSERT_TRUE(messages.shown.empty()) << messages.shown.front();
    const auto rendered = render(recordingEvents(text, "kayıt.txt", settings()));
    ASSERT_EQ(live.size(), rendered.size());
    EXPECT_NE(rendered, std::vector<std::int16_t>(rendered.size(), 0));
    EXPECT_TRUE(live == rendered);
}

TEST_F(LivePlayer, AScoreWithAChordRendersAsTheScorePlayerPlaysIt) {
    // E4 with G4 over it, a rest, A4 and a chord whose second note shares the A's string.
    std::ofstream(dir / "akor.xml", std::ios::binary)
        << "<score-partwise><part-list/><part id=\"P1\"><measure number=\"1\"><attributes>"
           "<divisions>2</divisions></attributes><sound tempo=\"120\"/>"
           "<note><pitch><step>E</step><octave>4</octave></pitch><duration>2</duration></note>"
           "<note><chord/><pitch><step>G</step><octave>4</octave></pitch><duration>2</duration>"
           "</note><note><rest/><duration>1</duration></note>"
           "<note><pitch><step>A</step><octave>4</octave></pitch><duration>1</duration></note>"
           "<note><pitch><step>A</step><octave>4</octave></pitch><duration>2</duration></note>"
           "<note><chord/><pitch><step>A</step><alter>-0.5</alter><octave>4</octave></pitch>"
           "<duration>2</duration></note></measure></part></score-partwise>";
    program->tuning.tuningOffset[13] = 7.5F; // fine tuning sounds in both
    program->instrument.vscrollValue = 50;   // and the tempo factor 50 / 40
    scores::ScorePlayer(*parts).playIfScore("akor.xml");
    ASSERT_EQ(messages.shown.size(), 1u);
    const scores::PlacedScore placed = scores::placeScore(
        scores::readScoreFile(dir / "akor.xml"),
        scores::standardSetup(program->tables, 0, &program->tuning.tuningOffset));
    const NoteEvents piece = scoreEvents(placed, 50.0 / 40);
    ASSERT_EQ(piece.events.size(), 5u);
    EXPECT_TRUE(piece.events[1].together);
    EXPECT_DOUBLE_EQ(piece.endMs, 3 * 500 * 1.25);
    const auto rendered = render(piece);
    ASSERT_EQ(live.size(), rendered.size());
    EXPECT_TRUE(live == rendered);

    // The chord is the sum of its notes, each from the same onset.
    NoteEvents first = piece, second = piece;
    first.events.erase(first.events.begin() + 1);
    second.events.erase(second.events.begin());
    second.events[0].together = false;
    const auto a = render(first), b = render(second);
    const std::size_t chordEnd = frameAt(500 * 1.25);
    for (std::size_t i = 0; i < chordEnd; ++i)
        ASSERT_EQ(rendered[i], a[i] + b[i]) << "frame " << i;
    EXPECT_NE(a[frameAt(10)], 0);
    EXPECT_NE(b[frameAt(10)], 0);
    // Cut at the rest.
    EXPECT_EQ(rendered[chordEnd + 10], 0);

    // Written to a file and read back: the same frames.
    NoteSounds sounds(*source);
    ASSERT_TRUE(renderToFile(piece, sounds, dir / "akor.wav").written);
    EXPECT_EQ(test::readSoundFile(dir / "akor.wav").frames, rendered);
}

} // namespace
} // namespace zembera
