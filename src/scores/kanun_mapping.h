#pragma once
// Places a score on the kanun: every note goes to the string of its written natural (C4 on
// string 17, one string per diatonic step, string 1 the highest), moved by the pitch level's
// string shift as the melody files are, and by whole octaves (7 strings) where it would fall off
// the instrument; on that string it sounds at the mandal position whose pitch in the current
// pitch tables lies nearest the written pitch.
//
// At a pitch level other than the table's own the instrument is transposed: the written pitch is
// moved by the interval between the open strings 17 + shift and 17, the interval the string
// shift stands for, so that intervals stay as written.
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
    std::array<std::int16_t, kStringCount + 1> mandalMin{};
    std::array<std::int16_t, kStringCount + 1> mandalMax{};
    int ahenkShift = 0;
};

// The setup of the bundled instrument (each string's own mandal range) over `tables`.
KanunSetup standardSetup(const PitchTables& tables, int ahenkShift);

struct PlacedNote {
    bool rest = false;
    int string = 0;         // 1..26
    int mandal = 0;         // position on that string
    double targetCents = 0; // the written pitch, transposed and octave-moved
    double errorCents = 0;  // sounding minus target
    int octavesMoved = 0;   // + up, - down, to fit the instrument
    double ms = 0;
    double onsetMs = 0; // from the start of the piece
    int measure = 0;
};

struct PlacedScore {
    std::vector<PlacedNote> notes;
    double worstErrorCents = 0; // largest |errorCents|
    int worstIndex = -1;        // its note, or -1 when there is none
    int octaveMovedCount = 0;   // notes moved by octaves
};

// The string of a written natural (diatonic index from C4) before any octave move.
int naturalString(int diatonic, int ahenkShift);

PlacedScore placeScore(const Score& score, const KanunSetup& setup);

} // namespace zembera::scores
