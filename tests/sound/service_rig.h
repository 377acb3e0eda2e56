#pragma once
// Sounds made from sample lists, and a sound service pulled on the test's thread.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/audio_backend.h"
#include "engine/pcm_sound.h"
#include "engine/sound_limits.h"
#include "samples/sound_image.h"
#include "sound/sound_service.h"
#include "sound_test_support.h"

namespace zembera::test {

inline std::vector<std::int16_t> pcmSamples(const PcmSound& sound) {
    return samplesIn({sound.data, 2 * sound.frames});
}

inline SoundImagePtr share(const std::vector<std::uint8_t>& bytes) {
    return std::make_shared<const SoundImage>(asImage(bytes));
}

inline SoundImagePtr imageOf(const std::vector<std::int16_t>& samples) {
    return share(canonicalWav(samples));
}

inline std::vector<std::int16_t> constant(std::size_t count, std::int16_t value) {
    return std::vector<std::int16_t>(count, value);
}

// Samples from..from+n-1 of `v`, zeros past its end: what a voice should put out.
inline std::vector<std::int16_t> slice(const std::vector<std::int16_t>& v, std::size_t from,
                                       std::size_t n) {
    std::vector<std::int16_t> out(n, 0);
    for (std::size_t i = 0; i < n && from + i < v.size(); ++i)
        out[i] = v[from + i];
    return out;
}

// Frames from..from+n-1 of a cut-off sound of constant `level` dying away: full level at the cut,
// falling in a straight line to nothing over kReleaseFadeFrames, then silence.
inline std::vector<int> dying(int level, std::size_t from, std::size_t n) {
    std::vector<int> out(n, 0);
    for (std::size_t i = 0; i < n && from + i < kReleaseFadeFrames; ++i)
        out[i] = static_cast<int>(std::lround(static_cast<double>(level) *
                                              static_cast<double>(kReleaseFadeFrames - from - i) /
                                              kReleaseFadeFrames));
    return out;
}

// Whether `actual` is `a` plus `b` to within one (the fade's rounding), frame by frame.
inline ::testing::AssertionResult sumsTo(const std::vector<std::int16_t>& actual,
                                         const std::vector<int>& a, const std::vector<int>& b) {
    if (actual.size() != a.size() || a.size() != b.size())
        return ::testing::AssertionFailure() << "lengths differ";
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::abs(actual[i] - (a[i] + b[i])) > 1)
            return ::testing::AssertionFailure()
                   << "frame " << i << ": " << actual[i] << " instead of " << a[i] + b[i];
    return ::testing::AssertionSuccess();
}

inline std::vector<int> widened(const std::vector<std::int16_t>& v) {
    return {v.begin(), v.end()};
}

// A sound service on a null backend: render() pulls mono frames on the calling thread.
class ServiceRig {
  public:
    std::vector<std::int16_t> render(std::size_t frames) {
        std::vector<std::int16_t> out(frames, 0x5a5a); // every value is overwritten
        output_->render(out);
        return out;
    }
    NullBackend& output() { return *output_; }

  private:
    // Made before the service, which takes ownership of it; the rig pulls through this pointer.
    NullBackend* output_ = new NullBackend;

  public:
    SoundService sound{std::unique_ptr<AudioBackend>(output_)};
};

} // namespace zembera::test
