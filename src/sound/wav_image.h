#pragma once
// Building the in-memory WAV image of a resampled note.

#include <cstdint>
#include <span>

#include "engine/resample.h"
#include "samples/sound_image.h"

namespace zembera {

// A canonical 16-bit mono 44100 Hz WAV image holding the samples of `plan` taken from `source`:
// the 44-byte header followed by the samples, built in one buffer of its final size.
SoundImagePtr buildResampledImage(const ResamplePlan& plan, std::span<const std::int16_t> source);

} // namespace zembera
