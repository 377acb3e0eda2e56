#include "scores/score.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <utility>

namespace zembera::scores {

int Score::noteCount() const {
    int count = 0;
    for (const ScoreNote& n : notes)
        if (!n.rest && !n.held) ++count;
    return count;
}

std::string tempoText(double tempo) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", std::round(tempo * 100) / 100);
    return text;
}

std::string placeText(int place, bool lines) {
    return (lines ? "satır " : "ölçü ") + std::to_string(place);
}

void throwScoreError(const std::string& fileName, const std::string& reason) {
    throw ScoreError(fileName + ": " + reason);
}

int naturalCommas(int step) {
    static constexpr std::array<int, 7> naturals{0, 9, 18, 22, 31, 40, 49};
    return naturals.at(static_cast<std::size_t>(step));
}

bool turkishAccidentalCommas(const std::string& name, int& commas) {
    // The slash accidentals are the Turkish ones; the plain flat and sharp keep their
    // Arel-Ezgi-Uzdilek meaning (küçük mücennep flat, bakiye sharp), the quarter signs the koma.
    // The numbered signs of folk music carry their commas as their number.
    static const std::array<std::pair<const char*, int>, 19> table{{
        {"natural", 0},
        {"quarter-flat", -1},
        {"slash-flat", -4},
        {"flat", -5},
        {"double-slash-flat", -8},
        {"quarter-sharp", 1},
        {"sharp", 4},
        {"slash-quarter-sharp", 5},
        {"slash-sharp", 8},
        {"flat-1", -1},
        {"flat-2", -2},
        {"flat-3", -3},
        {"flat-4", -4},
        {"flat-5", -5},
        {"sharp-1", 1},
        {"sharp-2", 2},
        {"sharp-3", 3},
        {"sharp-4", 4},
        {"sharp-5", 5},
    }};
    for (const auto& [n, c] : table)
        if (name == n) {
            commas = c;
            return true;
        }
    return false;
}

double pitchCents(int step, int octave, double commas) {
    return (octave - 4) * 1200.0 + (naturalCommas(step) + commas) * kCommaCents;
}

int stepOfLetter(char letter) {
    switch (letter) {
    case 'C':
    case 'c':
        return 0;
    case 'D':
    case 'd':
        return 1;
    case 'E':
    case 'e':
        return 2;
    case 'F':
    case 'f':
        return 3;
    case 'G':
    case 'g':
        return 4;
    case 'A':
    case 'a':
        return 5;
    case 'B':
    case 'b':
        return 6;
    default:
        return -1;
    }
}

} // namespace zembera::scores
