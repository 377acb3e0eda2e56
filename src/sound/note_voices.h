#pragma once
// What the keys of a MIDI keyboard need of the sound: notes on voices of their own, each under
// an alias at a loudness of its own, closed with a short fade. The sound service implements it;
// tests record the calls.
//
// Thread: UI thread.

#include <string>

#include "engine/pcm_sound.h"

namespace zembera {

class NoteVoices {
  public:
    virtual ~NoteVoices() = default;
    // Sounds `sound` (decoded ahead, decodeWav) under `alias` at `gain` times its level; false
    // when the alias is already open or no voice is free.
    virtual bool PlayNote(const std::string& alias, const PcmSound& sound, float gain) = 0;
    // Closes `alias`, its note dying away over 5 ms; harmless when it is not open.
    virtual void FadeNoteClose(const std::string& alias) = 0;
};

} // namespace zembera
