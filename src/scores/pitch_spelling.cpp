#include "scores/pitch_spelling.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace zembera::scores {
namespace {

constexpr int kCommasPerOctave = 53;
// The first comma (above C) each natural is written for; C starts a comma below the octave.
constexpr std::array<int, 7> kFirstComma{0, 5, 13, 22, 28, 36, 44};
constexpr int kLastCommaOfB = 51;
// The largest accidental a pitch is written with on the natural beside its usual one.
constexpr int kFarthestSpelling = 5;
// How many notes either side the player looks at, and what the unusual spelling costs against
// one neighbour (which counts 1 over its distance in notes).
constexpr int kNeighbours = 32;
constexpr double kUnusualCost = 0.7;
constexpr int kRounds = 2;

int floorDiv(int a, int b) {
    return a >= 0 ? a / b : -((b - 1 - a) / b);
}

// Diatonic index (from C4) of a natural, and its commas above C4.
int commasOf(int diatonic) {
    const int octave = floorDiv(diatonic, 7);
    return octave * kCommasPerOctave + naturalCommas(diatonic - octave * 7);
}

int usualNatural(int commas) {
    const int octave = floorDiv(commas, kCommasPerOctave);
    const int within = commas - octave * kCommasPerOctave;
    if (within > kLastCommaOfB) return (octave + 1) * 7;
    int step = 6;
    while (kFirstComma[static_cast<std::size_t>(step)] > within)
        --step;
    return octave * 7 + step;
}

} // namespace

std::vector<ScorePitch> spellPitches(const std::vector<double>& cents) {
    const std::size_t n = cents.size();
    std::vector<int> commas(n);
    std::vector<int> usual(n), chosen(n);
    for (std::size_t i = 0; i < n; ++i) {
        commas[i] = static_cast<int>(std::lround(cents[i] / kCommaCents));
        usual[i] = chosen[i] = usualNatural(commas[i]);
    }
    for (int round = 0; round < kRounds; ++round) {
        std::vector<int> next = chosen;
        for (std::size_t i = 0; i < n; ++i) {
            double best = 0;
            for (const int natural : {usual[i] - 1, usual[i] + 1}) {
                if (std::abs(commas[i] - commasOf(natural)) > kFarthestSpelling) continue;
                // The cost of each string: the neighbours that hold it at another pitch.
                double usualCost = 0, otherCost = kUnusualCost;
                const std::size_t from = i >= kNeighbours ? i - kNeighbours : 0;
                const std::size_t to = std::min(n, i + kNeighbours + 1);
                for (std::size_t j = from; j < to; ++j) {
                    if (j == i || commas[j] == commas[i]) continue;
                    const double weight = 1.0 / static_cast<double>(j > i ? j - i : i - j);
                    if (chosen[j] == usual[i]) usualCost += weight;
                    if (chosen[j] == natural) otherCost += weight;
                }
                if (otherCost < usualCost && (next[i] == usual[i] || otherCost < best)) {
                    next[i] = natural;
                    best = otherCost;
                }
            }
        }
        chosen = std::move(next);
    }
    std::vector<ScorePitch> pitches(n);
    for (std::size_t i = 0; i < n; ++i) {
        pitches[i].octave = 4 + floorDiv(chosen[i], 7);
        pitches[i].step = chosen[i] - (pitches[i].octave - 4) * 7;
        pitches[i].cents = cents[i];
    }
    return pitches;
}

} // namespace zembera::scores
