#pragma once
// What the 26 strings sound now, written for other instruments: a Scala scale (.scl) with its
// keyboard mapping (.kbm), and a MIDI Tuning Standard bulk dump (.syx). Each string plays on
// the MIDI key of its written natural: string 17 (C4) on key 60, string 26 (A2) on 45, string 1
// (E6) on 88.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pitch/pitch_table.h"

namespace zembera::systems {

// Cents above C4 (262 Hz) of strings 1..26; element 0 unused.
using StringCents = PerString<double>;

// The cents of every string at its mandal position with its fine tuning.
StringCents soundingCents(const PitchTables& tables, const PerString<std::int16_t>& mandalPos,
                          const PerString<float>& tuningOffset);

// MIDI key of string s's written natural.
int stringKey(int s);

struct ScalaFiles {
    std::string scl;
    std::string kbm;
};

// The scale holds the distinct pitch classes of the strings above C, the period 2/1; the
// mapping gives each string's key the degree of its pitch counted from the C at or below the
// lowest string, leaves the other keys unmapped, and tunes key 60 to string 17's frequency.
// `stem` names the files in their comment lines.
ScalaFiles exportScala(const StringCents& cents, std::string_view stem,
                       std::string_view description);

// A bulk tuning dump (F0 7E 7F 08 01 program name, 128 notes as a semitone and a 14-bit
// fraction of a semitone above it, checksum, F7): the string keys at the strings' pitches, all
// other keys at their equal-tempered pitch (A4 = 440 Hz).
std::vector<std::uint8_t> exportMidiTuning(const StringCents& cents, std::string_view name,
                                           int program = 0);

} // namespace zembera::systems
