#include "instrument/instrument_player.h"

#include "common/xtimer.h"
#include "instrument/mouse_zones.h"

namespace zembera {
namespace {

constexpr const char* kNoSelection = "bir perde seçin";

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

StringNote InstrumentPlayer::stringNote(int s) const {
    const int m = p_.instrument.mandalPos[s];
    return StringNote{s, m, soundingCents(p_.tables, p_.tuning.tuningOffset, s, m)};
}

void InstrumentPlayer::closeLetterVoice(int s) {
    p_.sound.endNote(Voice::string(s));
}

void InstrumentPlayer::soundString(int s) {
    if (p_.instrument.stringsRing) {
        ringString(s);
        return;
    }
    // A string still ringing from before the strings were made to cut stops at its own new note.
    if (ringing_[s]) {
        closeLetterVoice(s);
        ringing_[s] = false;
    }
    p_.sound.startNote(Voice::memoryChannel(), stringNote(s));
}

void InstrumentPlayer::ringString(int s) {
    // A new note of the string stops its own ringing one, and only that one.
    closeLetterVoice(s);
    ringing_[s] = p_.sound.startNote(Voice::string(s), stringNote(s));
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
    // A ringing pluck of the string gives way to the key's own note.
    if (ringing_[s]) {
        closeLetterVoice(s);
        ringing_[s] = false;
    }
    // The string sounds on its own voice; a held key's repeats find the voice still open, so the
    // note is not restarted.
    p_.sound.startNote(Voice::string(s), stringNote(s));
    p_.view.keyLetter(s, true);
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
