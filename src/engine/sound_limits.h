#pragma once
// Fixed limits of the real-time sound path. Everything the audio thread touches is sized from
// these values once, before the first sound plays.

#include <cstddef>
#include <cstdint>

namespace zembera {

constexpr std::uint32_t kOutputRate = 44100;     // frames per second sent to the device
constexpr std::size_t kDeviceBufferFrames = 256; // frames per device buffer asked of SDL (5.8 ms)
constexpr std::size_t kMixChunkFrames = 256;     // frames summed per pass in a stack buffer
constexpr std::size_t kAliasVoices = 64;         // MCI aliases open at the same time
constexpr std::size_t kCommandCapacity = 256;    // commands queued from the UI to the audio thread
constexpr std::size_t kReleaseCapacity = 512;    // sound references queued back to the UI thread
// Frames over which a sound that is cut off (stopped, closed, or replaced by a new start) dies
// away in a straight line, so that it ends without a click (5 ms).
constexpr std::size_t kReleaseFadeFrames = kOutputRate / 200;
// Cut-off sounds dying away at the same time: every voice cut twice within one fade. Beyond
// that the quietest is cut short.
constexpr std::size_t kFadingVoices = 2 * (1 + kAliasVoices);
constexpr std::size_t kMaxSoundFrames = 60 * kOutputRate; // longest converted sound (60 s)

} // namespace zembera
