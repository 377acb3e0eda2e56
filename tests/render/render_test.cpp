// The notes of a melody, a recording and a score as events, rendered to frames and files; the
// rendered frames are the ones the live players put out: they run here on a clock that moves
// only as the live engine is rendered, over the window's sound.

#include "render/audio_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <fstream>
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
#include "shell/platform_sound.h"
#include "support/wav_files.h"

namespace zembera {
namespace {

using test::melodyLine;

// A piece's events as onset/string/mandal, then its end.
std::string listed(const NoteEvents& piece) {
    std::ostringstream out;
    for (const NoteEvent& e : piece.events)
        out << ' ' << e.onsetMs << '/' << e.string << '/' << e.mandal;
    out << " | " << piece.endMs << " ms\n";
    return out.str();
}
void expectEvents(const NoteEvents& got, std::vector<NoteEvent> events, double endMs) {
    EXPECT_EQ(listed(got), listed(NoteEvents{std::move(events), endMs}));
}

// A melody's notes, rests and skips under the pitch level's shift, the tempo and the three mandal
// modes, and a recording's plucks under the shift and the replay modes, as events. The expected
// events are worked out by hand from the two files' definitions: a note 0..14 is string
// note + 4, a note 15..25 string note - 3, then the pitch level's shift; lengths are units
// (codes 1..6: 64, 32, 16, 8, 4, 2; a dot 1.5 times; a triplet of code 4 5 units, of code 5 3;
// another code the length before; rests 26..31: 2, 4, 8, 16, 32, 64) times the tempo; a silent
// onset (a rest, a note off its string's range) is string 0, mandal 0.
TEST(NoteEvents, MelodyAndRecordingNotesRestsAndSkipsOnThePlayersClock) {
    // The ten fields of a record: tuplet, note, code, file mandal, dot, four unused, condition.
    const auto record = [](int tuplet, int note, int code, int mandal, int dot, int condition) {
        return std::to_string(tuplet) + " " + std::to_string(note) + " " + std::to_string(code) +
               " " + std::to_string(mandal) + " " + std::to_string(dot) + " 7 7 7 7 " +
               std::to_string(condition) + "\r\n";
    };
    PlayerSettings settings; // "şartlı", tempo 40, every mandal at 0
    settings.mandalPos[12] = 2;
    const std::string melody = melodyLine(8, 3, 5, 1) + melodyLine(8, 4, 5, 0) + melodyLine(0, 0) +
                               melodyLine(40, 3) + melodyLine(29, 0) + melodyLine(15, 9, 0, 0) +
                               melodyLine(0, 4, 40, 1) + record(1, 14, 4, 3, 1, 1) +
                               record(0, 25, 2, -1, 1, 1) + record(1, 26, 1, 5, 1, 1) +
                               record(1, 1, 5, 0, 0, 0) + melodyLine(-1, 3);
    // Onsets in units of 40 ms.
    const std::vector<NoteEvent> notes = {
        {0 * 40, 12, 5},   // 8 -> 12; code 3: 16 units; condition 1, shift 0: the file mandal
        {16 * 40, 12, 2},  // code 4: 8 units; condition 0: string 12's own mandal
                           // code 0, then note 40: skipped, no time
        {24 * 40, 0, 0},   // rest 29: 16 units
        {40 * 40, 12, 2},  // 15 -> 12; code 9: the rest's 16 units
        {56 * 40, 0, 0},   // 0 -> 4; code 4: 8 units; file mandal 40 is off string 4's range
        {64 * 40, 18, 3},  // 14 -> 18; triplet of code 4: 5 units, the dot ignored
        {69 * 40, 22, -1}, // 25 -> 22; dotted code 2: 48 units
        {117 * 40, 0, 0},  // rest 26: 2 units, whatever its code, tuplet and dot
        {119 * 40, 5, 0},  // 1 -> 5; triplet of code 5: 3 units
                           // note -1: skipped
    };
    expectEvents(melodyEvents(melody, "a.ses", settings), notes, 122 * 40);

    // One note 8 (string 12 + shift), code 3 (16 units), file mandal 1, condition 1: in "şartlı"
    // the file mandal moves by 6 at the shifts -2, -1, 1, 2 and 3, not at -3, 0 and 4.
    const std::string one = melodyLine(8, 3, 1, 1);
    settings.mandalPos[13] = -3;
    settings.unitMs = 30;
    for (int shift = -3; shift <= 4; ++shift) {
        SCOPED_TRACE(shift);
        settings.ahenkShift = shift;
        const int mandal = shift == -3 || shift == 0 || shift == 4 ? 1 : 1 + 6;
        expectEvents(melodyEvents(one, "a.ses", settings), {{0, 12 + shift, mandal}}, 16 * 30);
    }
    settings.ahenkShift = 1;
    settings.melodyMode = MandalMode::dosya; // the file mandal as it is, whatever the shift
    expectEvents(melodyEvents(one, "a.ses", settings), {{0, 13, 1}}, 16 * 30);
    settings.melodyMode = MandalMode::çalgı; // the string's own mandal
    expectEvents(melodyEvents(one, "a.ses", settings), {{0, 13, -3}}, 16 * 30);
    EXPECT_THAT([] { melodyEvents(melodyLine(8, 3) + "1,2,3", "kırık.ses", PlayerSettings{}); },
                testing::Throws<FormatError>(testing::Property(&FormatError::file, "kırık.ses")));

    // A replay sounds each recorded string (moved by the shift) at that string's present mandal,
    // never the recorded one, and waits the recorded duration (a negative one: no time).
    PlayerSettings replay;
    replay.mandalPos[5] = 3;
    replay.mandalPos[6] = 1;
    const std::string text =
        recordLine(5, -2, 120) + recordLine(9, 4, -50) + recordLine(26, 0, 300);
    expectEvents(recordingEvents(text, "kayıt.txt", replay), {{0, 5, 3}, {120, 9, 0}, {120, 26, 0}},
                 420);
    replay.ahenkShift = 1; // string 5 + 1 at string 5's mandal; 26 + 1 lies off the instrument
    expectEvents(recordingEvents(text, "kayıt.txt", replay), {{0, 6, 3}, {120, 10, 0}, {120, 0, 0}},
                 420);
    replay.replayMode = 2; // only "çalgı" sounds
    expectEvents(recordingEvents(text, "kayıt.txt", replay), {{0, 0, 0}, {120, 0, 0}, {120, 0, 0}},
                 420);
    EXPECT_THROW(recordingEvents(" 27 0 10\r\n", "kayıt.txt", replay), FormatError);
}

// A FLAC file's STREAMINFO read by the format's definition ("fLaC", the first block's header,
// then 20 bits of rate, 3 of channels - 1, 5 of bits - 1, 36 of frames), its frames decoded by
// libsndfile.
std::vector<std::int16_t> flacFrames(const std::filesystem::path& file) {
    const std::vector<std::uint8_t> b = test::readFile(file);
    if (b.size() < 42) {
        ADD_FAILURE() << file << " is too short for FLAC";
        return {};
    }
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "fLaC");
    EXPECT_EQ(b[4] & 0x7F, 0);                    // STREAMINFO
    EXPECT_EQ(b[5] << 16 | b[6] << 8 | b[7], 34); // its length
    std::uint64_t v = 0;
    for (std::size_t i = 18; i < 26; ++i)
        v = v << 8 | b[i];
    EXPECT_EQ(v >> 44, 44100u);
    EXPECT_EQ((v >> 41 & 7) + 1, 1u);
    EXPECT_EQ((v >> 36 & 31) + 1, 16u);
    SF_INFO info{};
    SNDFILE* f = sf_open(file.c_str(), SFM_READ, &info);
    if (!f) return {};
    std::vector<std::int16_t> frames(static_cast<std::size_t>(info.frames));
    EXPECT_EQ(sf_read_short(f, frames.data(), info.frames), info.frames);
    sf_close(f);
    EXPECT_EQ(v & 0xFFFFFFFFFu, frames.size());
    return frames;
}

// Samples of 262 Hz (support/program_folder.h); the players' clock moves only as the live engine
// is rendered into `live`.
class Render : public test::FilesRig {
  protected:
    Render() { sampleFrames = 22050; }
    SoundPort& output() override {
        giveSamples(*program, engine);
        engine.setMaxBlock(64); // a piece starts two blocks after the clock
        platform = std::make_unique<PlatformSound>(engine, device, *program);
        return *platform;
    }
    void SetUp() override {
        FilesRig::SetUp();
        clock.now = 0;
        controls.tempoBar = kStartTempoMs;
        // The live engine's clock follows the fake one from `base` on.
        betweenTicks = [this] {
            const engine::Frame due = base + frameAt(clock.now, 44100);
            if (due > engine.renderedFrames())
                renderLive(static_cast<std::size_t>(due - engine.renderedFrames()));
        };
    }
    void renderLive(std::size_t frames) {
        std::vector<float> block(frames);
        engine.render(block.data(), nullptr, frames);
        for (const float v : block)
            live.push_back(engine::toPcm16(v));
    }
    // A fresh engine with the samples, for one rendering.
    std::unique_ptr<engine::Engine> offline() const {
        auto e = std::make_unique<engine::Engine>();
        giveSamples(*program, *e);
        return e;
    }
    PieceSound sound(engine::Engine& e) const {
        return PieceSound{e, program->tables, program->tuning.tuningOffset};
    }

