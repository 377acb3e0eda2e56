#pragma once
// Fixed limits of the engine. Everything the audio thread touches is sized from these values once,
// before the first sound plays.

#include <cstddef>

#include "engine/voice_id.h"
#include "pitch/per_string.h"

namespace zembera::engine {

// Mixer voices: the memory channel, one per string, the chord notes and the keys.
inline constexpr std::size_t kVoices = 1 + kStringCount + kChordNotes + kKeys;
// Cut-off sounds dying away at the same time: every voice cut twice within one fade. Beyond that
// the quietest is cut short.
inline constexpr std::size_t kFadingVoices = 2 * kVoices;
inline constexpr std::size_t kCommandCapacity = 256;   // commands queued to the audio thread
inline constexpr std::size_t kScheduleCapacity = 1024; // commands waiting there for their frame
// Notes queued back to the control thread: room for every one the audio side can hold.
inline constexpr std::size_t kReleaseCapacity = 2048;
static_assert(kCommandCapacity + kScheduleCapacity + kVoices + kFadingVoices <= kReleaseCapacity);

// A cut-off note dies away over the whole frames of 5 ms (1 / 200 s).
inline constexpr double kFadesPerSecond = 200;
inline constexpr double kSteppedSeconds = 10;         // longest stepped note
inline constexpr double kInterpolatedSeconds = 60;    // longest interpolated note
inline constexpr double kPlayRateBase = 44100;        // the rate the play rates are counted from
inline constexpr std::size_t kCachedNotes = 64;       // notes kept made for reuse
inline constexpr std::size_t kCachedFrames = 1 << 25; // and their frames at most (64 MB)

} // namespace zembera::engine
