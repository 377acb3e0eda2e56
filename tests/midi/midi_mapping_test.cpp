#include "midi/midi_mapping.h"

#include <gtest/gtest.h>

namespace zembera {
namespace {

// Marks as the pitch table reader fills them: strings 8..26 carry their position as the mark;
// the short strings 1..7 get their own rows, here with string 3 lacking a sharp and string 2
// lacking both a sharp and a flat.
PitchTables tablesWithMarks() {
    PitchTables t;
    for (int s = 8; s <= kStringCount; ++s)
        for (int m = kMandalLow; m <= kMandalHigh; ++m)
            t.mandalMark(s, m) = static_cast<std::int16_t>(m);
    for (int s = 1; s <= 7; ++s)
        for (int m = mandalMinOf(s); m <= mandalMaxOf(s); ++m)
            t.mandalMark(s, m) = static_cast<std::int16_t>(m);
    t.mandalMark(1, 5) = 6; // string 1 reaches its sharp at position 5 and also at 6
    t.mandalMark(3, 6) = 4;
    t.mandalMark(2, 6) = 3;
    t.mandalMark(2, -5) = -4;
    return t;
}

InstrumentState stateAt(int position) {
    InstrumentState st;
    setMandalRanges(st);
    for (int s = 1; s <= kStringCount; ++s)
        st.mandalPos[s] = static_cast<std::int16_t>(position);
    return st;
}

TEST(MidiMapping, WhiteKeysFromA2ToE6AreTheStringsFromLowestToHighest) {
    const int white[26] = {45, 47, 48, 50, 52, 53, 55, 57, 59, 60, 62, 64, 65,
                           67, 69, 71, 72, 74, 76, 77, 79, 81, 83, 84, 86, 88};
    for (int i = 0; i < 26; ++i)
        EXPECT_EQ(stringOfWhiteKey(white[i]), 26 - i) << "note " << white[i];
    EXPECT_EQ(stringOfWhiteKey(44), 0);
    EXPECT_EQ(stringOfWhiteKey(89), 0);
    EXPECT_EQ(stringOfWhiteKey(46), 0); // black
}

TEST(MidiMapping, WhiteKeySoundsItsStringAtItsCurrentPosition) {
    const PitchTables t = tablesWithMarks();
    InstrumentState st = stateAt(0);
    st.mandalPos[26] = -3;
    st.mandalPos[1] = 4;
    EXPECT_EQ(midiKeyTarget(45, t, st), (MidiKeyTarget{26, -3, true}));
    EXPECT_EQ(midiKeyTarget(88, t, st), (MidiKeyTarget{1, 4, true}));
    EXPECT_EQ(midiKeyTarget(60, t, st), (MidiKeyTarget{17, 0, true}));
}

TEST(MidiMapping, KeysOutsideTheRangeSoundNothing) {
    const PitchTables t = tablesWithMarks();
    const InstrumentState st = stateAt(0);
    for (int note : {0, 21, 43, 44, 89, 90, 108, 127})
        EXPECT_FALSE(midiKeyTarget(note, t, st)) << note;
}

TEST(MidiMapping, BlackKeySoundsTheStringBelowAtItsSharpWhateverItsCurrentPosition) {
    const PitchTables t = tablesWithMarks();
    const InstrumentState st = stateAt(-2);
    EXPECT_EQ(midiKeyTarget(46, t, st), (MidiKeyTarget{26, 6, false})); // A#2 on A2's string
    EXPECT_EQ(midiKeyTarget(61, t, st), (MidiKeyTarget{17, 6, false})); // C#4 on C4's string
    EXPECT_EQ(midiKeyTarget(80, t, st), (MidiKeyTarget{6, 6, false}));  // G#5 on a short string
}

TEST(MidiMapping, ShortStringsUseTheirOwnMarksAndFallBackToTheFlatAbove) {
    const PitchTables t = tablesWithMarks();
    const InstrumentState st = stateAt(0);
    // D#6 (87): string 2 (D6) has no sharp, and string 1 (E6), whose row starts at -5, has no
    // flat: nothing sounds.
    EXPECT_FALSE(midiKeyTarget(87, t, st));
    // C#6 (85): string 3 (C6) has its 6 marked 4, and string 2 (D6) has no flat either.
    EXPECT_FALSE(midiKeyTarget(85, t, st));
    // A#5 (82): string 5 (A5) has its sharp at 6.
    EXPECT_EQ(midiKeyTarget(82, t, st), (MidiKeyTarget{5, 6, false}));
}

TEST(MidiMapping, FlatOfTheStringAboveWhenTheStringBelowHasNoSharp) {
    PitchTables t = tablesWithMarks();
    t.mandalMark(17, 6) = 5; // C4's string loses its sharp
    const InstrumentState st = stateAt(0);
    EXPECT_EQ(midiKeyTarget(61, t, st), (MidiKeyTarget{16, -6, false})); // D4's flat
}

TEST(MidiMapping, SeveralPositionsWithTheMarkTakeTheOneNearestTheOpenString) {
    const PitchTables t = tablesWithMarks();
    EXPECT_EQ(positionWithMark(t, 1, 6), 5);
    EXPECT_EQ(positionWithMark(t, 3, 6), std::nullopt);
    EXPECT_EQ(positionWithMark(t, 12, -6), -6);
    EXPECT_EQ(positionWithMark(t, 0, 6), std::nullopt);
    EXPECT_EQ(positionWithMark(t, 27, 6), std::nullopt);
}

} // namespace
} // namespace zembera
