#include "scores/musicxml_pitch.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <optional>

namespace zembera::scores {
namespace {

int signOf(double v) {
    return (v > 1e-9) - (v < -1e-9);
}

// The semitones a glyph stands for in common notation, for an ornament's <accidental-mark>.
std::optional<double> glyphSemitones(const std::string& glyph) {
    static const std::array<std::pair<const char*, double>, 9> table{{
        {"natural", 0},
        {"sharp", 1},
        {"flat", -1},
        {"double-sharp", 2},
        {"sharp-sharp", 2},
        {"flat-flat", -2},
        {"quarter-sharp", 0.5},
        {"quarter-flat", -0.5},
        {"three-quarters-flat", -1.5},
    }};
    for (const auto& [name, semis] : table)
        if (glyph == name) return semis;
    return std::nullopt;
}

// Equal-tempered natural of a step, in cents above C.
double equalNatural(int step) {
    static constexpr std::array<int, 7> cents{0, 200, 400, 500, 700, 900, 1100};
    return cents.at(static_cast<std::size_t>(step));
}

} // namespace

KeySignature fifthsKey(long long fifths) {
    // Signature sharps fall on F C G D A E B, flats on B E A D G C F.
    static constexpr std::array<int, 7> sharps{3, 0, 4, 1, 5, 2, 6};
    KeySignature key;
    key.fifths = fifths;
    const long long count = fifths < 0 ? -fifths : fifths;
    for (long long i = 0; i < 7 && i < count; ++i) {
        const int step = sharps[static_cast<std::size_t>(fifths > 0 ? i : 6 - i)];
        const double signs = static_cast<double>(count / 7 + (i < count % 7 ? 1 : 0));
        const double alter = fifths > 0 ? signs : -signs;
        const char* glyph = alter == 1    ? "sharp"
                            : alter == -1 ? "flat"
                            : alter == 2  ? "double-sharp"
                            : alter == -2 ? "flat-flat"
                                          : "";
        key[static_cast<std::size_t>(step)] = {true, alter, true, glyph};
    }
    return key;
}

bool turkishOnlyGlyph(const std::string& glyph) {
    return glyph.rfind("slash-", 0) == 0 || glyph == "double-slash-flat" ||
           ((glyph.rfind("flat-", 0) == 0 || glyph.rfind("sharp-", 0) == 0) &&
            glyph.size() == glyph.find('-') + 2 &&
            std::isdigit(static_cast<unsigned char>(glyph.back())));
}

double MusicXmlPitch::keyCommas(const KeyStep& k) const {
    int glyph = 0;
    const bool written = !k.fromFifths && keyInCommas_;
    if (written && reading_ == PitchReading::keyCommas) return k.alter;
    if (!k.glyph.empty() && turkishAccidentalCommas(k.glyph, glyph)) return glyph;
    return written ? k.alter : k.alter * 100 / kCommaCents;
}

double MusicXmlPitch::keySemitones(const KeyStep& k) const {
    return !k.fromFifths && keyInCommas_ ? k.alter * kCommaCents / 100 : k.alter;
}

double MusicXmlPitch::commasOf(const RawNote& n, const KeySignature& key, CarriedCommas& carried,
                               const CarriedCommas& tied) const {
    const std::pair<int, int> place{n.step, n.octave};
    const KeyStep& k = key[static_cast<std::size_t>(n.step)];
    int glyph = 0;
    if (!n.accidental.empty() && turkishAccidentalCommas(n.accidental, glyph)) {
        double c = glyph;
        if (reading_ == PitchReading::keyCommas && k.set && k.glyph == n.accidental)
            c = keyCommas(k);
        // A glyph against the written direction is only printed.
        if (n.alter && signOf(*n.alter) != signOf(c)) c = *n.alter * 100 / kCommaCents;
        carried[place] = c;
        return c;
    }
    if (!n.alter) return 0;
    const double a = *n.alter;
    std::optional<double> inForce;
    if (n.tieStop)
        if (const auto t = tied.find(place); t != tied.end()) inForce = t->second;
    if (!inForce)
        if (const auto c = carried.find(place); c != carried.end()) inForce = c->second;
    if (!inForce && k.set) inForce = keyCommas(k);
    if (inForce && signOf(*inForce) == signOf(a)) return *inForce;
    return a * 100 / kCommaCents;
}

ScorePitch MusicXmlPitch::sounding(int step, int octave, double commas, double semitones,
                                   const Transpose& t) const {
    const double written = inCommas()
                               ? pitchCents(step, octave, commas)
                               : (octave - 4) * 1200.0 + equalNatural(step) + semitones * 100;
    const int diatonic = (octave - 4) * 7 + step + t.diatonic + 7 * t.octaveChange;
    ScorePitch p;
    p.octave = 4 + (diatonic >= 0 ? diatonic / 7 : -((6 - diatonic) / 7));
    p.step = diatonic - (p.octave - 4) * 7;
    p.cents = written + t.chromatic * 100 + 1200.0 * t.octaveChange;
    return p;
}

ScorePitch MusicXmlPitch::neighbour(const RawNote& n, const KeySignature& key, int by,
                                    const std::string& mark) const {
    const int diatonic = (n.octave - 4) * 7 + n.step + by;
    const int octave = 4 + (diatonic >= 0 ? diatonic / 7 : -((6 - diatonic) / 7));
    const int step = diatonic - (octave - 4) * 7;
    const KeyStep& k = key[static_cast<std::size_t>(step)];
    double commas = k.set ? keyCommas(k) : 0;
    double semis = k.set ? keySemitones(k) : 0;
    int glyph = 0;
    if (!mark.empty()) {
        if (turkishAccidentalCommas(mark, glyph)) commas = glyph;
        if (const auto s = glyphSemitones(mark)) semis = *s;
    }
    return sounding(step, octave, commas, semis, n.transpose);
}

std::string MusicXmlPitch::keyText(const KeySignature& key) const {
    static constexpr std::array<int, 7> flats{6, 2, 5, 1, 4, 0, 3};
    std::string text;
    for (const bool sharps : {false, true})
        for (std::size_t i = 0; i < 7; ++i) {
            const int step = sharps ? flats[6 - i] : flats[i];
            const KeyStep& k = key[static_cast<std::size_t>(step)];
            const double value = inCommas() ? keyCommas(k) : keySemitones(k);
            if (!k.set || (value > 0) != sharps || value == 0) continue;
            char item[48];
            std::snprintf(item, sizeof item, "%c %+g", "CDEFGAB"[step],
                          std::round(value * 100) / 100);
            text += (text.empty() ? "" : ", ") + std::string(item);
        }
    if (text.empty()) return text;
    text += inCommas() ? " koma" : " yarım ses";
    if (key.fifths) text += " (<fifths> " + std::to_string(*key.fifths) + ")";
    return text;
}

bool MusicXmlPitch::keyAltersDiffer(const KeySignature& key) const {
    const MusicXmlPitch byKey(PitchReading::keyCommas, keyInCommas_);
    const MusicXmlPitch bySigns(PitchReading::commas, keyInCommas_);
    for (const KeyStep& k : key.steps)
        if (k.set && std::abs(byKey.keyCommas(k) - bySigns.keyCommas(k)) > 1e-9) return true;
    return false;
}

} // namespace zembera::scores
