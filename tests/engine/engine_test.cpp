// The engine as a host drives it: notes started and ended on their frames, at every host rate,
// measured in what it renders.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

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
    for (const auto& [voice, exists] : {std::pair{VoiceId::memoryChannel(), true},
                                        {VoiceId::string(1), true},
                                        {VoiceId::string(26), true},
                                        {VoiceId::string(0), false},
                                        {VoiceId::string(27), false},
                                        {VoiceId::chordNote(1), true},
                                        {VoiceId::chordNote(32), true},
                                        {VoiceId::chordNote(33), false},
                                        {VoiceId::key(0), true},
                                        {VoiceId::key(127), true},
                                        {VoiceId::key(128), false},
                                        {VoiceId::key(-1), false}})
        EXPECT_EQ(e.startNote(voice, note, 0.25F), exists) << voice.number;
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

} // namespace
} // namespace zembera
