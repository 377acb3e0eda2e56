#pragma once
// The state of the strings and mandals, shared by the handlers of the main window.

#include <array>
#include <cstdint>

#include "pitch/per_string.h"

namespace zembera {

struct InstrumentState {
    std::int16_t currentString = 12;            // selected string; 0 when none
    std::int16_t lastString = 1;                // string of the last note started
    PerString<std::int16_t> mandalPos{};        // sounding mandal position
    PerString<std::int16_t> mandalMin{};        // lowest position of each string
    PerString<std::int16_t> mandalMax{};        // highest position of each string
    PerString<std::int16_t> transposedMandal{}; // transposition target
    // Strings 1..7: the target on the full scale, kept before yenimandal folds it (index 0 unused).
    std::array<std::int16_t, 8> fullRangeTransposed{};
    PerString<double> playStart{}; // left limit of each string's plucking zone
    std::int16_t markedStringResidue = 5;
    bool recording = false;
    bool playingBack = false;
    bool untransposedShown = true;
    // "Teller tınlasın": a pluck or an arrow note sounds on its string's own voice and lets the
    // other strings ring on; off, each such note cuts the one before.
    bool stringsRing = false;
    // Whether strings 1..7 fold the full scale onto their shorter rows (the 79-tone table and
    // systems as fine); in the other pitch systems each of their positions is one degree.
    bool narrowStringsFold = true;
};

// Ranges of the mandals: strings 1-4 -5, 5-7 -7, 8-26 -8; highest 1: 6, 2-4: 8, 5-7: 10, 8-26: 12.
void setMandalRanges(InstrumentState& state);

// Folds transposedMandal(tel) of strings 1..7 from the full scale -8..12 onto the string's own
// shorter row. Other strings, targets outside -8..12 and the targets -1 and 0 stay as they are.
// Where the narrow strings do not fold, the target is only held within the string's range.
void yenimandal(InstrumentState& state, int tel);

// Keeps the transposition target of string s as it will sound: strings 1..7 keep the full-scale
// value in fullRangeTransposed and fold it with yenimandal. A target of 0 is left as it is.
void keepTransposed(InstrumentState& state, int s);

// Sets every transposed position, full-scale targets included, to 0.
void clearTransposed(InstrumentState& state);

// playStart(0) = 640 and each string 17 units left of the one above it.
void setPlayStarts(InstrumentState& state);

} // namespace zembera
