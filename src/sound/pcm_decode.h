#pragma once
// Turns a WAV image into the form the mixer plays: mono, 16 bits, 44100 frames per second.

#include <optional>

#include "engine/pcm_sound.h"
#include "samples/sound_image.h"

namespace zembera {

// Thread: UI thread (may allocate; never called by the audio thread).
//
// Canonical data (PCM, 1 channel, 16 bits, 44100 Hz) are played in place: the result points into
// the image and shares its ownership, nothing is copied. Other PCM data of 8 or 16 bits, any
// channel count and any rate are converted once: channels are averaged, 8-bit values centred and
// widened, and the rate brought to 44100 by linear interpolation (at most kMaxSoundFrames).
// A data chunk that claims more bytes than the image holds plays what is there.
// Any other file (other encodings and sample sizes, extensible headers, RIFX, RF64) is decoded by
// decodeAnyWav, and rates converted with libsoxr. Returns nullopt for a file that neither way
// can read: such a sound plays nothing.
std::optional<PcmSound> decodeWav(const SoundImagePtr& image);

} // namespace zembera
