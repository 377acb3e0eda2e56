#include "midi/midi_mapping.h"

#include <gtest/gtest.h>

namespace zembera {
namespace {

// Each position marked with itself, but string 3 lacks a sharp and string 2 a sharp and a flat.
PitchTables tablesWithMarks() {
    PitchTables t;
    for (int s = 1; s <= kStringCount; ++s)
        for (int m = s <= 7 ? mandalMinOf(s) : kMandalLow;
             m <= (s <= 7 ? mandalMaxOf(s) : kMandalHigh); ++m)
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

// Black keys: the string below at its sharp, else the string above at its flat.
TEST(MidiMapping, EachKeySoundsItsStringAtTheRightPosition) {
    PitchTables t = tablesWithMarks();
    InstrumentState st = stateAt(-2);
    st.mandalPos[26] = -3;
    st.mandalPos[17] = 0;
    st.mandalPos[1] = 4;
    // A#2 and C#4 on their strings below, G#5 and A#5 on short strings with the sharp at 6.
    const std::pair<int, MidiKeyTarget> cases[] = {
        {45, {26, -3, true}}, {88, {1, 4, true}},  {60, {17, 0, true}}, {46, {26, 6, false}},
        {61, {17, 6, false}}, {80, {6, 6, false}}, {82, {5, 6, false}}};
    for (const auto& [note, target] : cases)
        EXPECT_EQ(midiKeyTarget(note, t, st), target) << "note " << note;
    // D#6 (87): string 2 (D6) has no sharp, and string 1 (E6), whose row starts at -5, no flat;
    // C#6 (85): string 3 (C6) has its 6 marked 4, and string 2 (D6) has no flat either.
    for (int note : {87, 85, 0, 21, 43, 44, 89, 90, 108, 127})
        EXPECT_FALSE(midiKeyTarget(note, t, st)) << "note " << note;
    t.mandalMark(17, 6) = 5; // C4's string loses its sharp: D4's flat sounds instead
    EXPECT_EQ(midiKeyTarget(61, t, st), (MidiKeyTarget{16, -6, false}));
    // Of several positions with the mark, the one nearest the open string.
    const std::tuple<int, int, std::optional<int>> marks[] = {
        {1, 6, 5}, {3, 6, std::nullopt}, {12, -6, -6}, {0, 6, std::nullopt}, {27, 6, std::nullopt}};
    for (const auto& [s, mark, position] : marks)
        EXPECT_EQ(positionWithMark(t, s, mark), position) << s;
}

} // namespace
} // namespace zembera
