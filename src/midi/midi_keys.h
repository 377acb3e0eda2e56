#pragma once
// The keys of a MIDI keyboard as notes: which note starts and which stops for each message.
// One note per key: a new note-on of a sounding key restarts it. The sustain pedal (controller
// 64) keeps released keys sounding until it is lifted; "all notes off" and "all sound off"
// (controllers 123 and 120) stop every note. Other messages do nothing.
//
// Thread: the thread that handles the messages (the UI thread).

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zembera {

struct MidiNoteEvent {
    enum Kind { Start, Stop } kind = Start;
    int note = 0;
    int velocity = 0; // for Start, 1..127
    bool operator==(const MidiNoteEvent&) const = default;
};

class MidiKeys {
  public:
    // Handles one complete message (status byte first; running status is resolved by the MIDI
    // library) and returns the notes to stop and start, in that order.
    std::vector<MidiNoteEvent> handle(const std::uint8_t* bytes, std::size_t size);

    bool sounding(int note) const { return note >= 0 && note < 128 && sounding_[note]; }
    // Forgets every note without events (the notes were stopped by other means).
    void clear();

  private:
    void noteOn(int note, int velocity, std::vector<MidiNoteEvent>& out);
    void noteOff(int note, std::vector<MidiNoteEvent>& out);
    void pedal(bool down, std::vector<MidiNoteEvent>& out);
    void stopAll(std::vector<MidiNoteEvent>& out);

    std::bitset<128> held_;     // key down
    std::bitset<128> sounding_; // held, or released under the pedal
    bool pedal_ = false;
};

} // namespace zembera
