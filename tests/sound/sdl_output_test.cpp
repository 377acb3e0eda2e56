// The SDL backend on SDL's "disk" driver (what it plays goes into a file) and its fall-back.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "service_rig.h"
#include "sound/sdl_backend.h"
#include "sound/sound_limits.h"

namespace zembera {
namespace {

using namespace std::chrono_literals;
using test::constant;

// The SDL driver of the next device; the disk driver writes to `file`, `delay` ms a buffer.
void useDriver(const char* driver, const std::string& file = "", const char* delay = "2") {
    setenv("SDL_AUDIODRIVER", driver, 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", delay, 1);
}

// A sound service playing through a real SDL backend.
struct SdlRig {
    SdlBackend* device = new SdlBackend; // owned by `sound`, made first
    SoundService sound{std::unique_ptr<AudioBackend>(device)};
};

TEST(SdlOutput, DeviceThatGoesAwayIsReplacedByANewOne) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "needs /dev/full";
    test::TempDir folder;
    const auto capture = folder.path() / "after.raw";
    const auto note = test::rampSamples(2000); // no zero in it
    {
        // Every write to /dev/full fails, and SDL's disk driver then reports its device gone.
        useDriver("disk", "/dev/full", "1");
        SdlRig rig;
        ASSERT_EQ(rig.device->driverName(), "disk");
        // The next device the backend opens writes here instead. The first buffers fill the
        // stream's cache, then writing fails; the backend notices when the UI thread pumps.
        setenv("SDL_DISKAUDIOFILE", capture.string().c_str(), 1);
        for (int i = 0; i < 400 && !std::filesystem::exists(capture); ++i) {
            std::this_thread::sleep_for(5ms);
            rig.sound.pump();
        }
        ASSERT_TRUE(std::filesystem::exists(capture)) << "the lost device was not replaced";
        std::this_thread::sleep_for(10ms); // a few silent buffers first
        rig.sound.PlayImage(test::imageOf(note), kSndAsync);
        // Until the file holds the note and more, whatever the pace of the device thread (the
        // driver's stream may hold back a few kilobytes); the checks below tell what went wrong.
        const std::uintmax_t target = std::filesystem::file_size(capture) + 2 * (2000 + 5120);
        for (int i = 0; i < 1000 && std::filesystem::file_size(capture) < target; ++i)
            std::this_thread::sleep_for(5ms);
        EXPECT_EQ(rig.device->driverName(), "disk");
    }
    const std::vector<std::int16_t> out = test::samplesIn(test::readFile(capture));
    const auto start = static_cast<std::size_t>(
        std::find_if(out.begin(), out.end(), [](std::int16_t v) { return v != 0; }) - out.begin());
    ASSERT_LE(start + note.size(), out.size()) << "the note did not play on a new device";
    EXPECT_EQ(start % 256, 0u); // at the start of one of the device's 256-frame buffers
    EXPECT_EQ(test::slice(out, start, note.size()), note);
}

TEST(SdlOutput, DummyOrFallBackDriverDrainsTheQueueAndOnlyTheFallBackSaysSo) {
    for (const bool fallsBack : {false, true}) {
        SCOPED_TRACE(fallsBack ? "no working driver" : "dummy driver");
        testing::internal::CaptureStderr();
        {
            useDriver(fallsBack ? "no-such-driver" : "dummy");
            SdlRig rig;
            EXPECT_EQ(rig.device->driverName(), "dummy");
            // Far more starts than the command ring holds: the device thread keeps draining it.
            SoundImagePtr image = test::imageOf(constant(100, 5));
            const std::weak_ptr<const SoundImage> watch = image;
            for (int i = 0; i < 3 * static_cast<int>(kCommandCapacity); ++i) {
                rig.sound.PlayImage(image, kSndAsync);
                if (i % 64 == 0) std::this_thread::sleep_for(1ms);
            }
            image.reset();
            for (int i = 0; i < 200 && !watch.expired(); ++i) {
                std::this_thread::sleep_for(5ms);
                rig.sound.pump();
            }
            EXPECT_TRUE(watch.expired());
            EXPECT_FALSE(rig.sound.MciOpenPlay("", "ab"));
        }
        const std::string said = testing::internal::GetCapturedStderr();
        if (fallsBack) {
            EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
            EXPECT_NE(said.find("no audio device"), std::string::npos) << said;
        } else {
            EXPECT_EQ(said, "");
        }
    }
}

} // namespace
} // namespace zembera
