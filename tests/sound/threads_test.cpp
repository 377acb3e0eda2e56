// The sound service used from the UI thread while another thread renders, as the audio device's
// thread does. Under ThreadSanitizer (preset tsan) any data race between the two fails the run,
// and the UI-thread checks are compiled in.

#include <gtest/gtest.h>

#include <SDL.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "audio_device/sdl_backend.h"
#include "engine/sound_limits.h"
#include "service_rig.h"
#include "sound/pcm_decode.h"

namespace zembera {
namespace {

std::vector<std::int16_t> tone(std::size_t frames, int level) {
    std::vector<std::int16_t> v(frames);
    for (std::size_t i = 0; i < frames; ++i)
        v[i] = static_cast<std::int16_t>(i % 100 < 50 ? level : -level);
    return v;
}

// Notes of every kind started, closed and cut from the UI thread, `rounds` times; waits
// between commands with `wait` so that the other thread applies some and not others.
void playNotes(SoundService& sound, int rounds, const std::function<void()>& wait) {
    const auto shortNote = test::imageOf(tone(300, 1000));
    const auto longNote = test::imageOf(tone(5000, 500));
    const PcmSound decoded = *decodeWav(longNote);
    for (int r = 0; r < rounds; ++r) {
        const std::string alias = "n" + std::to_string(r % 70);
        sound.PlayNote(alias, r % 2 ? decoded : PcmSound{}, 0.7F);
        sound.PlayNote(alias + "x", shortNote, 0.5F);
        sound.PlayImage(r % 3 ? longNote : shortNote, kSndAsync);
        wait();
        sound.MciOpenPlay("k.wav", "k" + std::to_string(r % 5), shortNote);
        if (r % 4 == 0) sound.StopAllSound();
        sound.FadeNoteClose(alias);
        sound.MciStopClose(alias + "x");
        if (r % 7 == 0) sound.MciStopClose("k" + std::to_string((r + 2) % 5));
        (void)sound.memorySounding();
        (void)sound.aliasSounding(alias);
        wait();
    }
    sound.StopAllSound();
    for (int k = 0; k < 5; ++k)
        sound.MciStopClose("k" + std::to_string(k));
}

// The test's own thread is the UI thread; a second thread pulls device buffers without pause.
TEST(SoundThreads, NotesSentFromTheUiThreadWhileAnotherThreadRenders) {
    test::ServiceRig rig;
    std::atomic<bool> done{false};
    std::atomic<long> buffers{0};
    std::thread audio([&] {
        std::vector<std::int16_t> out(kDeviceBufferFrames);
        while (!done.load(std::memory_order_relaxed)) {
            rig.output().render(out);
            buffers.fetch_add(1, std::memory_order_relaxed);
        }
    });
    playNotes(rig.sound, 3000, [] { std::this_thread::yield(); });
    // Every sound has been closed or stopped: once the renders caught up, nothing sounds.
    const long before = buffers.load();
    while (buffers.load() < before + 2 + static_cast<long>(kReleaseFadeFrames))
        std::this_thread::yield();
    rig.sound.pump();
    EXPECT_FALSE(rig.sound.memorySounding());
    done = true;
    audio.join();
    std::vector<std::int16_t> out(kReleaseFadeFrames);
    rig.output().render(out);
    EXPECT_EQ(out, std::vector<std::int16_t>(kReleaseFadeFrames, 0));
}

// The same through SDL's own audio thread on the "dummy" driver, which calls back in real time.
TEST(SoundThreads, NotesSentWhileSdlsAudioThreadCallsBack) {
    const char* was = std::getenv("SDL_AUDIODRIVER");
    const std::string before = was ? was : "";
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    {
        auto backend = std::make_unique<SdlBackend>();
        SdlBackend& sdl = *backend;
        SoundService sound(std::move(backend));
        EXPECT_EQ(sdl.driverName(), "dummy");
        playNotes(sound, 300, [] { SDL_Delay(1); });
    }
    if (was)
        setenv("SDL_AUDIODRIVER", before.c_str(), 1);
    else
        unsetenv("SDL_AUDIODRIVER");
}

#ifndef NDEBUG
// The UI-thread checks are on in this build: a call from another thread is stopped.
TEST(SoundThreadsDeathTest, AUiThreadCallFromAnotherThreadIsStopped) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    test::ServiceRig rig;
    EXPECT_DEATH(std::thread([&] { rig.sound.StopAllSound(); }).join(), "UI-thread-only");
}
#endif

} // namespace
} // namespace zembera
