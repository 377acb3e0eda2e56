#pragma once
// The pitch of the notes of a MusicXML score in one reading (score.h's PitchReading):
// - exact: equal-tempered naturals raised by <alter> in semitones, as the standard defines;
// - commas: naturals in Holdrian commas and each accidental sign in its Arel-Ezgi-Uzdilek value
//   (a sharp four commas, a flat five, ...). A note with <alter> and no sign takes the commas of
//   the sign in force in the same direction: the tied note before, the same note earlier in the
//   measure, the key signature;
// - key commas: as commas, but a note whose sign is the key signature's sign on its step takes
//   the key's <key-alter> in commas (SymbTr's converter writes the makam's key there, such as
//   F +3 for Hüseyni, while each note's sign is its Arel-Ezgi-Uzdilek spelling).
// The key signature changes no note without <alter>; it gives the neighbours of ornaments.
//
// Thread: any (pure).

#include <map>
#include <string>
#include <utility>

#include "scores/musicxml_parts.h"

namespace zembera::scores {

// The key signature of `fifths` sharps (flats when negative): past seven, the signature goes
// round the steps again, a double sharp on F for eight.
KeySignature fifthsKey(long long fifths);

// The glyphs that exist only in Turkish notation: the slash signs of Arel-Ezgi-Uzdilek and the
// numbered signs of folk music, which count commas.
bool turkishOnlyGlyph(const std::string& glyph);

// The commas in force by written step and octave.
using CarriedCommas = std::map<std::pair<int, int>, double>;

class MusicXmlPitch {
  public:
    MusicXmlPitch(PitchReading reading, bool keyInCommas)
        : reading_(reading), keyInCommas_(keyInCommas) {}

    bool inCommas() const { return reading_ != PitchReading::exact; }

    // The commas of a written note; `carried` holds the signs in force in the measure, `tied`
    // those of notes tied over.
    double commasOf(const RawNote& n, const KeySignature& key, CarriedCommas& carried,
                    const CarriedCommas& tied) const;

    // The sounding pitch of a written step, octave and alteration under a transposition.
    ScorePitch sounding(int step, int octave, double commas, double semitones,
                        const Transpose& t) const;

    // The neighbour `by` degrees from a note for its ornament: the key signature's alteration,
    // or the accidental mark `mark` written for it.
    ScorePitch neighbour(const RawNote& n, const KeySignature& key, int by,
                         const std::string& mark) const;

    // "B -5, E -2 koma" or "F +1, C +1 yarım ses": the flats in their order, then the sharps;
    // a traditional key ends with its <fifths>.
    std::string keyText(const KeySignature& key) const;

    // The commas `key` puts on `step` (0 when none).
    double keyCommasOf(const KeySignature& key, int step) const {
        const KeyStep& k = key[static_cast<std::size_t>(step)];
        return k.set ? keyCommas(k) : 0;
    }

    // Whether reading the key's <key-alter> in place of its signs changes a step of `key`.
    bool keyAltersDiffer(const KeySignature& key) const;

  private:
    double keyCommas(const KeyStep& k) const;
    double keySemitones(const KeyStep& k) const;
    PitchReading reading_;
    bool keyInCommas_;
};

} // namespace zembera::scores
