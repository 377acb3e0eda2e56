#pragma once
// Names of the scale degrees after the Turkish names of the 24 Arel-Ezgi-Uzdilek pitches.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "systems/system_layout.h"

namespace zembera::systems {

// The naming rule of the bundled 79-tone table: a whole tone is 13 degrees, a diatonic
// semitone 7, so the written naturals C D E F G A B lie on these degrees of each octave.
constexpr int kDegreesPerOctave = 79;
constexpr std::array<int, kNaturalsPerOctave> kNaturalDegrees{0, 13, 26, 33, 46, 59, 72};
constexpr int kCommasPerOctave = 53; // Holdrian commas
// A pitch this close to a named pitch takes its name in systems other than the 79-tone one.
constexpr double kNameReachCents = 5.0;
// Commas of the written naturals C D E F G A B above C.
constexpr std::array<int, kNaturalsPerOctave> kNaturalCommas{0, 9, 18, 22, 31, 40, 49};

// One row of the name table: a pitch c commas above Çargâh and its names in the octaves of
// Kaba Çargâh (C4), Çargâh (C5) and Tiz Çargâh (C6); the last may be empty.
struct NameRow {
    int commas = 0;
    std::array<std::string, 3> names;
};

// Parses the tab-separated name table (a header line, then commas and three names per line).
// Throws std::runtime_error naming `fileName` and the line on a malformed row.
std::vector<NameRow> parseNameTable(std::string_view text, const std::string& fileName);

// Degree above C (0..78) of a pitch `commas` above C: its natural's degree plus the commas above
// that natural times 1.5, rounded toward zero.
int degreeOfCommas(int commas);

class DegreeNamer {
  public:
    // Throws std::runtime_error when a natural has no row.
    explicit DegreeNamer(const std::vector<NameRow>& rows);

    // Name of any degree (0 = C4). Degrees with no name of their own take the nearest named one
    // below with "+n". Octaves below C4 take the C4 names behind one "Kaba " per octave; the C6
    // octave falls back to "Tiz " and the C5 name where its column is empty, and each octave
    // above C6 adds one more "Tiz ".
    std::string nameOf(int degree) const;

    // Name of a pitch `cents` above C4 in any other system: the name of the named pitch (by its
    // commas) within 5 cents, otherwise the name of the nearest one below with the cents above
    // it, "Râst +12 sent".
    std::string nameOfCents(double cents) const;

  private:
    std::string octaveName(const NameRow& row, int octave) const;
    std::array<int, kDegreesPerOctave> rowAt_{}; // index into rows_, -1 where unnamed
    std::vector<NameRow> rows_;
};

} // namespace zembera::systems
