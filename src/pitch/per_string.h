#pragma once
// The strings of the instrument and the arrays that hold one value for each of them.

#include <array>

namespace zembera {

constexpr int kStringCount = 26;

// One value per string, indexed by the string's own number 1..26. Element 0 is unused: every
// file, table and handler numbers the strings from 1, and 0 is the number of "no string" (no
// string selected, no string at a place), so the numbers index the arrays as they are.
template <typename T> using PerString = std::array<T, kStringCount + 1>;

} // namespace zembera
