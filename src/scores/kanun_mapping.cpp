#include "scores/kanun_mapping.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace zembera::scores {
namespace {

constexpr double kEqualCents = 0.01;

} // namespace

KanunSetup standardSetup(const PitchTables& tables, int ahenkShift,
                         const PerString<float>* tuningOffset) {
    KanunSetup setup;
    if (tuningOffset) setup.tuningOffset = *tuningOffset;
    setup.tables = &tables;
    setup.ahenkShift = ahenkShift;
    for (int s = 1; s <= kStringCount; ++s) {
        setup.mandalMin[static_cast<std::size_t>(s)] = static_cast<std::int16_t>(mandalMinOf(s));
        setup.mandalMax[static_cast<std::size_t>(s)] = static_cast<std::int16_t>(mandalMaxOf(s));
    }
    return setup;
}

int naturalString(int diatonic, int ahenkShift) {
    return kMiddleCString - diatonic + ahenkShift;
}

PlacedScore placeScore(const Score& score, const KanunSetup& setup) {
    if (!setup.tables) throw std::invalid_argument("placeScore without pitch tables");
    const auto& cents = setup.tables->centTable;
    const int shifted = kMiddleCString + setup.ahenkShift;
    const double transposition = shifted >= 1 && shifted <= kStringCount
                                     ? cents(shifted, 0) - cents(kMiddleCString, 0)
                                     : 0.0;
    PlacedScore placed;
    placed.placesAreLines = score.placesAreLines;
    double onset = 0;
    int chordStart = -1; // the first note of the chord being placed
    for (const ScoreNote& n : score.notes) {
        PlacedNote p;
        p.rest = n.rest;
        p.ms = n.ms;
        p.onsetMs = onset;
        p.measure = n.measure;
        // A chord note after a rest or at the start is a note of its own.
        const bool chord = n.chord && !n.rest && chordStart >= 0;
        if (chord) {
            const PlacedNote& first = placed.notes[static_cast<std::size_t>(chordStart)];
            p.chord = true;
            p.ms = first.ms;
            p.onsetMs = first.onsetMs;
        } else {
            chordStart = n.rest ? -1 : static_cast<int>(placed.notes.size());
            onset += n.ms;
        }
        if (!n.rest) {
            int s = naturalString(n.diatonic(), setup.ahenkShift);
            while (s < 1) {
                s += 7;
                --p.octavesMoved;
            }
            while (s > kStringCount) {
                s -= 7;
                ++p.octavesMoved;
            }
            p.string = s;
            p.targetCents = n.cents + transposition + 1200.0 * p.octavesMoved;
            const double fine = setup.tuningOffset[static_cast<std::size_t>(s)];
            const int low = std::max<int>(setup.mandalMin[static_cast<std::size_t>(s)], kMandalLow);
            const int high =
                std::min<int>(setup.mandalMax[static_cast<std::size_t>(s)], kMandalHigh);
            double best = 0;
            bool found = false;
            for (int m = low; m <= high; ++m) {
                const double error = cents(s, m) + fine - p.targetCents;
                // The nearer pitch wins; between equals (within a hundredth of a cent, which the
                // tables' rounding leaves) the position nearer the open string.
                if (!found || std::abs(error) < std::abs(best) - kEqualCents ||
                    (std::abs(std::abs(error) - std::abs(best)) <= kEqualCents &&
                     std::abs(m) < std::abs(p.mandal))) {
                    best = error;
                    p.mandal = m;
                    found = true;
                }
            }
            p.errorCents = best;
            if (chord) {
                for (std::size_t i = static_cast<std::size_t>(chordStart); i < placed.notes.size();
                     ++i)
                    if (!placed.notes[i].dropped && placed.notes[i].string == s) p.dropped = true;
                if (p.dropped) {
                    ++placed.droppedChordNotes;
                    placed.notes.push_back(p);
                    continue;
                }
                ++placed.chordNotes;
            }
            if (p.octavesMoved != 0) ++placed.octaveMovedCount;
            if (std::abs(best) > placed.worstErrorCents || placed.worstIndex < 0) {
                placed.worstErrorCents = std::abs(best);
                placed.worstIndex = static_cast<int>(placed.notes.size());
            }
        }
        placed.notes.push_back(p);
    }
    return placed;
}

} // namespace zembera::scores
