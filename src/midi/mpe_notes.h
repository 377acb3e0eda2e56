#pragma once
// Every note the program sounds, sent out as MPE (mpe_encoder.h) when an output is attached.
// Notes are numbered by their source: 0 the memory channel (mouse, selection keys, replay,
// melody), 1..26 the letter key of each string, 128 + key the keys of a MIDI keyboard.
//
// Thread: UI thread.

#include <cstdint>
#include <functional>
#include <vector>

#include "midi/mpe_encoder.h"

namespace zembera {

constexpr int kMemoryNoteId = 0;
constexpr int midiKeyNoteId(int key) {
    return 128 + key;
}

class MpeNotes {
  public:
    // Receives each message (three bytes) to send; none means MPE is off.
    using Sink = std::function<void(const std::vector<std::uint8_t>&)>;
    // Attaching an output sends the configuration first; detaching ends the sounding notes.
    void attach(Sink sink);
    void detach();
    bool attached() const { return static_cast<bool>(sink_); }

    void noteOn(int id, double cents, int velocity);
    void noteOff(int id);

  private:
    void send(const MpeEncoder::Bytes& bytes);

    Sink sink_;
    MpeEncoder encoder_;
    std::vector<int> sounding_;
};

} // namespace zembera
