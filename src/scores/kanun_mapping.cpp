#include "scores/kanun_mapping.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>

namespace zembera::scores {
namespace {

constexpr double kEqualCents = 0.01;
// How many strings away the enharmonic string of a spelling may lie (a double accidental moves
// a natural by one string, a triple one by two).
constexpr int kEnharmonicReach = 2;

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

namespace {

// A string's position nearest a pitch.
struct Spot {
    int string = 0;
    int mandal = 0;
    double error = 0; // sounding minus target, cents
};

class Placer {
  public:
    explicit Placer(const KanunSetup& setup) : setup_(setup), cents_(setup.tables->centTable) {}

    // The position of string `s` whose pitch (with the string's fine tuning) lies nearest
    // `target`; between equals (within a hundredth of a cent, which the tables' rounding
    // leaves) the position nearer the open string.
    Spot nearest(int s, double target) const {
        Spot best{s, 0, 0};
        bool found = false;
        for (int m = low(s); m <= high(s); ++m) {
            const double error = sounding(s, m) - target;
            if (!found || std::abs(error) < std::abs(best.error) - kEqualCents ||
                (std::abs(std::abs(error) - std::abs(best.error)) <= kEqualCents &&
                 std::abs(m) < std::abs(best.mandal))) {
                best = {s, m, error};
                found = true;
            }
        }
        return best;
    }

    // Whether `target` lies within the pitches of string `s`, or within half a step beyond its
    // lowest or highest position.
    bool reaches(int s, double target) const {
        const int lo = low(s), hi = high(s);
        if (lo >= hi) return std::abs(sounding(s, lo) - target) <= kEqualCents;
        const double bottom = sounding(s, lo) - (sounding(s, lo + 1) - sounding(s, lo)) / 2;
        const double top = sounding(s, hi) + (sounding(s, hi) - sounding(s, hi - 1)) / 2;
        return target >= bottom - kEqualCents && target <= top + kEqualCents;
    }

    // The position for `target` written on string `own`: on that string when it reaches the
    // pitch, else, of the neighbouring strings that reach it (the enharmonic string a player
    // takes) but those in `taken`, the position nearest the pitch, between equals on the string
    // nearer its own.
    // When no string reaches it, its own string's nearest end.
    Spot place(int own, double target, const std::vector<int>& taken) const {
        const Spot home = nearest(own, target);
        if (reaches(own, target)) return home;
        std::optional<Spot> best;
        for (int s = std::max(1, own - kEnharmonicReach);
             s <= std::min(kStringCount, own + kEnharmonicReach); ++s) {
            if (s == own || !reaches(s, target) ||
                std::find(taken.begin(), taken.end(), s) != taken.end())
                continue;
            const Spot other = nearest(s, target);
            const double gain = best ? std::abs(best->error) - std::abs(other.error) : 1;
            if (gain > kEqualCents ||
                (gain >= -kEqualCents && std::abs(s - own) < std::abs(best->string - own)))
                best = other;
        }
        return best && std::abs(best->error) < std::abs(home.error) ? *best : home;
    }

  private:
    double sounding(int s, int m) const {
        return cents_(s, m) + setup_.tuningOffset[static_cast<std::size_t>(s)];
    }
    int low(int s) const {
        return std::max<int>(setup_.mandalMin[static_cast<std::size_t>(s)], kMandalLow);
    }
    int high(int s) const {
        return std::min<int>(setup_.mandalMax[static_cast<std::size_t>(s)], kMandalHigh);
    }
    const KanunSetup& setup_;
    const StringMandalTable<double, kMandalLow, kMandalHigh>& cents_;
};

} // namespace

PlacedScore placeScore(const Score& score, const KanunSetup& setup) {
    if (!setup.tables) throw std::invalid_argument("placeScore without pitch tables");
    const auto& cents = setup.tables->centTable;
    const int shifted = kMiddleCString + setup.ahenkShift;
    const double transposition = shifted >= 1 && shifted <= kStringCount
                                     ? cents(shifted, 0) - cents(kMiddleCString, 0)
                                     : 0.0;
    const Placer placer(setup);
    PlacedScore placed;
    placed.placesAreLines = score.placesAreLines;
    double onset = 0;
    int chordStart = -1; // the first note of the chord being placed
    for (const ScoreNote& n : score.notes) {
        PlacedNote p;
        p.rest = n.rest;
        p.held = n.held && !n.rest;
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
            p.targetCents = n.cents + transposition + 1200.0 * p.octavesMoved;
            // The strings the chord already sounds on.
            std::vector<int> taken;
            if (chord)
                for (std::size_t i = static_cast<std::size_t>(chordStart); i < placed.notes.size();
                     ++i)
                    if (!placed.notes[i].dropped) taken.push_back(placed.notes[i].string);
            const Spot spot = placer.place(s, p.targetCents, taken);
            p.string = spot.string;
            p.mandal = spot.mandal;
            p.errorCents = spot.error;
            p.otherString = spot.string != s;
            if (chord) {
                p.dropped = std::find(taken.begin(), taken.end(), p.string) != taken.end();
                if (p.dropped) {
                    ++placed.droppedChordNotes;
                    placed.notes.push_back(p);
                    continue;
                }
                ++placed.chordNotes;
            }
            if (p.octavesMoved != 0) ++placed.octaveMovedCount;
            if (p.otherString) ++placed.otherStringCount;
            if (std::abs(p.errorCents) > placed.worstErrorCents || placed.worstIndex < 0) {
                placed.worstErrorCents = std::abs(p.errorCents);
                placed.worstIndex = static_cast<int>(placed.notes.size());
            }
        }
        placed.notes.push_back(p);
    }
    return placed;
}

} // namespace zembera::scores
