#pragma once
// Names of the scale degrees after the Turkish names of the 24 Arel-Ezgi-Uzdilek pitches.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "pitch_table/layout.h"

namespace zembera::pitchtool {

constexpr int kCommasPerOctave = 53; // Holdrian commas
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

  private:
    std::string octaveName(const NameRow& row, int octave) const;
    std::array<int, kDegreesPerOctave> rowAt_{}; // index into rows_, -1 where unnamed
    std::vector<NameRow> rows_;
};

} // namespace zembera::pitchtool
