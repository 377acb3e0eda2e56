#pragma once
// The note a replay or a melody sounds on the memory channel: read and converted when it is
// drawn, so that it starts on its onset, and cut by the next onset, a pause, a stop or the end.
//
// Thread: UI thread only.

#include <optional>

#include "files/played_note.h"
#include "sound/patched_sample.h"
#include "sound/sound_output.h"

namespace zembera {

class MemoryChannelNote {
  public:
    // Prepares the note drawn; nothing for a rest or a silent note.
    void prepare(SoundOutput& sound, const PatchedSampleSource& source,
                 const std::optional<PlayedNote>& sounded) {
        prepared_.reset();
        if (sounded)
            prepared_ = sound.PreparePatchedSample(source, sounded->string, sounded->mandal);
    }
    // At the onset: cuts the note before and starts the prepared one. A silent note still takes
    // its time as an open note; a rest (`opens` false) only ends the note before it.
    void start(SoundOutput& sound, const PatchedSampleSource& source, bool opens) {
        silence(sound);
        if (prepared_) sound.PlayPrepared(source, *prepared_);
        open_ = opens;
    }
    void silence(SoundOutput& sound) {
        if (open_) sound.StopAllSound();
        open_ = false;
    }

  private:
    std::optional<SoundOutput::PreparedNote> prepared_;
    bool open_ = false; // a note sounds (or, silent, takes its time) until the next onset
};

} // namespace zembera
