// The key each MIDI note sounds, worked out from MIDI's own numbering: note n is
// 440 Hz·2^((n-69)/12), its white keys are C D E F G A B, and the kanun's strings lie on the white
// keys their written naturals name.

#include <gtest/gtest.h>

#include <cmath>

#include "midi/midi_mapping.h"
#include "pitch/pitch_table.h"
#include "support/scl_pitches.h"

namespace zembera {
namespace {

bool whiteKey(int note) {
    const int inOctave = note % 12;
    return inOctave == 0 || inOctave == 2 || inOctave == 4 || inOctave == 5 || inOctave == 7 ||
           inOctave == 9 || inOctave == 11;
}

// The string whose written natural is `note`; 0 when none is.
int stringOnKey(int note) {
    for (int s = 1; s <= kStringCount; ++s)
        if (test::naturalOf(s).midiKey() == note) return s;
    return 0;
}

// On the bundled table every white key of A2..E6 is its string as it stands, every black key a
// neighbouring string at the position sounding nearer that key's equal-tempered pitch than any
// other key's; keys outside the strings sound nothing.
TEST(MidiMapping, EveryKeySoundsItsOwnPitchOnTheBundledTable) {
    const PitchTables tables = tablo_oku_txt(ZEMBERA_PROGRAM_DIR);
    InstrumentState st;
    setMandalRanges(st);
    for (int s = 1; s <= kStringCount; ++s)
        st.mandalPos[s] = static_cast<std::int16_t>(s % 3 - 1);
    int sounding = 0;
    for (int note = 0; note <= 127; ++note) {
        SCOPED_TRACE(note);
        const auto target = midiKeyTarget(note, tables, st);
        const int lowest = test::naturalOf(kStringCount).midiKey();
        const int highest = test::naturalOf(1).midiKey();
        if (note < lowest || note > highest) {
            EXPECT_FALSE(target);
            continue;
        }
        ASSERT_TRUE(target);
        ++sounding;
        const int s = target->string;
        if (whiteKey(note)) {
            EXPECT_EQ(s, stringOnKey(note));
            EXPECT_EQ(target->position, st.mandalPos[s]);
            EXPECT_TRUE(target->currentPosition);
            continue;
        }
        EXPECT_TRUE(s == stringOnKey(note - 1) || s == stringOnKey(note + 1)) << s;
        EXPECT_FALSE(target->currentPosition);
        EXPECT_GE(target->position, mandalMinOf(s));
        EXPECT_LE(target->position, mandalMaxOf(s));
        const double keyCents = 1200 * std::log2(440.0 * std::exp2((note - 69) / 12.0) / 262.0);
        EXPECT_NEAR(tables.centTable(s, target->position), keyCents, 50.0) << s;
    }
    EXPECT_EQ(sounding, 88 - 45 + 1);
}

// A table with some sharps and flats missing: a black key takes the string below at its sharp,
// else the string above at its flat, else sounds nothing; of two positions with the mark, the one
// nearer the open string.
TEST(MidiMapping, ABlackKeyFallsBackToTheFlatOfTheStringAbove) {
    PitchTables t;
    for (int s = 1; s <= kStringCount; ++s)
        for (int m = mandalMinOf(s); m <= mandalMaxOf(s); ++m)
            t.mandalMark(s, m) = static_cast<std::int16_t>(m);
    t.mandalMark(1, 5) = 6;
    t.mandalMark(3, 6) = 4;  // C6 has no sharp, D6 no flat: C#6 sounds nothing
    t.mandalMark(2, 6) = 3;  // D6 has no sharp and E6 no flat (-6 lies beyond its -5)
    t.mandalMark(17, 6) = 5; // C4 has no sharp: C#4 is D4's string at its flat
    InstrumentState st;
    setMandalRanges(st);
    EXPECT_EQ(positionWithMark(t, 1, kSharpMark), 5);
    EXPECT_EQ(positionWithMark(t, 2, kSharpMark), std::nullopt);
    EXPECT_EQ(midiKeyTarget(61, t, st), (MidiKeyTarget{16, -6, false}));
    EXPECT_EQ(midiKeyTarget(63, t, st), (MidiKeyTarget{16, 6, false}));
    EXPECT_EQ(midiKeyTarget(85, t, st), std::nullopt);
    EXPECT_EQ(midiKeyTarget(87, t, st), std::nullopt);
    EXPECT_EQ(midiKeyTarget(46, t, st), (MidiKeyTarget{26, 6, false}));
}

} // namespace
} // namespace zembera
