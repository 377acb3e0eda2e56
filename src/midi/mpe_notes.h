#pragma once
// Every note the program sounds, sent out as MPE (mpe_encoder.h) when an output is attached: it
// listens to the notes announced (note_listener.h), each voice's note under the voice's number.
//
// Thread: UI thread.

#include <cstdint>
#include <functional>
#include <vector>

#include "midi/mpe_encoder.h"
#include "model/note_listener.h"

namespace zembera {

class MpeNotes : public NoteListener {
  public:
    // Receives each message (three bytes) to send; none means MPE is off.
    using Sink = std::function<void(const std::vector<std::uint8_t>&)>;
    // Attaching an output sends the configuration first; detaching ends the sounding notes.
    void attach(Sink sink);
    void detach();
    bool attached() const { return static_cast<bool>(sink_); }

    void noteOn(int id, double cents, int velocity);
    void noteOff(int id);

    void noteStarted(const StartedNote& note) override {
        noteOn(voiceNumber(note.voice), note.cents, note.velocity);
    }
    void noteEnded(Voice voice) override { noteOff(voiceNumber(voice)); }

  private:
    void send(const MpeEncoder::Bytes& bytes);
    bool sounding(int id) const;

    Sink sink_;
    MpeEncoder encoder_;
    std::vector<int> sounding_;
};

} // namespace zembera
