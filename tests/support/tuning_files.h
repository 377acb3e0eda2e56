#pragma once
// Exported tuning files read back by their formats' definitions, apart from the program's
// readers: a Scala scale with its keyboard mapping, and a MIDI Tuning Standard bulk dump.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "support/scl_pitches.h"

namespace zembera::test {

struct ScalaExport {
    SclPitches scale;
    int referenceKey = 0;
    double referenceHz = 0;
    std::vector<std::string> keys; // the degrees of keys 45..88, "x" where unmapped
    // The pitch string s's key maps to, its degree counted from `base` cents (C2).
    double pitchOf(int s, double base = -2400) const {
        const std::string& k = keys.at(static_cast<std::size_t>(naturalOf(s).midiKey() - 45));
        return base + scale.at(std::stoi(k));
    }
};

// A .kbm's lines that are not comments: size, first and last key, middle key, reference key and
// frequency, octave degree, then one degree per key.
inline ScalaExport readScalaExport(const std::string& scl, const std::string& kbm) {
    ScalaExport e{parseSclText(scl), 0, 0, {}};
    std::istringstream in(kbm);
    std::vector<std::string> values;
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '!') values.push_back(line);
    if (values.size() < 7) {
        ADD_FAILURE() << "a keyboard mapping of " << values.size() << " values";
        return e;
    }
    e.referenceKey = std::stoi(values[4]);
    e.referenceHz = std::stod(values[5]);
    e.keys.assign(values.begin() + 7, values.end());
    return e;
}

// The frequencies of keys 0..127 in a bulk tuning dump: F0 7E <device> 08 01 <program>, a name
// of 16 characters, per key a semitone and a 14-bit fraction of a semitone above it (note 69 =
// 440 Hz), the XOR of the bytes from 7E to the last fraction in 7 bits, F7.
inline std::vector<double> readMtsBulkDump(const std::vector<std::uint8_t>& dump) {
    if (dump.size() != 6 + 16 + 3 * 128 + 2) {
        ADD_FAILURE() << "a bulk dump of " << dump.size() << " bytes";
        return {};
    }
    EXPECT_EQ(std::vector<std::uint8_t>(dump.begin(), dump.begin() + 5),
              (std::vector<std::uint8_t>{0xF0, 0x7E, 0x7F, 0x08, 0x01}));
    std::uint8_t checksum = 0;
    for (std::size_t i = 1; i < dump.size() - 2; ++i) {
        EXPECT_LT(dump[i], 0x80) << i;
        checksum ^= dump[i];
    }
    EXPECT_EQ(dump[dump.size() - 2], checksum & 0x7F);
    EXPECT_EQ(dump.back(), 0xF7);
    std::vector<double> hz;
    for (std::size_t key = 0; key < 128; ++key) {
        const std::uint8_t* note = &dump[22 + 3 * key];
        const double semitones = note[0] + (note[1] * 128 + note[2]) / 16384.0;
        hz.push_back(440.0 * std::exp2((semitones - 69) / 12.0));
    }
    return hz;
}

// Half the step of the dump's fraction, in cents.
constexpr double kMtsHalfStepCents = 100.0 / 16384 / 2;

} // namespace zembera::test
