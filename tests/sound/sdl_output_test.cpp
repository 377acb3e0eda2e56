// The real output path: the SDL backend with SDL's "disk" driver, which writes what the device
// would play into a file, and the fall-back when no driver works.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <thread>

#include "service_rig.h"
#include "sound/sdl_backend.h"
#include "sound/sound_limits.h"
#include "sound_test_support.h"

namespace zembera {
namespace {

using namespace std::chrono_literals;
using test::constant;

// Sets an environment variable for the life of the guard, then puts the old value back.
class EnvGuard {
  public:
    EnvGuard(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~EnvGuard() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

std::vector<std::int16_t> pattern(std::size_t count, int first, int step, int modulus) {
    std::vector<std::int16_t> v(count);
    for (std::size_t i = 0; i < count; ++i)
        v[i] = static_cast<std::int16_t>(first + static_cast<int>(i) * step % modulus);
    return v;
}

// Bytes in the capture file so far (0 before the device creates it).
std::uintmax_t capturedBytes(const std::filesystem::path& file) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    return error ? 0 : size;
}

// Waits until the capture file holds `frames` more frames than `from` bytes, whatever the pace
// of the device thread (the driver's stream may hold back up to a few kilobytes). Gives up after
// five seconds; the checks of the content then tell what went wrong.
void waitForFrames(const std::filesystem::path& file, std::uintmax_t from, std::size_t frames) {
    const std::uintmax_t target = from + 2 * (frames + 4096);
    for (int i = 0; i < 1000 && capturedBytes(file) < target; ++i)
        std::this_thread::sleep_for(5ms);
}

// A sound service playing through a real SDL backend.
struct SdlRig {
    SdlBackend* device = new SdlBackend; // owned by `sound`, made first
    SoundService sound{std::unique_ptr<AudioBackend>(device)};
};

std::size_t firstNonZero(const std::vector<std::int16_t>& v, std::size_t from) {
    while (from < v.size() && v[from] == 0)
        ++from;
    return from;
}

TEST(SdlOutput, DiskDriverReceivesTheSamplesInOrderCutAtABufferBoundary) {
    test::TempDir folder;
    const auto capture = folder.path() / "out.raw";
    EnvGuard driver("SDL_AUDIODRIVER", "disk");
    EnvGuard file("SDL_DISKAUDIOFILE", capture.string());
    EnvGuard delay("SDL_DISKAUDIODELAY", "2"); // ms per buffer: a little faster than real time

    // Long enough to be cut off (about 0.35 s at this pace), with values no other sound has.
    const auto first = pattern(44100, 1, 7, 30000);
    const auto second = pattern(3000, -20000, 3, 15000);
    {
        SdlRig rig;
        ASSERT_EQ(rig.device->driverName(), "disk");
        ASSERT_EQ(rig.device->channels(), 1);

        rig.sound.PlayImage(test::imageOf(first), kSndAsync);
        std::this_thread::sleep_for(30ms);
        rig.sound.PlayImage(test::imageOf(second), kSndAsync); // cuts the first one off
        waitForFrames(capture, capturedBytes(capture), second.size() + 512);
    }
    const std::vector<std::int16_t> out = test::samplesIn(test::readFile(capture));

    // The first image from its first sample, at a buffer boundary, until the second cuts in.
    const std::size_t start = firstNonZero(out, 0);
    ASSERT_LT(start, out.size()) << "nothing was played";
    EXPECT_EQ(start % 256, 0u);
    std::size_t k = 0;
    while (start + k < out.size() && k < first.size() && out[start + k] == first[k])
        ++k;
    ASSERT_GT(k, 0u);
    ASSERT_LT(k, first.size()) << "the first image was not cut off";
    const std::size_t cut = start + k;
    EXPECT_EQ(cut % 256, 0u);
    ASSERT_LE(cut + second.size(), out.size());
    EXPECT_EQ(test::slice(out, cut, second.size()), second);

    EXPECT_EQ(firstNonZero(out, cut + second.size()), out.size()) << "sound after the second";
}

TEST(SdlOutput, DeviceThatGoesAwayIsReplacedByANewOne) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "needs /dev/full";
    test::TempDir folder;
    const auto capture = folder.path() / "after.raw";
    // Every write to /dev/full fails, and SDL's disk driver then reports its device gone.
    EnvGuard driver("SDL_AUDIODRIVER", "disk");
    EnvGuard file("SDL_DISKAUDIOFILE", "/dev/full");
    EnvGuard delay("SDL_DISKAUDIODELAY", "1");
    const auto note = pattern(2000, 50, 17, 20000);
    {
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
        rig.sound.PlayImage(test::imageOf(note), kSndAsync);
        waitForFrames(capture, capturedBytes(capture), note.size() + 1024);
        EXPECT_EQ(rig.device->driverName(), "disk");
    }
    const std::vector<std::int16_t> out = test::samplesIn(test::readFile(capture));
    const std::size_t start = firstNonZero(out, 0);
    ASSERT_LE(start + note.size(), out.size()) << "the note did not play on a new device";
    EXPECT_EQ(test::slice(out, start, note.size()), note);
}

TEST(SdlOutput, DummyOrFallBackDriverDrainsTheQueueAndOnlyTheFallBackSaysSo) {
    for (const bool fallsBack : {false, true}) {
        SCOPED_TRACE(fallsBack ? "no working driver" : "dummy driver");
        EnvGuard driver("SDL_AUDIODRIVER", fallsBack ? "no-such-driver" : "dummy");
        testing::internal::CaptureStderr();
        {
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
            rig.sound.StopAllSound();
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
