#include "scores/tuning_reference.h"

#include <cmath>
#include <cstdio>

#include "scores/score.h"

namespace zembera::scores {
namespace {

constexpr double kOnKeyCents = 0.5;
constexpr double kOnGridCents = 0.25;
constexpr double kOffGridShare = 0.05;
// Residues are counted in bins of this width around the grid.
constexpr double kBinCents = 0.05;

// `cents` less the nearest whole multiple of `step`.
double residue(double cents, double step) {
    return cents - std::round(cents / step) * step;
}

std::string centsText(double cents) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", cents);
    return text;
}

} // namespace

TuningReference tuningReference(const std::vector<double>& cents) {
    TuningReference ref;
    if (cents.empty()) return ref;
    bool onKeys = true;
    for (const double c : cents)
        onKeys = onKeys && std::abs(residue(c, 100)) <= kOnKeyCents;
    if (onKeys) {
        ref.kind = TuningReference::Kind::equal;
        return ref;
    }
    // The residues from the commas counted from C4, around the circle of one comma: the bin with
    // the most residues within a quarter of a cent either side is the grid.
    const int bins = static_cast<int>(std::lround(kCommaCents / kBinCents));
    std::vector<int> count(static_cast<std::size_t>(bins), 0);
    auto binOf = [&](double r) {
        const int b = static_cast<int>(std::floor((r + kCommaCents / 2) / kBinCents));
        return ((b % bins) + bins) % bins;
    };
    for (const double c : cents)
        ++count[static_cast<std::size_t>(binOf(residue(c, kCommaCents)))];
    const int reach = static_cast<int>(std::lround(kOnGridCents / kBinCents));
    int best = 0, bestCount = -1;
    for (int b = 0; b < bins; ++b) {
        int sum = 0;
        for (int k = -reach; k <= reach; ++k)
            sum += count[static_cast<std::size_t>(((b + k) % bins + bins) % bins)];
        if (sum > bestCount) {
            best = b;
            bestCount = sum;
        }
    }
    // The grid lies at the mean of the residues near the bin.
    const double centre = (best + 0.5) * kBinCents - kCommaCents / 2;
    double sum = 0;
    std::size_t on = 0;
    for (const double c : cents) {
        const double d = residue(residue(c, kCommaCents) - centre, kCommaCents);
        if (std::abs(d) > kOnGridCents + kBinCents) continue;
        sum += d;
        ++on;
    }
    if (on == 0) on = 1; // the bin chosen holds a residue: never, but never divide by 0
    const double offset = residue(centre + sum / static_cast<double>(on), kCommaCents);
    if (static_cast<double>(cents.size() - on) >
        kOffGridShare * static_cast<double>(cents.size())) {
        ref.kind = TuningReference::Kind::free;
        return ref;
    }
    ref.kind = TuningReference::Kind::commas;
    ref.offsetCents = offset;
    // A natural on its key fixes the grid exactly (the bends are rounded to 14 bits).
    for (int step = 0; step < 7 && ref.naturalOnKey < 0; ++step) {
        const double natural = naturalCommas(step) * kCommaCents;
        if (std::abs(residue(natural + offset, 100)) > kOnKeyCents) continue;
        ref.naturalOnKey = step;
        ref.offsetCents = -residue(natural, 100);
    }
    return ref;
}

std::string TuningReference::text() const {
    switch (kind) {
    case Kind::none:
        return "";
    case Kind::equal:
        return "eşit aralıklı 12 ses (A4 = 440 Hz)";
    case Kind::free:
        return "serbest perdeler (bükmeler ne 12 sese ne 53 komaya oturuyor)";
    case Kind::commas:
        break;
    }
    // The grid's A4 (40 commas above C4) in the hertz of MIDI's keys, key 69 being 440 Hz.
    const double a4 = 440 * std::exp2((40 * kCommaCents + offsetCents - 900) / 1200);
    char hz[32];
    std::snprintf(hz, sizeof hz, "%.2f", a4);
    std::string text = "53 koma, A4 = " + std::string(hz) + " Hz";
    if (naturalOnKey == 5)
        text += " (SymbTr'nin MIDI dosyaları gibi)";
    else if (naturalOnKey >= 0)
        text += std::string(" (") + "CDEFGAB"[naturalOnKey] + " eşit aralıklı perdesinde)";
    if (std::abs(offsetCents) < kOnGridCents) return text + "; komalar C4'ten sayılır";
    return text + "; C4'ten sayılan komalardan " + centsText(std::abs(offsetCents)) + " sent " +
           (offsetCents < 0 ? "pes" : "tiz");
}

} // namespace zembera::scores
