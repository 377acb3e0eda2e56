#include "midi/midi_player.h"

#include "files/played_note.h"

#include "midi/midi_mapping.h"
#include "midi/velocity.h"
#include "sound/pcm_decode.h"

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
    const PcmSound& sound = soundOf(note, *target);
    if (sound.owner && p_.notes.PlayNote(noteAlias(note), sound, velocityGain(velocity))) {
        noteString_[note] = s;
        if (p_.listener) {
            p_.listener->noteStarted(StartedNote{
                midiKeyVoice(note),
                soundingCents(p_.tables, p_.source.tuningOffset, s, target->position), velocity});
        }
    }
    st.currentString = static_cast<std::int16_t>(s);
    st.lastString = static_cast<std::int16_t>(s);
    p_.view.keyLetter(s, true);
    p_.view.tel_çiz();
    p_.view.mandal_at();
    // The staff and the panel show the note that sounds: a black key's sharp or flat, though the
    // string's mandal stays where it is.
    showPlayedNote(st, p_.view, PlayedNote{s, target->position});
}

// A white key plays the string's current sound, the one its letter key plays; a black key the
// string's sample brought to the pitch of its sharp or flat, leaving the string as it is.
const PcmSound& MidiPlayer::soundOf(int note, const MidiKeyTarget& target) {
    KeySound& k = keySounds_[static_cast<std::size_t>(note)];
    const int s = target.string;
    if (target.currentPosition) {
        p_.sounds.ensureStringSound(s, target.position, p_.tables,
                                    p_.source.tuningOffset[static_cast<std::size_t>(s)]);
        const SoundImagePtr image = p_.sounds.stringSound(s);
        if (image != k.image || !k.sound.owner) {
            k = KeySound{image, 0, {}, {}};
            if (auto decoded = decodeWav(image)) k.sound = std::move(*decoded);
        }
        return k.sound;
    }
    const double cents = soundingCents(p_.tables, p_.source.tuningOffset, s, target.position);
    const std::string& sample = p_.source.sampleFileName[static_cast<std::size_t>(s)];
    if (k.image || k.cents != cents || k.sample != sample || !k.sound.owner) {
        k = KeySound{nullptr, cents, sample, {}};
        // A sample of another layout was converted once at start-up: patched from that copy.
        const SoundImagePtr image =
            patchedSampleImage(p_.source, s, target.position, p_.sounds.convertedSample(s));
        if (auto decoded = decodeWav(image)) k.sound = std::move(*decoded);
    }
    return k.sound;
}

void MidiPlayer::prepareBlackKeys() {
    for (int note = kLowestMidiKey; note <= kHighestMidiKey; ++note) {
        const auto target = midiKeyTarget(note, p_.tables, p_.instrument);
        if (target && !target->currentPosition) soundOf(note, *target);
    }
}

void MidiPlayer::stop(int note) {
    const int s = noteString_[note];
    if (s == 0) return;
    noteString_[note] = 0;
    p_.notes.FadeNoteClose(noteAlias(note));
    if (p_.listener) p_.listener->noteEnded(midiKeyVoice(note));
    p_.view.keyLetter(s, false);
}

} // namespace zembera
