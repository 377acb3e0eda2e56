// The engine used from the UI thread while another thread renders, as the audio device's thread
// does. Under ThreadSanitizer (preset tsan) any data race between the two fails the run, and the
// UI-thread checks are compiled in; in every build the notes must all have ended at the close.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "engine_rig.h"

namespace zembera {
namespace {

using engine::Engine;
using engine::Resampling;
using engine::VoiceId;

// Notes of every kind started, ended, handed over ahead and cancelled, `rounds` times, with a
// yield between commands so that the other thread applies some and not others.
void playNotes(Engine& e, int rounds) {
    const engine::Note shortNote = e.prepareNote(1, 0, Resampling::stepped);
    const engine::Note longNote = e.prepareNote(2, 300, Resampling::interpolated);
    for (int r = 0; r < rounds; ++r) {
        e.startNote(VoiceId::key(r % 128), r % 2 ? longNote : engine::Note{}, 0.7F);
        e.startNote(VoiceId::string(1 + r % 26), shortNote, 1, static_cast<std::uint32_t>(r % 64));
        e.startNoteAt(VoiceId::chordNote(1 + r % 32), longNote, 1, e.renderedFrames() + r % 900);
        std::this_thread::yield();
        e.startNote(VoiceId::memoryChannel(), r % 3 ? longNote : shortNote);
        if (r % 4 == 0) e.endNote(VoiceId::memoryChannel());
        if (r % 9 == 0) e.cancelScheduled();
        e.endNote(VoiceId::key((r + 64) % 128));
        (void)e.sounding(VoiceId::string(1 + r % 26));
        std::this_thread::yield();
    }
    // The last commands must all arrive: each waits for room in the queue.
    const auto surely = [](const auto& send) {
        while (!send())
            std::this_thread::yield();
    };
    surely([&] { return e.cancelScheduled(); });
    surely([&] { return e.endNote(VoiceId::memoryChannel()); });
    for (int k = 0; k < 128; ++k)
        surely([&] { return e.endNote(VoiceId::key(k)); });
    for (int s = 1; s <= 26; ++s)
        surely([&] { return e.endNote(VoiceId::string(s)); });
    for (int c = 1; c <= 32; ++c)
        surely([&] { return e.endNote(VoiceId::chordNote(c)); });
}

TEST(EngineThreads, NotesSentFromTheUiThreadWhileAnotherThreadRenders) {
    Engine e;
    e.setStringSample(1, test::sineSample(0.01, 44100, 262));
    e.setStringSample(2, test::sineSample(0.5, 44100, 300));
    std::atomic<bool> done{false};
    std::thread audio([&] {
        std::vector<float> left(256), right(256);
        while (!done.load(std::memory_order_relaxed))
            e.render(left.data(), right.data(), left.size());
    });
    playNotes(e, 500);
    // Once the renders caught up with the last ends and their fades, nothing sounds.
    const engine::Frame ended = e.renderedFrames() + 2 * 256 + 220;
    while (e.renderedFrames() < ended)
        std::this_thread::yield();
    e.collect();
    EXPECT_FALSE(e.sounding(VoiceId::memoryChannel()));
    done = true;
    audio.join();
    for (const std::int16_t v : test::render(e, 256).left)
        ASSERT_EQ(v, 0);
}

#ifndef NDEBUG
// The UI-thread checks are on in this build: a call from another thread is stopped.
TEST(EngineThreadsDeathTest, AUiThreadCallFromAnotherThreadIsStopped) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Engine e;
    EXPECT_DEATH(std::thread([&] { e.endNote(VoiceId::memoryChannel()); }).join(),
                 "UI-thread-only");
}
#endif

} // namespace
} // namespace zembera
