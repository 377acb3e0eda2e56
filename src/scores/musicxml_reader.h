#pragma once
// Reads the first part of a MusicXML score (partwise) into a Score: notes and rests of its first
// voice, the further notes of a chord marked to sound with its first, grace notes left out, ties
// merged. Lengths come from
// <duration> over <divisions>, which already holds dots and tuplets, or from <type>, <dot> and
// <time-modification> where <duration> is missing. Tempo from <sound tempo>.
//
// Pitch: an accidental named in the Turkish table (score.h) carries its comma value, through the
// rest of the measure on the same step and octave, as do the key signature's accidentals; <alter>
// in semitones is used where no such sign is in force, or where its direction contradicts the
// sign (the sign then is only printed).
//
// Thread: any (Qt Core only).

#include <string>
#include <string_view>

#include "scores/score.h"

namespace zembera::scores {

// Throws ScoreError naming `fileName` when the text is not well-formed XML, has no part, no
// note, or a note whose pitch or length cannot be told.
Score parseMusicXml(std::string_view xml, const std::string& fileName);

} // namespace zembera::scores
