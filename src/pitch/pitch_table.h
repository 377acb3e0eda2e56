#pragma once
// The pitch table: cents of every string at every mandal position, the mark values of the
// positions, the degree records with their names, and the degree sounding at each place.

#include <array>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "pitch/per_string.h"

namespace zembera {

// Strings 1..7 have fewer, wider mandal steps; the table gives their cents and marks in sections
// B and C.
constexpr int kNarrowStrings = 7;
constexpr int kMandalLow = -8; // full span of mandal positions
constexpr int kMandalHigh = 12;
constexpr int kMarkIndexLow = -12; // mandalMark is indexed wider than the positions it holds
constexpr int kMarkIndexHigh = 13;
constexpr int kMarkLow = -12; // accidental codes: flat -6, sharp +6, double signs +-12
constexpr int kMarkHigh = 12;
// Degree numbers a table file may hold.
constexpr int kFileDegreeLow = -110;
constexpr int kFileDegreeHigh = 200;
// The finest pitch system the tables hold: 160 degrees to the octave. Whatever its naturals,
// the strings of such a system, A2 to E6 with their mandals, stay within the degrees below.
constexpr int kMaxDegreesPerOctave = 160;
constexpr int kDegreeLow = -2 * kMaxDegreesPerOctave - kMandalHigh; // -332
constexpr int kDegreeHigh = 3 * kMaxDegreesPerOctave + kMandalHigh; // 492
static_assert(kDegreeLow <= kFileDegreeLow && kDegreeHigh >= kFileDegreeHigh);
constexpr int kMappedDegreeLow = -107; // degrees of a table file that enter stringDegree
constexpr int kMappedDegreeHigh = 196;
constexpr int kNameWidth = 30;         // characters of a degree name
constexpr double kReferenceHz = 262.0; // C4, the pitch of 0 cents

inline constexpr const char* kTableFileName = "Dizek.txt";

// Lowest and highest mandal position of string s (1..26): the seven highest strings have fewer
// mandals.
constexpr int mandalMinOf(int s) {
    return s <= 4 ? -5 : s <= 7 ? -7 : -8;
}
constexpr int mandalMaxOf(int s) {
    return s == 1 ? 6 : s <= 4 ? 8 : s <= 7 ? 10 : 12;
}
// Whether string s has a mandal position m: a note there can sound.
constexpr bool isPlayablePosition(int s, int m) {
    return s >= 1 && s <= 26 && m >= mandalMinOf(s) && m <= mandalMaxOf(s);
}

// Where strings 1..7, with their shorter mandal rows, stand for a position v (-8..12) of the
// full scale of the other strings: one row per string.
inline constexpr std::int8_t kFoldedRows[7][21] = {
    {-5, -4, -4, -3, -2, -2, -1, -1, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6, 6, 6},
    {-5, -4, -4, -3, -2, -2, -1, -1, 0, 1, 2, 2, 3, 4, 4, 5, 6, 6, 7, 7, 8},
    {-5, -4, -4, -3, -3, -2, -1, -1, 0, 1, 2, 2, 3, 4, 5, 5, 6, 7, 7, 8, 8},
    {-5, -4, -4, -3, -2, -2, -1, -1, 0, 1, 1, 2, 3, 4, 4, 5, 6, 6, 7, 7, 8},
    {-7, -6, -5, -4, -3, -3, -2, -1, 0, 1, 2, 3, 4, 4, 5, 6, 7, 8, 8, 9, 10},
    {-7, -6, -5, -5, -4, -3, -2, -1, 0, 1, 2, 3, 4, 4, 5, 6, 7, 8, 9, 9, 10},
    {-7, -6, -5, -4, -3, -3, -2, -1, 0, 1, 2, 3, 3, 4, 5, 6, 7, 8, 8, 9, 10},
};
// The folded position of full-scale position v on string tel (1..7, v in -8..12).
constexpr int foldedPosition(int tel, int v) {
    return kFoldedRows[tel - 1][v + 8];
}

// A table over strings 0..26 (0 unused) and mandal positions Low..High. Every access is bounds
// checked: an index outside the table throws std::out_of_range instead of touching other memory.
template <typename T, int Low, int High> class StringMandalTable {
  public:
    static constexpr int kLow = Low;
    static constexpr int kHigh = High;
    static bool contains(int s, int m) {
        return s >= 0 && s <= kStringCount && m >= Low && m <= High;
    }
    T& operator()(int s, int m) { return cells_.at(index(s, m)); }
    const T& operator()(int s, int m) const { return cells_.at(index(s, m)); }

  private:
    static std::size_t index(int s, int m) {
        if (!contains(s, m)) throw std::out_of_range("string or mandal position out of range");
        return static_cast<std::size_t>(s) * (High - Low + 1) + static_cast<std::size_t>(m - Low);
    }
    std::array<T, (kStringCount + 1) * (High - Low + 1)> cells_{};
};

struct DegreeRecord {
    int16_t tel1 = 0;
    int16_t mandal1 = 0;
    int16_t tel2 = 0;
    int16_t mandal2 = 0;
    int16_t tel3 = 0;
    int16_t mandal3 = 0;
    double cent = 0;
    std::string ad; // exactly kNameWidth characters once read
};

class DegreeTable {
  public:
    static bool contains(int k) { return k >= kDegreeLow && k <= kDegreeHigh; }
    DegreeRecord& operator()(int k) { return records_.at(index(k)); }
    const DegreeRecord& operator()(int k) const { return records_.at(index(k)); }

  private:
    static std::size_t index(int k) {
        if (!contains(k)) throw std::out_of_range("degree out of range");
        return static_cast<std::size_t>(k - kDegreeLow);
    }
    std::array<DegreeRecord, kDegreeHigh - kDegreeLow + 1> records_{};
};

struct PitchTables {
    StringMandalTable<double, kMandalLow, kMandalHigh> centTable;
    StringMandalTable<int16_t, kMarkIndexLow, kMarkIndexHigh> mandalMark;
    DegreeTable degreeTable;
    StringMandalTable<std::string, kMandalLow, kMandalHigh> degreeName;
    StringMandalTable<int16_t, kMandalLow, kMandalHigh> stringDegree;
    // Captions of the two octave-division options.
    std::array<std::string, 2> octaveDivisionCaptions;
};

// Parses the text of a pitch table (UTF-8). Throws FormatError naming `fileName` and the line
// when the text does not follow the format: too few items, text where a number belongs, a degree,
// string or mandal position out of range.
PitchTables parsePitchTable(std::string_view text, const std::string& fileName);

// Reads Dizek.txt from the program folder. Throws FormatError for a malformed table and
// std::runtime_error (with a Turkish message) when the file cannot be read.
PitchTables tablo_oku_txt(const std::filesystem::path& programFolder);

} // namespace zembera
