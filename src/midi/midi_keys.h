#pragma once
// The keys of a MIDI keyboard as notes: which note starts and which stops for each message.
// One note per key: a new note-on of a sounding key restarts it. The sustain pedal (controller
// 64) keeps released keys sounding until it is lifted; "all notes off" and "all sound off"
// (controllers 123 and 120) stop every note. Other messages do nothing.
//
// Thread: the thread that handles the messages (the UI thread).

#include <array>
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

// The notes one message stops and starts: at most every key and one more, held without
// allocating so that an audio thread can handle messages too.
struct MidiNoteEvents {
    std::array<MidiNoteEvent, 129> events{};
    std::size_t count = 0;
    void push_back(const MidiNoteEvent& e) { events[count++] = e; }
    const MidiNoteEvent* begin() const { return events.data(); }
    const MidiNoteEvent* end() const { return events.data() + count; }
};

class MidiKeys {
  public:
    // Handles one complete message (status byte first; running status is resolved by the MIDI
    // library) and returns the notes to stop and start, in that order.
    std::vector<MidiNoteEvent> handle(const std::uint8_t* bytes, std::size_t size);
    // The same into `out` (emptied first), allocating nothing.
    void handle(const std::uint8_t* bytes, std::size_t size, MidiNoteEvents& out);

    bool sounding(int note) const { return note >= 0 && note < 128 && sounding_[note]; }
    // Forgets every note without events (the notes were stopped by other means).
    void clear();

  private:
    void noteOn(int note, int velocity, MidiNoteEvents& out);
    void noteOff(int note, MidiNoteEvents& out);
    void pedal(bool down, MidiNoteEvents& out);
    void stopAll(MidiNoteEvents& out);

    std::bitset<128> held_;     // key down
    std::bitset<128> sounding_; // held, or released under the pedal
    bool pedal_ = false;
};

} // namespace zembera
