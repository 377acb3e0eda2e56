// The engine as a host drives it: notes started and ended on their frames, at every host rate,
// measured in what it renders; and no note ever cut off in a step, whichever way it ends (a new
// start on its voice, an end, a silent start, many cuts within one fade): the output is pulled in
// device buffers, and at each cut its largest step from frame to frame is held to what the fade
// allows.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <numbers>
#include <string>

#include "engine_rig.h"

namespace zembera {
namespace test {
int heapUsesIn(const std::function<void()>& action); // render_allocation_test.cpp
}
namespace {

using engine::Engine;
using engine::Frame;
using engine::Note;
using engine::Resampling;
using engine::VoiceId;

// A note of `value` in every frame, `count` frames long: string 17's sample at its own pitch.
Note constantNote(Engine& e, std::int16_t value, std::size_t count = 20000, int s = 17) {
    e.setStringSample(s, test::sampleOf(count, e.sampleRate(), 262, [=](auto) { return value; }));
    return e.prepareNote(s, 0, Resampling::stepped);
}

std::size_t firstSounding(const std::vector<std::int16_t>& x) {
    return static_cast<std::size_t>(
        std::find_if(x.begin(), x.end(), [](std::int16_t v) { return v != 0; }) - x.begin());
}

// A start lands on its frame whatever the blocks: `delay` frames into the first block, or a frame
// of the clock handed over ahead; one handed over late sounds as the next block begins.
TEST(Engine, EveryStartLandsOnItsFrame) {
    struct Case {
        std::size_t block;
        bool scheduled;
        Frame frame;
        std::size_t renderedBefore; // frames rendered before the start is handed over
        std::size_t expected;
    };
    for (const Case& c :
         {Case{256, false, 0, 0, 0}, Case{256, false, 200, 0, 200}, Case{256, true, 255, 0, 255},
          Case{256, true, 256, 0, 256}, Case{128, true, 1000, 0, 1000}, Case{1, true, 37, 0, 37},
          Case{4096, true, 3001, 512, 3001}, Case{64, true, 10, 300, 300},
          Case{100, false, 5, 300, 305}}) {
        Engine e;
        const Note note = constantNote(e, 1000);
        test::render(e, c.renderedBefore, c.block);
        ASSERT_TRUE(c.scheduled ? e.startNoteAt(VoiceId::memoryChannel(), note, 1, c.frame)
                                : e.startNote(VoiceId::memoryChannel(), note, 1,
                                              static_cast<std::uint32_t>(c.frame)));
        const auto out = test::render(e, 5000, c.block).left;
        EXPECT_EQ(c.renderedBefore + firstSounding(out), c.expected)
            << "block " << c.block << ", frame " << c.frame;
        EXPECT_EQ(out[firstSounding(out)], 1000);
    }
}

// An end lets the note die away in a straight line over 5 ms of the engine's rate.
TEST(Engine, AnEndDiesAwayOverFiveMillisecondsAtEveryRate) {
    for (const double rate : engine::kHostRates) {
        Engine e;
        e.setSampleRate(rate);
        const Note note = constantNote(e, 10000);
        const auto fade = static_cast<std::size_t>(rate / 200); // whole frames within 5 ms
        e.startNote(VoiceId::key(60), note);
        e.endNote(VoiceId::key(60), 100);
        const auto out = test::render(e, 100 + fade + 10).left;
        for (std::size_t k = 0; k <= fade; ++k)
            ASSERT_NEAR(out[100 + k], 10000.0 * static_cast<double>(fade - k) / fade, 1)
                << rate << " Hz, frame " << k << " of the fade";
        EXPECT_EQ(out.back(), 0);
    }
}

// Notes made from a sample at any rate sound their pitch at every host rate, stepped or
// interpolated: the sample is converted to the engine's rate once, when given.
TEST(Engine, NotesSoundTheirPitchAtEveryHostRate) {
    for (const double sampleRate : {44100.0, 22050.0, 96000.0})
        for (const double rate : engine::kHostRates)
            for (const Resampling how : {Resampling::stepped, Resampling::interpolated})
                for (const double cents : {0.0, -500.0, 702.0}) {
                    Engine e;
                    e.setSampleRate(rate);
                    e.setStringSample(5, test::sineSample(1.0, sampleRate, 262));
                    e.startNote(VoiceId::string(5), e.prepareNote(5, cents, how));
                    const auto out = test::render(e, static_cast<std::size_t>(rate / 2));
                    EXPECT_NEAR(test::centsBetween(test::measuredHz(out.left, rate), 262), cents,
                                1.0)
                        << sampleRate << " Hz sample at " << rate << " Hz, "
                        << static_cast<int>(how);
                    EXPECT_TRUE(out.sameRight);
                }
}

// At the sample's own rate the notes are exactly what their definitions give: a stepped note's
// frame i is source frame floor(ratio * (i + 1)), an interpolated note's the straight line
// between the source frames around i * playRate / 44100, rounded.
TEST(Engine, AtTheSamplesRateNotesFollowTheirDefinitionsExactly) {
    const auto ramp = [](std::size_t i) { return static_cast<int>(i * 7 % 65536) - 32768; };
    const std::size_t count = 30000;
    const double nominal = 130.81;
    for (const double cents : {-1137.5, -20.0, 0.0, 333.25, 1200.0}) {
        Engine e;
        e.setStringSample(3, test::sampleOf(count, 44100, nominal, ramp));
        const auto c = static_cast<float>(cents);

        const Note stepped = e.prepareNote(3, cents, Resampling::stepped);
        const auto ft = static_cast<float>(262 * std::pow(2.0, double(c) / 1200));
        const float ratio = static_cast<float>(double(ft) / double(static_cast<float>(nominal)));
        for (std::size_t i = 0; i < std::min<std::size_t>(stepped.count, 20000); ++i) {
            const auto at = static_cast<std::size_t>(std::floor(double(ratio) * double(i + 1)));
            ASSERT_EQ(stepped.frames[i], at < count ? ramp(at) : 0) << cents << " frame " << i;
        }

        const Note line = e.prepareNote(3, cents, Resampling::interpolated);
        const double step = std::round(44100 * 262 * std::exp2(double(c) / 1200) / nominal) / 44100;
        EXPECT_EQ(line.count, static_cast<std::size_t>((count - 1) / step) + 1) << cents;
        for (std::size_t i = 0; i < line.count; i += 7) {
            const double pos = double(i) * step;
            const auto j = static_cast<std::size_t>(pos);
            const double a = ramp(j), b = j + 1 < count ? ramp(j + 1) : a;
            ASSERT_EQ(line.frames[i], std::lround(a + (b - a) * (pos - double(j))))
                << cents << " frame " << i;
        }
    }
}

// Voices exist for the memory channel, strings 1..26, chord notes 1..32 and keys 0..127; each
// sounds one note, voices sum, a gain scales, a new start cuts the note before.
TEST(Engine, VoicesSumAndEachSoundsOneNote) {
    Engine e;
    const Note note = constantNote(e, 1000);
    for (const VoiceId voice :
         {VoiceId::memoryChannel(), VoiceId::string(1), VoiceId::string(26), VoiceId::chordNote(1),
          VoiceId::chordNote(32), VoiceId::key(0), VoiceId::key(127)})
        EXPECT_TRUE(e.startNote(voice, note, 0.25F)) << voice.number;
    for (const VoiceId voice : {VoiceId::string(0), VoiceId::string(27), VoiceId::chordNote(33),
                                VoiceId::key(128), VoiceId::key(-1)})
        EXPECT_FALSE(e.startNote(voice, note, 0.25F)) << voice.number;
    EXPECT_EQ(test::render(e, 10).left[5], 7 * 250); // the 7 that exist, each at a quarter
    e.startNote(VoiceId::string(1), constantNote(e, -3000, 20000, 2)); // cuts its note
    const auto out = test::render(e, 300).left;
    EXPECT_NEAR(out[0], 6 * 250 - 3000 + 250, 1); // the cut note starts dying away
    EXPECT_EQ(out[299], 6 * 250 - 3000);
}

// A cancel drops what was handed over for later, not what was asked for the next block; a voice
// counts as sounding from the moment its start is sent until its note has ended.
TEST(Engine, ACancelDropsTheScheduledNotesOnly) {
    Engine e;
    const Note note = constantNote(e, 100, 500);
    e.startNoteAt(VoiceId::chordNote(1), note, 1, 1000);
    e.startNoteAt(VoiceId::chordNote(2), note, 1, 0);
    e.startNote(VoiceId::chordNote(3), note, 1, 50);
    EXPECT_TRUE(e.sounding(VoiceId::chordNote(1)));
    EXPECT_EQ(test::render(e, 100).left[60], 200); // 1 is still to come
    e.cancelScheduled();
    EXPECT_EQ(test::render(e, 2000).left[1500], 0);
    EXPECT_FALSE(e.sounding(VoiceId::chordNote(1))); // dropped
    EXPECT_FALSE(e.sounding(VoiceId::chordNote(3))); // ran out
    EXPECT_EQ(e.renderedFrames(), 2100);
}

// The audio thread's render never touches the heap, whatever happens in the block: starts, ends,
// cuts, scheduled notes and a cancel, notes running out and fading.
TEST(Engine, RenderingNeverAllocatesOrFrees) {
    Engine e;
    const Note longNote = constantNote(e, 700, 50000);
    const Note shortNote = constantNote(e, 300, 100, 2);
    std::vector<float> left(256), right(256);
    for (int round = 0; round < 40; ++round) {
        e.startNote(VoiceId::memoryChannel(), round % 2 ? longNote : shortNote, 1, round % 200);
        e.startNoteAt(VoiceId::chordNote(1 + round % 5), longNote, 0.5F, 256 * round + 300);
        e.endNoteAt(VoiceId::chordNote(1 + (round + 2) % 5), 256 * round + 400);
        e.startNote(VoiceId::key(round), shortNote, 0.7F);
        if (round % 3 == 0) e.endNote(VoiceId::key(round - 1 < 0 ? 0 : round - 1), 30);
        if (round % 7 == 0) e.cancelScheduled();
        EXPECT_EQ(test::heapUsesIn([&] { e.render(left.data(), right.data(), 256); }), 0) << round;
    }
}

constexpr int kPeak = 20000;
constexpr std::size_t kBuffer = 256;
// One period every four buffers: a tone started on a buffer's first frame is at a peak on every
// odd buffer boundary after, where the cuts below fall.
constexpr std::size_t kPeriod = 4 * kBuffer;
constexpr int kFade = 220;

int largestStep(const std::vector<std::int16_t>& x, std::size_t from, std::size_t to) {
    int step = 0;
    for (std::size_t i = std::max<std::size_t>(from, 1); i < std::min(to, x.size()); ++i)
        step = std::max(step, std::abs(x[i] - x[i - 1]));
    return step;
}

// Each voice sounding through a cut moves by at most the tone's own largest step, and one cut off
// adds at most its peak over the fade (its slope), plus one for rounding.
int allowedStep(int voices) {
    const int own = static_cast<int>(std::ceil(kPeak * 2 * std::numbers::pi / kPeriod));
    return voices * (own + kPeak / kFade + 2);
}

TEST(Fade, EveryWayANoteEndsDiesAwayWithoutAClick) {
    struct Case {
        std::string what;
        int voices; // sounding through the cut, the one cut among them
        std::function<void(Engine&, const engine::Note&)> cut;
    };
    const std::vector<Case> cases = {
        {"a new start on the voice", 2,
         [](Engine& e, const engine::Note& n) { e.startNote(VoiceId::memoryChannel(), n); }},
        {"an end", 1, [](Engine& e, auto&) { e.endNote(VoiceId::memoryChannel()); }},
        {"a silent start", 1,
         [](Engine& e, auto&) { e.startNote(VoiceId::memoryChannel(), engine::Note{}); }},
        {"an end within the block", 1,
         [](Engine& e, auto&) { e.endNote(VoiceId::memoryChannel(), 3); }},
        // Starts cut on the frame they began were never heard: they go without a fade.
        {"many new starts on one frame", 2, [](Engine& e, const engine::Note& n) {
             for (int i = 0; i < 200; ++i)
                 e.startNoteAt(VoiceId::memoryChannel(), n, 1, e.renderedFrames() + 5);
         }}};
    for (const Case& c : cases) {
        Engine e;
        e.setStringSample(9, test::sineSample(3.0, 44100, 44100.0 / kPeriod, kPeak, 262));
        const engine::Note note = e.prepareNote(9, 0, engine::Resampling::stepped);
        e.startNote(VoiceId::memoryChannel(), note);
        auto out = test::render(e, kBuffer).left;
        ASSERT_GT(std::abs(out.back()), kPeak / 3) << c.what << ": a cut meant at a loud moment";
        c.cut(e, note);
        const auto after = test::render(e, 3 * kBuffer).left;
        out.insert(out.end(), after.begin(), after.end());
        EXPECT_LE(largestStep(out, kBuffer - 1, out.size()), allowedStep(c.voices)) << c.what;
    }
}

// More cuts within one fade than there are fading voices: the quietest fading notes are cut short,
// never the loud one dying away beside them.
TEST(Fade, WhenEveryFadingVoiceIsTakenTheQuietestIsCutShort) {
    constexpr int kQuiet = 10;
    Engine e;
    e.setStringSample(9, test::sineSample(3.0, 44100, 44100.0 / kPeriod, kPeak, 262));
    e.setStringSample(8, test::sampleOf(1000, 44100, 262, [](auto) { return kQuiet; }));
    e.startNote(VoiceId::memoryChannel(), e.prepareNote(9, 0, engine::Resampling::stepped));
    const engine::Note quiet = e.prepareNote(8, 0, engine::Resampling::stepped);
    auto out = test::render(e, kBuffer).left;
    e.endNote(VoiceId::memoryChannel());
    for (int frame = 0; frame < kFade; ++frame) { // two quiet notes cut every frame
        e.startNote(VoiceId::key(2 * frame % 128), quiet);
        e.startNote(VoiceId::key((2 * frame + 1) % 128), quiet);
        out.push_back(test::render(e, 1).left[0]);
    }
    ASSERT_GT(2 * kFade, static_cast<int>(engine::kChordNotes + 1 + 26 + 128) * 2);
    // The loud fade moves as allowedStep(1) allows; each quiet voice starting, fading or cut short
    // adds at most twice its level.
    EXPECT_LE(largestStep(out, kBuffer - 1, out.size()), allowedStep(1) + 4 * 2 * kQuiet);
}

} // namespace
} // namespace zembera
