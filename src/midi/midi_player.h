#pragma once
// Playing the strings from a MIDI keyboard: each key sounds its string (midi_mapping.h) on a
// voice of its own at the loudness of its velocity until its note-off, or the lift of the
// sustain pedal, lets it die away. A pressed key selects its string as a letter key does. While
// a recording or a replay runs new notes are ignored, as the keyboard is; notes already sounding
// still end when released.
//
// Thread: UI thread only.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/pcm_sound.h"
#include "midi/midi_keys.h"
#include "midi/midi_mapping.h"
#include "model/instrument_ports.h"
#include "model/instrument_state.h"
#include "pitch/pitch_table.h"
#include "samples/sound_image.h"
#include "sound/note_listener.h"
#include "sound/note_voices.h"
#include "sound/patched_sample.h"
#include "sound/string_sounds.h"

namespace zembera {

struct MidiPlayerParts {
    InstrumentState& instrument;
    const PitchTables& tables;
    StringSounds& sounds;
    const PatchedSampleSource& source; // for black keys, sounded away from the current position
    NoteVoices& notes;                 // the sound service
    InstrumentView& view;
    NoteListener* listener = nullptr; // told of every key's note started and ended
};

class MidiPlayer {
  public:
    explicit MidiPlayer(MidiPlayerParts parts) : p_(parts) {}

    // Handles one complete MIDI message.
    void handle(const std::uint8_t* bytes, std::size_t size);
    // Lets every sounding note die away and forgets the held keys.
    void stopAll();

    // Decodes and converts the sounds of the black keys ahead, so that pressing one costs no
    // conversion (each is also kept once played, until its pitch or sample changes).
    void prepareBlackKeys();

    // The voice name of key `note`.
    static std::string noteAlias(int note);

  private:
    void start(int note, int velocity);
    void stop(int note);
    // The sound key `note` plays for `target`, decoded; empty when the string cannot sound.
    const PcmSound& soundOf(int note, const MidiKeyTarget& target);

    MidiPlayerParts p_;
    MidiKeys keys_;
    std::array<int, 128> noteString_{}; // the string each sounding key plays; 0 for none
    // The decoded sound of each key and what it was made from.
    struct KeySound {
        SoundImagePtr image; // a white key: the string's image it decodes
        double cents = 0;    // a black key: the pitch and sample it was patched for
        std::string sample;
        PcmSound sound;
    };
    std::array<KeySound, 128> keySounds_;
};

} // namespace zembera
