#include "midi/midi_player.h"

#include "files/played_note.h"
#include "midi/midi_mapping.h"
#include "midi/velocity.h"

namespace zembera {

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

StringNote MidiPlayer::noteOf(const MidiKeyTarget& target, int velocity) const {
    const int s = target.string;
    return StringNote{s,
                      target.position,
                      soundingCents(p_.tables, p_.tuningOffset, s, target.position),
                      target.currentPosition ? Resampling::stepped : Resampling::interpolated,
                      velocityGain(velocity),
                      velocity};
}

void MidiPlayer::start(int note, int velocity) {
    InstrumentState& st = p_.instrument;
    if (st.recording || st.playingBack) return;
    const auto target = midiKeyTarget(note, p_.tables, st);
    if (!target) return;
    const int s = target->string;
    if (p_.sound.startNote(Voice::key(note), noteOf(*target, velocity))) noteString_[note] = s;
    st.currentString = static_cast<std::int16_t>(s);
    st.lastString = static_cast<std::int16_t>(s);
    p_.view.keyLetter(s, true);
    p_.view.tel_çiz();
    p_.view.mandal_at();
    // The staff and the panel show the note that sounds: a black key's sharp or flat, though the
    // string's mandal stays where it is.
    showPlayedNote(st, p_.view, PlayedNote{s, target->position});
}

void MidiPlayer::prepareBlackKeys() {
    for (int note = kLowestMidiKey; note <= kHighestMidiKey; ++note) {
        const auto target = midiKeyTarget(note, p_.tables, p_.instrument);
        if (target && !target->currentPosition) p_.sound.prepare(noteOf(*target, kFullVelocity));
    }
}

void MidiPlayer::stop(int note) {
    const int s = noteString_[note];
    if (s == 0) return;
    noteString_[note] = 0;
    p_.sound.endNote(Voice::key(note));
    p_.view.keyLetter(s, false);
}

} // namespace zembera
