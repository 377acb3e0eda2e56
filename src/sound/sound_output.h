#pragma once
// What the players need of the sound: the sound service implements it, tests record the calls.

#include <cstdint>
#include <string>

#include "engine/pcm_sound.h"
#include "samples/sound_image.h"
#include "sound/patched_sample.h"

namespace zembera {

class SoundOutput {
  public:
    virtual ~SoundOutput() = default;
    // Plays a WAV image on the memory channel, cutting off the sound playing there.
    virtual void PlayImage(const SoundImagePtr& image, std::uint32_t flags) = 0;
    // Opens a wave file under an alias and plays it from the start; false when the open fails
    // (the alias is still open, or the file cannot be read).
    virtual bool MciOpenPlay(const std::string& file, const std::string& alias) = 0;
    // The same open and play of `file` under `alias`, taking the content from `content`, an image
    // the caller knows the file holds (or would hold, when it cannot be written): nothing is read
    // from disk. Outputs without such a shortcut open the file.
    virtual bool MciOpenPlayImage(const std::string& file, const std::string& alias,
                                  const SoundImagePtr& /*content*/) {
        return MciOpenPlay(file, alias);
    }
    // Stops and closes the alias; harmless when it is not open.
    virtual void MciStopClose(const std::string& alias) = 0;
    // Sounds the sample of string s at the pitch of mandal position m on the memory channel,
    // cutting off the sounding note (the replay and the melody player). Outputs that only serve
    // the playing handlers may leave this and StopAllSound silent.
    virtual void PlayPatchedSample(const PatchedSampleSource& /*source*/, int /*s*/, int /*m*/) {}
    // Silences the memory channel: the "no sound" call that ends a replayed or melody note.
    virtual void StopAllSound() {}

    // A note of the players made ready before its onset (read, patched and converted), so that
    // starting it costs next to nothing. An output that prepares nothing ahead starts it with
    // PlayPatchedSample.
    struct PreparedNote {
        int s = 0;
        int m = 0;
        bool ready = false;
        PcmSound sound; // when ready; empty for a sample that cannot play
    };
    virtual PreparedNote PreparePatchedSample(const PatchedSampleSource& /*source*/, int s, int m) {
        return PreparedNote{s, m, false, {}};
    }
    // Sounds a prepared note as PlayPatchedSample(source, note.s, note.m) would.
    virtual void PlayPrepared(const PatchedSampleSource& source, const PreparedNote& note) {
        PlayPatchedSample(source, note.s, note.m);
    }
    // Sounds a prepared note beside the memory channel, on a voice of its own under `alias` at its
    // own level, cutting nothing (the further notes of a chord); MciStopClose(alias) ends it.
    virtual void PlayPreparedBeside(const PatchedSampleSource& /*source*/,
                                    const PreparedNote& /*note*/, const std::string& /*alias*/) {}
};

} // namespace zembera
