// The devices that pull an engine: SDL's "dummy" driver, which calls back in real time on a thread
// of its own while the UI thread sends notes (under ThreadSanitizer, preset tsan, any race between
// the two fails the run), and the paced device, which renders on the UI thread at the clock's pace.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "audio_device/sdl_device.h"
#include "engine/engine_rig.h"

namespace zembera {
namespace {

using engine::VoiceId;

TEST(SdlDevice, TheDummyDriverPullsTheEngineWhileTheUiThreadSendsNotes) {
    engine::Engine e;
    e.setStringSample(
        3, test::sampleOf(4000, 44100, 441, [](auto i) { return i % 100 < 50 ? 3277 : -3277; }));
    const engine::Note note = e.prepareNote(3, 0, engine::Resampling::stepped);
    SdlDevice device(e);
    ASSERT_EQ(device.driverName(), "dummy"); // the tests' main asks for it
    EXPECT_EQ(e.sampleRate(), 44100);
    EXPECT_GE(device.channels(), 1);
    for (int r = 0; r < 200; ++r) {
        e.startNote(VoiceId::key(r % 128), note, 0.5F, static_cast<std::uint32_t>(r % 50));
        e.startNoteAt(VoiceId::chordNote(1 + r % 32), note, 1, e.renderedFrames() + r * 10);
        e.endNote(VoiceId::key((r + 64) % 128));
        if (r % 10 == 0) e.cancelScheduled();
        device.poll();
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    for (int k = 0; k < 128; ++k)
        while (!e.endNote(VoiceId::key(k)))
            std::this_thread::yield();
    while (!e.cancelScheduled())
        std::this_thread::yield();
    // The notes end as the device renders on: a note of 4000 frames and a fade are long over
    // once 8000 more frames have been rendered.
    const engine::Frame from = e.renderedFrames();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (e.renderedFrames() < from + 8000 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_GE(e.renderedFrames(), from + 8000) << "the device stopped pulling";
    e.collect();
    for (int k = 0; k < 128; ++k)
        EXPECT_FALSE(e.sounding(VoiceId::key(k))) << k;
    for (int c = 1; c <= 32; ++c)
        EXPECT_FALSE(e.sounding(VoiceId::chordNote(c))) << c;
}

// Time passes for the engine as on the clock: after a poll it has rendered every frame of the
// time gone by, and none beyond it.
TEST(PacedDevice, RendersTheFramesOfTheTimeGoneBy) {
    engine::Engine e;
    e.setSampleRate(48000);
    const auto made = std::chrono::steady_clock::now();
    PacedDevice device(e);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 3; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const auto before = std::chrono::steady_clock::now();
        device.poll();
        const auto after = std::chrono::steady_clock::now();
        const auto frames = [](auto d) { return std::chrono::duration<double>(d).count() * 48000; };
        EXPECT_GE(static_cast<double>(e.renderedFrames()), frames(before - start) - 1);
        EXPECT_LE(static_cast<double>(e.renderedFrames()), frames(after - made) + 1);
    }
}

} // namespace
} // namespace zembera
