// No note is ever cut off in a step, whichever way it ends: a new start on its voice, an end, a
// silent start, many cuts within one fade. The output is pulled in device buffers, and at each cut
// its largest step from frame to frame is held to what the fade allows.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <numbers>
#include <string>

#include "engine_rig.h"

namespace zembera {
namespace {

using engine::Engine;
using engine::VoiceId;

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
