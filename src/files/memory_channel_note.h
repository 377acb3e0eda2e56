#pragma once
// The note a replay or a melody sounds on the memory channel: made ready when it is drawn, so that
// it starts on its onset, and cut by the next onset, a pause, a stop or the end.
//
// Thread: UI thread only.

#include <optional>

#include "model/sound_port.h"

namespace zembera {

class MemoryChannelNote {
  public:
    // Prepares the note drawn; nothing for a rest or a silent note.
    void prepare(SoundPort& sound, const std::optional<StringNote>& note) {
        note_ = note;
        if (note_) sound.prepare(*note_);
    }
    // At the onset: cuts the note before and starts the prepared one. A silent note still takes
    // its time as an open note; a rest (`opens` false) only ends the note before it.
    void start(SoundPort& sound, bool opens) {
        silence(sound);
        if (note_) sound.startNote(Voice::memoryChannel(), *note_);
        open_ = opens;
    }
    void silence(SoundPort& sound) {
        if (open_) sound.endNote(Voice::memoryChannel());
        open_ = false;
    }

  private:
    std::optional<StringNote> note_;
    bool open_ = false; // a note sounds (or, silent, takes its time) until the next onset
};

} // namespace zembera
