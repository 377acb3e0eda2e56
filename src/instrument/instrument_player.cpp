#include "instrument/instrument_player.h"

#include "common/xtimer.h"
#include "instrument/mouse_zones.h"

namespace zembera {
namespace {

constexpr const char* kNoSelection = "bir perde seçin";
constexpr std::uint32_t kAsync = 1;

// Keyboard rows: Q..P are strings 1..10, A..L 11..19, Z..M 20..26.
constexpr const char kKeyOrder[] = "QWERTYUIOPASDFGHJKLZXCVBNM";

// String 26 passes over positions 9..11 without sounding.
bool isSilentPosition(int s, int m) {
    return s == 26 && m >= 9 && m <= 11;
}

} // namespace

int stringOfKey(int key) {
    for (int i = 0; i < 26; ++i) {
        if (kKeyOrder[i] == key) return i + 1;
    }
    return 0;
}

// Rebuilding on the note itself costs a fraction of a millisecond (one resampling, no file), so
// no change of pitch anywhere needs to know about the sounds, and none can leave a stale one.
void InstrumentPlayer::refreshSound(int s) {
    p_.sounds.ensureStringSound(s, p_.instrument.mandalPos[s], p_.tables,
                                p_.tuning.tuningOffset[s]);
}

void InstrumentPlayer::announce(int voice, int s) {
    if (!p_.notes) return;
    p_.notes->noteStarted(StartedNote{
        voice, soundingCents(p_.tables, p_.tuning.tuningOffset, s, p_.instrument.mandalPos[s])});
}

void InstrumentPlayer::closeLetterVoice(int s) {
    p_.sound.MciStopClose(p_.mciAlias[s]);
    if (p_.notes) p_.notes->noteEnded(letterVoice(s));
}

void InstrumentPlayer::soundString(int s) {
    refreshSound(s);
    if (p_.instrument.stringsRing) {
        ringString(s);
        return;
    }
    // A string still ringing from before the strings were made to cut stops at its own new note.
    if (ringing_[s]) {
        closeLetterVoice(s);
        ringing_[s] = false;
    }
    const SoundImagePtr image = p_.sounds.stringSound(s);
    p_.sound.PlayImage(image, kAsync);
    // A string without a sound only cuts off the note before.
    if (image) announce(kMemoryVoice, s);
}

void InstrumentPlayer::ringString(int s) {
    // A new note of the string stops its own ringing one, and only that one.
    closeLetterVoice(s);
    const StringSounds::ScratchSound scratch = p_.sounds.scratchSound(s);
    ringing_[s] = p_.sound.MciOpenPlayImage(scratch.file.string(), p_.mciAlias[s], scratch.image);
    if (ringing_[s]) announce(letterVoice(s), s);
    p_.sounds.writeScratchFile(s);
}

void InstrumentPlayer::Form_KeyDown(int key) {
    InstrumentState& st = p_.instrument;
    if (p_.view.nameFieldFocused() || st.recording || st.playingBack) return;
    if (key == kKeyLeft || key == kKeyRight) {
        mandalKey(key);
    } else if (key == kKeyUp || key == kKeyDown) {
        selectionKey(key);
    } else if (const int s = stringOfKey(key); s != 0) {
        letterDown(s);
    }
}

bool InstrumentPlayer::mandalKey(int key) {
    InstrumentState& st = p_.instrument;
    if (!st.untransposedShown) return false;
    if (st.currentString == 0) {
        p_.messages.show(kNoSelection);
        return false;
    }
    const int s = st.currentString;
    if (key == kKeyLeft) {
        if (st.mandalPos[s] <= st.mandalMin[s]) return false;
        --st.mandalPos[s];
    } else {
        if (st.mandalPos[s] >= st.mandalMax[s]) return false;
        ++st.mandalPos[s];
    }
    if (isSilentPosition(s, st.mandalPos[s])) return false;
    soundString(s);
    p_.view.mandal_at();
    p_.view.porte();
    p_.view.etiket();
    p_.view.arıza_yaz(s);
    return true;
}

void InstrumentPlayer::selectionKey(int key) {
    InstrumentState& st = p_.instrument;
    if (st.currentString == 0) st.currentString = 12;
    if (key == kKeyUp && st.currentString > 1) --st.currentString;
    if (key == kKeyDown && st.currentString < 26) ++st.currentString;
    p_.view.tel_çiz();
    st.lastString = st.currentString;
    soundString(st.currentString);
    p_.view.mandal_at();
    p_.view.porte();
    p_.view.etiket();
}

void InstrumentPlayer::letterDown(int s) {
    InstrumentState& st = p_.instrument;
    st.currentString = static_cast<std::int16_t>(s);
    st.lastString = static_cast<std::int16_t>(s);
    refreshSound(s);
    // A ringing pluck of the string gives way to the key's own note.
    if (ringing_[s]) {
        closeLetterVoice(s);
        ringing_[s] = false;
    }
    // The string sounds from its scratch file under its alias; a held key's repeats find the alias
    // still open, so the note is not restarted. The open takes the file's content from the image
    // in memory, so neither a read of the file nor a pending write of it comes before the note:
    // the file is brought up to date only after the note has started, and when it cannot be
    // written (a read-only sample folder) the key still sounds the current image.
    const StringSounds::ScratchSound scratch = p_.sounds.scratchSound(s);
    if (p_.sound.MciOpenPlayImage(scratch.file.string(), p_.mciAlias[s], scratch.image))
        announce(letterVoice(s), s);
    p_.view.keyLetter(s, true);
    p_.sounds.writeScratchFile(s);
}

void InstrumentPlayer::Form_KeyUp(int key) {
    InstrumentState& st = p_.instrument;
    if (st.recording || st.playingBack) return;
    const int s = stringOfKey(key);
    if (s == 0) return;
    st.currentString = static_cast<std::int16_t>(s);
    closeLetterVoice(s);
    ringing_[s] = false;
    p_.view.keyLetter(s, false);
}

void InstrumentPlayer::instrumentMouseDown(int button, double x, double y) {
    InstrumentState& st = p_.instrument;
    if (st.playingBack || button != kLeftButton) return;
    const int s = pluckedString(x, y, st);
    if (s == 0) return;
    st.currentString = static_cast<std::int16_t>(s);
    p_.view.tel_çiz();
    p_.view.keyLetter(s, false);

    RecordingState& rec = p_.recording;
    if (st.recording && !rec.firstPluckPending) {
        rec.recordTimer.Halt();
        const std::int32_t elapsedMs = toWholeMilliseconds(rec.recordTimer.RunTime());
        if (p_.recorder) {
            p_.recorder->writePluck(st.lastString, st.mandalPos[st.lastString], elapsedMs);
        }
    }
    soundString(s);
    if (st.recording) {
        rec.recordTimer.Calibrieren();
        rec.recordTimer.Start();
        rec.firstPluckPending = false;
    }
    st.lastString = static_cast<std::int16_t>(s);
    p_.view.mandal_at();
    p_.view.porte();
    p_.view.etiket();
}

void InstrumentPlayer::instrumentMouseMove(int button, double /*x*/, double y) {
    InstrumentState& st = p_.instrument;
    if (st.recording || st.playingBack || button != kRightButton) return;
    const int s = stringAtY(y);
    if (s == 0) return;
    st.currentString = static_cast<std::int16_t>(s);
    if (s == st.lastString) return;
    soundString(s);
    st.lastString = static_cast<std::int16_t>(s);
    if (p_.view.detailShown()) {
        p_.view.mandal_at();
        p_.view.tel_çiz();
        p_.view.etiket();
        p_.view.porte();
    }
}

void InstrumentPlayer::mandalStripMouseDown(int /*button*/, double x, double /*y*/) {
    InstrumentState& st = p_.instrument;
    if (st.recording || st.playingBack || !st.untransposedShown) return;
    if (st.currentString == 0) {
        p_.messages.show(kNoSelection);
        return;
    }
    const int s = st.currentString;
    const std::optional<int> k = mandalSlotAt(x, st);
    if (!k) return;
    if (*k == st.mandalPos[s]) {
        soundString(s);
        return;
    }
    if (isSilentPosition(s, *k)) return;
    st.mandalPos[s] = static_cast<std::int16_t>(*k);
    soundString(s);
    p_.view.mandal_at();
    p_.view.porte();
    p_.view.etiket();
    p_.view.arıza_yaz(s);
}

void InstrumentPlayer::fineTuningMouseDown(int /*button*/, double x, double y) {
    InstrumentState& st = p_.instrument;
    if (st.recording || st.playingBack) return;
    if (st.currentString == 0) {
        p_.messages.show(kNoSelection);
        return;
    }
    const int s = st.currentString;
    p_.tuning.tuningOffset[s] += tuningStep(x, y);
    soundString(s);
    p_.view.mandal_at();
    p_.view.porte();
    p_.view.etiket();
    p_.view.arıza_yaz(s);
}

} // namespace zembera