    // The settings of the window as the parts hold them.
    PlayerSettings settings() const {
        PlayerSettings s;
        s.mandalPos = program->instrument.mandalPos;
        s.ahenkShift = program->tuning.ahenkShift;
        s.melodyMode = static_cast<MandalMode>(controls.melodyMode);
        s.replayMode = controls.replayMode;
        s.unitMs = controls.tempoBar;
        return s;
    }

    engine::Engine engine;
    AudioDevice device; // none: the test renders
    std::unique_ptr<PlatformSound> platform;
    engine::Frame base = 0;         // the live engine's frame at the fake clock's 0
    std::vector<std::int16_t> live; // from `base` on
};

// A piece of days that does not fit a WAV file is not tried, nor one beyond the limit of every
// format (a FLAC file of 596 hours); a stop midway (the progress is told once a second of sound)
// keeps the old file as it was. Nothing is left beside it (other refusals: tests/e2e).
TEST_F(Render, FailuresAndStopsLeaveNoFileBehind) {
    NoteEvents piece, days, hours;
    piece.endMs = 3000;
    days.endMs = 3.0 * 24 * 3600 * 1000;
    hours.endMs = 2147483647.0;
    const RenderOutcome tooLong = renderToFile(days, sound(*offline()), dir / "uzun.wav");
    EXPECT_FALSE(tooLong.written);
    EXPECT_NE(tooLong.error.value_or("").find("sığmayacak"), std::string::npos);
    const RenderOutcome flac = renderToFile(hours, sound(*offline()), dir / "uzun.flac");
    EXPECT_EQ(flac.error.value_or(""),
              (dir / "uzun.flac").string() + ": parça çok uzun: 596 saat 31 dakika, en çok 2 saat");
    std::ofstream(dir / "eski.wav") << "eski";
    const auto leftBehind = [&] {
        std::string names;
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            if (entry.path().filename().string().starts_with(".~")) names += entry.path().string();
        return names;
    };
    for (const bool goOn : {false, true}) {
        const RenderOutcome outcome =
            renderToFile(piece, sound(*offline()), dir / "eski.wav", [&](double) { return goOn; });
        EXPECT_EQ(outcome.stopped, !goOn);
        EXPECT_EQ(outcome.written, goOn);
        EXPECT_EQ(leftBehind(), "");
        EXPECT_EQ(std::filesystem::file_size(dir / "eski.wav") == 4u, !goOn);
    }
}

TEST(RenderLength, SaidInMinutesAndSeconds) {
    const std::pair<double, const char*> rows[] = {
        {194.2, "3 dk 14 sn"}, {120.4, "2 dk"}, {3725, "1 sa 2 dk 5 sn"}, {3600, "1 sa"},
        {2.46, "2,5 sn"},      {9.96, "10 sn"}, {0.6, "0,6 sn"},          {3.0, "3 sn"},
    };
    for (const auto& [seconds, said] : rows)
        EXPECT_EQ(durationText(seconds), said) << seconds;
}

// Notes cut by notes and by rests, a silent note, a skipped record, triplets; a recording; a
// score of E4 with G4 over it, a rest, A4 and a chord whose second note shares the A's string.
TEST_F(Render, MelodiesRecordingsAndScoresRenderAsThePlayersPlayThem) {
    const std::string melody = melodyLine(8, 4, 3, 1) + melodyLine(10, 5, -5, 1) +
                               melodyLine(26, 0) + melodyLine(20, 3, 40, 1) + melodyLine(3, 0) +
                               "1,12,5,0,0,0,0,0,0,0\r\n1,2,4,0,0,0,0,0,0,0\r\n" +
                               melodyLine(22, 6);
    std::ofstream(dir / "ezgi.ses", std::ios::binary) << melody;
    const std::string recording = recordLine(12, 0, 200) + recordLine(14, 5, 333) +
                                  recordLine(26, 0, 0) + recordLine(9, 2, 150);
    std::ofstream(dir / "wavs" / "kayıt.txt", std::ios::binary) << recording;
    std::filesystem::copy_file(ZEMBERA_TEST_DATA_DIR "/scores/akor.xml", dir / "akor.xml");
    program->instrument.mandalPos[14] = -3;
    controls.melodyNameBox = "ezgi";
    for (const int mode : {2, 1, 0, -1}) { // melody modes 2 and 1, the recording, the score
        live.clear();
        clock.now = 0;
        base = engine.renderedFrames();
        controls.melodyMode = std::max(mode, 0);
        NoteEvents piece;
        if (mode > 0) {
            MelodyHandlers melodyHandlers(*parts);
            melodyHandlers.yürüt10();
            runPlayer();
            piece = melodyEvents(melody, "ezgi.ses", settings());
        } else if (mode == 0) {
            program->instrument.mandalPos[14] = 4;
            program->tuning.ahenkShift = -1;
            RecordHandlers recordHandlers(*parts);
            recordHandlers.Play_buton_Click();
            runPlayer();
            piece = recordingEvents(recording, "kayıt.txt", settings());
        } else {
            program->tuning.ahenkShift = 0;
            program->tuning.tuningOffset[13] = 7.5F; // fine tuning sounds in both
            controls.tempoBar = 50;                  // and the tempo factor 50 / 40
            scores::ScorePlayer scorePlayer(*parts);
            scorePlayer.playIfScore("akor.xml");
            runPlayer();
            messages.shown.clear(); // the score player tells what it placed
            piece = scoreEvents(
                scores::placeScore(
                    scores::readScoreFile(dir / "akor.xml"),
                    scores::standardSetup(program->tables, 0, &program->tuning.tuningOffset)),
                50.0 / 40);
            ASSERT_EQ(piece.events.size(), 5u);
            EXPECT_TRUE(piece.events[1].together);
        }
        ASSERT_TRUE(messages.shown.empty()) << messages.shown.front();
        // The live piece from its first frame; the device goes on pulling after the piece's end,
        // while its last notes die away.
        const auto from = static_cast<std::size_t>(notePlayer->startFrame() - base);
        const std::size_t total = renderedFrames(piece, 44100);
        ASSERT_LE(live.size(), from + total);
        renderLive(from + total - live.size());
        live.erase(live.begin(), live.begin() + static_cast<std::ptrdiff_t>(from));
        std::vector<std::int16_t> rendered;
        renderPiece(piece, sound(*offline()), [&](std::span<const std::int16_t> f) {
            rendered.insert(rendered.end(), f.begin(), f.end());
        });
        EXPECT_NE(rendered, std::vector<std::int16_t>(rendered.size(), 0));
        EXPECT_TRUE(live == rendered) << "mode " << mode;
        // Written losslessly: the very frames, 16-bit mono at 44100 Hz, in WAV and FLAC.
        ASSERT_TRUE(renderToFile(piece, sound(*offline()), dir / "parça.wav").written);
        EXPECT_TRUE(test::readFile(dir / "parça.wav") == test::canonicalWav(rendered)) << mode;
        ASSERT_TRUE(renderToFile(piece, sound(*offline()), dir / "parça.flac").written);
        EXPECT_TRUE(flacFrames(dir / "parça.flac") == rendered) << mode;
    }
}

// Every note a rendered piece cuts off, by the next note, a rest, a chord or the piece's end,
// dies away: around each cut the largest step from frame to frame stays within what the sounding
// notes' own steps and the fade's slope (their peak over the 5 ms fade) allow.
TEST_F(Render, EveryCutOfARenderedPieceDiesAwayWithoutAClick) {
    NoteEvents piece;
    piece.events = {{0, 8, 0},    {47, 12, 3},        {101, 20, -2}, {160, 0, 0},
                    {230, 15, 1}, {230, 22, 0, true}, {300, 9, 5},   {377, 26, -4}};
    piece.endMs = 450;
    constexpr int kFade = 220; // 5 ms of 44100 Hz
    const auto at = [](double ms) { return static_cast<std::size_t>(frameAt(ms, 44100)); };
    const auto e = offline();
    int ownStep = 0, peak = 0;
    for (const NoteEvent& event : piece.events) {
        if (event.string == 0) continue;
        const engine::Note note =
            e->prepareNote(event.string,
                           soundingCents(program->tables, program->tuning.tuningOffset,
                                         event.string, event.mandal),
                           engine::Resampling::interpolated);
        // Longer than the rest of the piece: every end below is a cut.
        ASSERT_GT(note.count, at(piece.endMs - event.onsetMs) + kFade);
        const std::vector<std::int16_t> x(note.frames.get(), note.frames.get() + note.count);
        for (std::size_t i = 1; i < x.size(); ++i) {
            ownStep = std::max(ownStep, std::abs(x[i] - x[i - 1]));
            peak = std::max(peak, std::abs(static_cast<int>(x[i])));
        }
    }
    std::vector<std::int16_t> out;
    ASSERT_TRUE(renderPiece(piece, sound(*e), [&](std::span<const std::int16_t> f) {
        out.insert(out.end(), f.begin(), f.end());
    }));
    ASSERT_EQ(out.size(), renderedFrames(piece, 44100));
    const int slope = (peak + kFade - 1) / kFade;
    // At most three notes sound through a cut here: the chord's two cut off and the next one.
    const int allowed = 3 * (ownStep + slope + 1);
    std::vector<std::size_t> cuts;
    for (std::size_t e = 1; e < piece.events.size(); ++e)
        if (!piece.events[e].together) cuts.push_back(at(piece.events[e].onsetMs));
    cuts.push_back(at(piece.endMs));
    int loud = 0;
    for (const std::size_t cut : cuts) {
        int step = 0;
        for (std::size_t i = cut; i <= cut + kFade + 1 && i < out.size(); ++i)
            step = std::max(step, std::abs(out[i] - out[i - 1]));
        EXPECT_LE(step, allowed) << "cut at frame " << cut;
        loud += std::abs(out[cut - 1]) > 2 * allowed;
    }
    EXPECT_GE(loud, 3) << "too few cuts at a loud moment to tell a click";
    // The file ends with the fade's last step, the notes fallen to 1/kFade.
    EXPECT_LE(std::abs(out.back()), 3 * slope);
    EXPECT_NE(out[at(piece.endMs) + kFade / 2], 0);
}

} // namespace
} // namespace zembera
