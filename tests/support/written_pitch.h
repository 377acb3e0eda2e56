#pragma once
// The pitch of a written note above C4 by the definitions of the notations: equal-tempered
// semitones (MusicXML's <alter>), or Arel-Ezgi-Uzdilek naturals and accidentals in Holdrian
// commas (53 to the octave).

namespace zembera::test {

// Naturals C D E F G A B (step 0..6) in cents and in commas above C.
inline constexpr int kEqualNaturalCents[7] = {0, 200, 400, 500, 700, 900, 1100};
inline constexpr int kAeuNaturalCommas[7] = {0, 9, 18, 22, 31, 40, 49};

inline double equalCents(int step, int octave, double semitones) {
    return 1200.0 * (octave - 4) + kEqualNaturalCents[step] + 100 * semitones;
}
inline double aeuCommas(int step, int octave, double commas) {
    return 53.0 * (octave - 4) + kAeuNaturalCommas[step] + commas;
}
inline double aeuCents(int step, int octave, double commas) {
    return aeuCommas(step, octave, commas) * 1200.0 / 53;
}

} // namespace zembera::test
