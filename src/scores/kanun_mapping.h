#pragma once
// Places a score on the kanun: every note goes to the string of its written natural (C4 on
// string 17, one string per diatonic step, string 1 the highest), moved by the pitch level's
// string shift as the melody files are, and by whole octaves (7 strings) where it would fall off
// the instrument; on that string it sounds at the mandal position whose pitch in the current
// pitch tables lies nearest the written pitch. A pitch its string's mandals cannot reach (by
// more than half a step beyond its lowest or highest position: a double flat, a three-quarter
// flat) goes to the string and position nearest it among the strings up to two away that reach
// it, as a player takes the enharmonic string (C double flat on the B string); it stays at the
// end of its own string when none does.
//
// At a pitch level other than the table's own the instrument is transposed: the written pitch is
// moved by the interval between the open strings 17 + shift and 17, the interval the string
// shift stands for, so that intervals stay as written. A string sounds its table pitch moved by
// its fine tuning (the cents offset of each string), and the nearest position and the error
// count it in.
//
// The further notes of a chord sound with its first note, each on its own string; a chord note
// that falls on a string the chord already uses is left out (the first note keeps the string).
// A held note (score.h) keeps its string and position, sounding on from before.
//
// Thread: any (pure).

#include <array>
#include <cstdint>
#include <vector>

#include "pitch/pitch_table.h"
#include "scores/score.h"

namespace zembera::scores {

// The string holding C4 at the table's own pitch level.
inline constexpr int kMiddleCString = 17;

struct KanunSetup {
    const PitchTables* tables = nullptr;
    PerString<std::int16_t> mandalMin{};
    PerString<std::int16_t> mandalMax{};
    int ahenkShift = 0;
    PerString<float> tuningOffset{}; // cents, by string 1..26
};

// The setup of the bundled instrument (each string's own mandal range) over `tables`, with the
// strings' fine tuning where given.
KanunSetup standardSetup(const PitchTables& tables, int ahenkShift,
                         const PerString<float>* tuningOffset = nullptr);

struct PlacedNote {
    bool rest = false;
    int string = 0;         // 1..26
    int mandal = 0;         // position on that string
    double targetCents = 0; // the written pitch, transposed and octave-moved
    double errorCents = 0;  // sounding (table pitch and fine tuning) minus target
    int octavesMoved = 0;   // + up, - down, to fit the instrument
    double ms = 0;          // to the next onset; a chord note that of its chord
    double onsetMs = 0;     // from the start of the piece
    int measure = 0;
    bool chord = false;       // sounds with the note before, on a string of its own
    bool dropped = false;     // a chord note on a string its chord already uses: it stays silent
    bool held = false;        // sounds on from the tied note before, not struck again
    bool otherString = false; // on another string than its natural's, which cannot reach it
};

struct PlacedScore {
    std::vector<PlacedNote> notes;
    double worstErrorCents = 0;  // largest |errorCents|
    int worstIndex = -1;         // its note, or -1 when there is none
    int octaveMovedCount = 0;    // notes moved by octaves
    int chordNotes = 0;          // further chord notes sounding with their chord
    int droppedChordNotes = 0;   // chord notes left out
    int otherStringCount = 0;    // notes placed on another string than their natural's
    bool placesAreLines = false; // `measure` holds lines of the file (SymbTr)
};

// The string of a written natural (diatonic index from C4) before any octave move.
int naturalString(int diatonic, int ahenkShift);

PlacedScore placeScore(const Score& score, const KanunSetup& setup);

} // namespace zembera::scores
