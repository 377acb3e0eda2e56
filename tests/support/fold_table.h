#pragma once
// Where strings 1..7, with their shorter mandal rows, stand for a position v (-8..12) of the other
// strings' full row: the fold table of the player's manual, typed here apart from the program's
// copy so that a slip in either shows.

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

} // namespace zembera::test
