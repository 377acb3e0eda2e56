#pragma once
// The MIDI player's notes on the program's sound service.
//
// Thread: UI thread.

#include "midi/midi_player.h"
#include "sound/sound_service.h"

namespace zembera {

class SoundServiceNotes : public MidiNoteOutput {
  public:
    explicit SoundServiceNotes(SoundService& sound) : sound_(sound) {}
    bool PlayNote(const std::string& alias, const PcmSound& sound, float gain) override {
        return sound_.PlayNote(alias, sound, gain);
    }
    void FadeNoteClose(const std::string& alias) override { sound_.FadeNoteClose(alias); }

  private:
    SoundService& sound_;
};

} // namespace zembera
