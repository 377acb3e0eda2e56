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

#include "midi/midi_keys.h"
#include "midi/midi_mapping.h"
#include "model/instrument_ports.h"
#include "model/instrument_state.h"
#include "model/sound_port.h"
#include "pitch/pitch_table.h"

namespace zembera {

struct MidiPlayerParts {
    InstrumentState& instrument;
    const PitchTables& tables;
    const PerString<float>& tuningOffset;
    SoundPort& sound;
    InstrumentView& view;
};

class MidiPlayer {
  public:
    explicit MidiPlayer(MidiPlayerParts parts) : p_(parts) {}

    // Handles one complete MIDI message.
    void handle(const std::uint8_t* bytes, std::size_t size);
    // Lets every sounding note die away and forgets the held keys.
    void stopAll();

    // Makes the notes of the black keys ready ahead, so that pressing one costs nothing.
    void prepareBlackKeys();

  private:
    void start(int note, int velocity);
    void stop(int note);
    // What key `note` sounds for `target`: a white key the string's own sound where its mandal
    // stands (as its letter key plays it), a black key the string's sample brought to the pitch of
    // its sharp or flat, leaving the string as it is.
    StringNote noteOf(const MidiKeyTarget& target, int velocity) const;

    MidiPlayerParts p_;
    MidiKeys keys_;
    std::array<int, 128> noteString_{}; // the string each sounding key plays; 0 for none
};

} // namespace zembera
