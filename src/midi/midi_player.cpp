#include "midi/midi_player.h"

#include "midi/midi_mapping.h"
#include "midi/mpe_sound_output.h"
#include "midi/velocity.h"

namespace zembera {

std::string MidiPlayer::noteAlias(int note) {
    return "midi" + std::to_string(note);
}

void MidiPlayer::handle(const std::uint8_t* bytes, std::size_t size) {
    for (const MidiNoteEvent& e : keys_.handle(bytes, size)) {
        if (e.kind == MidiNoteEvent::Stop) {
            stop(e.note);
        } else {
            start(e.note, e.velocity);
        }
    }
}

void MidiPlayer::stopAll() {
    for (int note = 0; note < 128; ++note)
        stop(note);
    keys_.clear();
}

void MidiPlayer::start(int note, int velocity) {
    InstrumentState& st = p_.instrument;
    if (st.recording || st.playingBack) return;
    const auto target = midiKeyTarget(note, p_.tables, st);
    if (!target) return;
    const int s = target->string;
    // A white key plays the string's current sound, the one its letter key plays; a black key
    // the string's sample brought to the pitch of its sharp or flat, leaving the string as it is.
    const SoundImagePtr image = target->currentPosition
                                    ? p_.sounds.stringSound(s)
                                    : patchedSampleImage(p_.source, s, target->position);
    if (image && p_.notes.PlayNote(noteAlias(note), image, velocityGain(velocity))) {
        noteString_[note] = s;
        if (p_.mpe) {
            p_.mpe->noteOn(midiKeyNoteId(note),
                           soundingCents(p_.tables, p_.source.tuningOffset, s, target->position),
                           velocity);
        }
    }
    st.currentString = static_cast<std::int16_t>(s);
    st.lastString = static_cast<std::int16_t>(s);
    p_.view.keyLetter(s, true);
    p_.view.tel_çiz();
    p_.view.mandal_at();
    p_.view.porte();
    p_.view.etiket();
}

void MidiPlayer::stop(int note) {
    const int s = noteString_[note];
    if (s == 0) return;
    noteString_[note] = 0;
    p_.notes.FadeNoteClose(noteAlias(note));
    if (p_.mpe) p_.mpe->noteOff(midiKeyNoteId(note));
    p_.view.keyLetter(s, false);
}

} // namespace zembera
