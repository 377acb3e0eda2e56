#pragma once
// Every note of a string the program sounds, told to whoever listens (the MPE output) by the sound
// that plays it, as it starts and as it ends.
//
// Thread: UI thread.

#include <vector>

#include "model/voice.h"
#include "pitch/per_string.h"
#include "pitch/pitch_table.h"

namespace zembera {

// The loudness the letter keys, the mouse and the players sound at, as a MIDI velocity.
constexpr int kFullVelocity = 127;

struct StartedNote {
    Voice voice;
    double cents = 0; // above C4 at 262 Hz, as soundingCents gives it
    int velocity = kFullVelocity;
};

// The pitch string s sounds at position m, in cents: its table entry plus the string's fine
// tuning; 0 outside the table.
double soundingCents(const PitchTables& tables, const PerString<float>& tuningOffset, int s, int m);

class NoteListener {
  public:
    virtual ~NoteListener() = default;
    // A note starts on `note.voice`, ending any note sounding there.
    virtual void noteStarted(const StartedNote& note) = 0;
    // The note of `voice` ended: stopped, closed or cut off. Harmless when none sounds there.
    virtual void noteEnded(Voice voice) = 0;
};

// Passes every announcement on to each listener added, in the order they were added.
class NoteListeners : public NoteListener {
  public:
    void add(NoteListener& listener);
    void remove(NoteListener& listener);

    void noteStarted(const StartedNote& note) override;
    void noteEnded(Voice voice) override;

  private:
    std::vector<NoteListener*> listeners_;
};

} // namespace zembera
