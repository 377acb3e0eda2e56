#pragma once
// Where strings 1..7, with their shorter mandal rows, stand for a position v (-8..12) of the other
// strings' full row: the fold table of the player's manual, typed here apart from the program's
// copy so that a slip in either shows.

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "pitch/pitch_table.h"
#include "support/scl_pitches.h"

namespace zembera::test {

inline constexpr int kFoldTable[7][21] = {
    {-5, -4, -4, -3, -2, -2, -1, -1, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6, 6, 6},
    {-5, -4, -4, -3, -2, -2, -1, -1, 0, 1, 2, 2, 3, 4, 4, 5, 6, 6, 7, 7, 8},
    {-5, -4, -4, -3, -3, -2, -1, -1, 0, 1, 2, 2, 3, 4, 5, 5, 6, 7, 7, 8, 8},
    {-5, -4, -4, -3, -2, -2, -1, -1, 0, 1, 1, 2, 3, 4, 4, 5, 6, 6, 7, 7, 8},
    {-7, -6, -5, -4, -3, -3, -2, -1, 0, 1, 2, 3, 4, 4, 5, 6, 7, 8, 8, 9, 10},
    {-7, -6, -5, -5, -4, -3, -2, -1, 0, 1, 2, 3, 4, 4, 5, 6, 7, 8, 9, 9, 10},
    {-7, -6, -5, -4, -3, -3, -2, -1, 0, 1, 2, 3, 3, 4, 5, 6, 7, 8, 8, 9, 10},
};

// The position of string s (1..7) standing for full-row position v (-8..12).
constexpr int foldOf(int s, int v) {
    return kFoldTable[s - 1][v + 8];
}

// The mark of string s (1..7) at position m: of the full-row positions folding onto m, a whole
// tone's (+-6, +-12) when one is, else the farthest from the open string; beyond the string's
// row, its nearest end's mark.
inline int markOf(int s, int m) {
    m = std::clamp(m, mandalMinOf(s), mandalMaxOf(s));
    std::optional<int> best;
    const auto whole = [](int v) { return v == 6 || v == -6 || v == 12 || v == -12; };
    for (int v = -8; v <= 12; ++v) {
        if (foldOf(s, v) != m) continue;
        if (!best || (whole(v) && !whole(*best)) ||
            (whole(v) == whole(*best) && std::abs(v) > std::abs(*best)))
            best = v;
    }
    return best.value();
}

// The pitch of string s at position m in the bundled 79-tone table, by its layout: the written
// naturals at degrees 0, 13, 26, 33, 46, 59 and 72 of each octave of `y79`, one degree per
// position (strings 1..7 by their marks).
inline double yarmanCents(const SclPitches& y79, int s, int m) {
    constexpr int kNaturalDegrees[7] = {0, 13, 26, 33, 46, 59, 72};
    const WrittenNatural n = naturalOf(s);
    return y79.at(n.octave * y79.size() + kNaturalDegrees[n.index] + (s <= 7 ? markOf(s, m) : m));
}

} // namespace zembera::test
