// The pitch level (ahenk) and degree shift of the instrument as a plugin plays them: the same
// transposition (göçürme) the window makes, from the positions the mandal ports set, walked
// through tables made once so that the audio thread only looks values up. Each source string
// 8..26 takes the degree its position sounds, moved by the level's and the shift's degrees, to
// the string the level names (stringShift further), at the position where that degree lies on
// it; the strings the walk does not reach take their octave's, and strings 1..7 follow the
// string an octave below, folded onto their shorter mandal rows.
//
// In a system other than Yarman 79 the level's and the shift's degrees are counted in that
// system's degrees, as the window counts them.
//
// Thread: made on the control thread; positions() on any, allocating nothing.
#pragma once

#include <array>
#include <cstdint>

#include "lv2/bundled_kanun.h"
#include "pitch/degree_span.h"
#include "pitch/per_string.h"
#include "pitch/pitch_table.h"

namespace zembera::lv2 {

class Transposition {
  public:
    explicit Transposition(const KanunSystem& system);

    // The positions that sound at pitch level `ahenk` (1..8) shifted by `shift` degrees from the
    // untransposed `from`; false, `out` left as it is, where the walk finds no place for a
    // string's note (the window then keeps the untransposed setting too).
    bool positions(const PerString<std::int16_t>& from, int ahenk, int shift,
                   PerString<std::int16_t>& out) const noexcept;

  private:
    struct Place {
        std::int16_t string = 0, position = 0;
    };
    static constexpr int kNone = kDegreeHigh + 1;
    DegreeSpan searched_;
    int degreesPerOctave_;
    std::array<std::int16_t, 7> naturals_;
    PerString<std::int16_t> mandalMin_, mandalMax_;
    bool folds_;
    // The degree of each string's position (kNone where none has it there); the places of each
    // degree in the order the walk tries them: second, first, third.
    PerString<std::array<int, kMandalHigh - kMandalLow + 1>> origin_{};
    std::array<std::array<Place, 3>, kDegreeHigh - kDegreeLow + 1> places_{};
};

} // namespace zembera::lv2
