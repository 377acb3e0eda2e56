#pragma once
// Every note of a string the program sounds, told to whoever listens (the MPE output). A note is
// announced by whoever knows which string it is: the sound service for the patched notes it is
// given by string and position (the replay, the melody and score players) and for every end of a
// note on its memory channel (a cut-off or a stop), and for the notes it sounds beside that channel
// (a chord's further notes) with their ends; the instrument player for the notes it plays from a
// string's image and for its letter keys' voices; the MIDI player for its keys.
//
// Thread: UI thread.

#include <array>
#include <vector>

#include "engine/sound_limits.h"
#include "pitch/per_string.h"
#include "pitch/pitch_table.h"

namespace zembera {

// The voice a note sounds on; a new note there ends the one before. The memory channel (mouse,
// selection and mandal keys, replay, melody), the voice of each string's letter key (1..26), the
// keys of a MIDI keyboard (0..127) and the notes the sound service plays beside the memory channel
// (a score chord's further notes), each under the mixer's alias voice v it sounds on
// (0..kAliasVoices-1), so that no two sounding at once share a number.
constexpr int kMemoryVoice = 0;
constexpr int letterVoice(int s) {
    return s;
}
constexpr int midiKeyVoice(int key) {
    return 128 + key;
}
constexpr int besideVoice(int v) {
    return 256 + v;
}
// One past the highest voice number.
constexpr int kVoiceNumbers = besideVoice(static_cast<int>(kAliasVoices));

// The loudness the letter keys, the mouse and the players sound at, as a MIDI velocity.
constexpr int kFullVelocity = 127;

struct StartedNote {
    int voice = kMemoryVoice;
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
    virtual void noteEnded(int voice) = 0;
};

// Passes every announcement on to each listener added, in the order they were added.
class NoteListeners : public NoteListener {
  public:
    void add(NoteListener& listener);
    void remove(NoteListener& listener);

    void noteStarted(const StartedNote& note) override;
    void noteEnded(int voice) override;

  private:
    std::vector<NoteListener*> listeners_;
};

} // namespace zembera
