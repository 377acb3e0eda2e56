// Keyboard messages, the key each note sounds, and the MPE byte stream against the published
// MPE 1.0: RPN 6 configures the zone, RPN 0 the bend range.

#include <gtest/gtest.h>

#include <cmath>

#include "midi/midi_keys.h"
#include "midi/midi_mapping.h"
#include "midi/mpe_encoder.h"
#include "midi/velocity.h"

namespace zembera {
namespace {

using E = MidiNoteEvent;

TEST(MidiKeys, NotesSoundFromNoteOnToNoteOffOrTheSustainPedalsLiftOrAllNotesOff) {
    MidiKeys keys;
    const auto send = [&keys](std::uint8_t a, std::uint8_t b, std::uint8_t c) {
        const std::uint8_t bytes[3] = {a, b, c};
        return keys.handle(bytes, 3);
    };
    // {message, events}: on any channel; velocity 0 is an off; a second off stops nothing.
    const std::pair<std::array<std::uint8_t, 3>, std::vector<E>> steps[] = {
        {{0x90, 60, 100}, {{E::Start, 60, 100}}},
        {{0x83, 60, 40}, {{E::Stop, 60, 0}}},
        {{0x9F, 61, 1}, {{E::Start, 61, 1}}},
        {{0x9F, 61, 0}, {{E::Stop, 61, 0}}},
        {{0x80, 61, 0}, {}},
        // Other messages do nothing: pitch bend, modulation, aftertouch.
        {{0xE0, 0, 64}, {}},
        {{0xB0, 1, 100}, {}},
        {{0xA0, 60, 100}, {}},
        // The pedal holds released notes; a replayed sustained key restarts and is held again.
        {{0x90, 60, 100}, {{E::Start, 60, 100}}},
        {{0x90, 64, 100}, {{E::Start, 64, 100}}},
        {{0xB0, 64, 127}, {}},
        {{0x80, 60, 0}, {}},
        {{0x90, 67, 100}, {{E::Start, 67, 100}}}, // still held when the pedal lifts
        {{0x90, 60, 20}, {{E::Stop, 60, 0}, {E::Start, 60, 20}}},
        {{0x80, 60, 0}, {}},
        {{0xB0, 64, 100}, {}}, // still down (64..127)
        {{0xB0, 64, 63}, {{E::Stop, 60, 0}}},
        {{0x80, 67, 0}, {{E::Stop, 67, 0}}},
        // All notes off stops held and sustained notes.
        {{0xB0, 64, 127}, {}},
        {{0x90, 45, 100}, {{E::Start, 45, 100}}},
        {{0x80, 45, 0}, {}},
        {{0xB0, 123, 0}, {{E::Stop, 45, 0}, {E::Stop, 64, 0}}},
        {{0x80, 64, 0}, {}}};
    for (std::size_t i = 0; i < std::size(steps); ++i)
        EXPECT_EQ(send(steps[i].first[0], steps[i].first[1], steps[i].first[2]), steps[i].second)
            << "step " << i;
    const std::uint8_t clock = 0xF8;
    EXPECT_TRUE(keys.handle(&clock, 1).empty());
    EXPECT_FALSE(keys.sounding(60));
    send(0x90, 62, 1);
    EXPECT_TRUE(keys.sounding(62));
}

TEST(Velocity, FullVelocityIsTodaysLevelAndTheCurveRisesSmoothly) {
    EXPECT_EQ(velocityGain(127), 1.0F);
    EXPECT_EQ(velocityGain(0), 0.0F);
    EXPECT_NEAR(velocityGain(64), 0.254F, 0.001F); // about -12 dB
    EXPECT_NEAR(velocityGain(1), 6.2e-5F, 1e-6F);
    for (int v = 1; v < 127; ++v)
        EXPECT_LT(velocityGain(v), velocityGain(v + 1)) << v;
}

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

using Bytes = MpeEncoder::Bytes;

TEST(Mpe, ConfigurationAnnouncesALowerZoneOf15MembersWithA48SemitoneBendRange) {
    Bytes expected{0xB0, 0x64, 0x06, 0xB0, 0x65, 0x00, 0xB0, 0x06, 0x0F};
    for (std::uint8_t b = 0xB1; b <= 0xBF; ++b)
        expected.insert(expected.end(), {b, 0x64, 0x00, b, 0x65, 0x00, b, 0x06, 48, b, 0x26, 0});
    EXPECT_EQ(MpeEncoder::configuration(), expected);
}

TEST(Mpe, BendValuesForKnownCents) {
    // 0 cents is 262 Hz, 2.48 cents above the equal-tempered C4 (261.626 Hz).
    const double c4Offset = 1200 * std::log2(262.0 / 261.6255653);
    EXPECT_EQ(mpePitch(-c4Offset), (MpePitch{60, 8192}));      // C4 exactly: no bend
    EXPECT_EQ(mpePitch(900 - c4Offset), (MpePitch{69, 8192})); // A4 = 440 Hz
    // One cent is 8192 / 4800 steps of the 48-semitone range.
    EXPECT_EQ(mpePitch(0),
              (MpePitch{60, static_cast<int>(8192 + std::lround(c4Offset * 8192 / 4800))}));
    // 49 cents above C4: still C4, bent up by 49 * 8192 / 4800 = 83.6 steps.
    EXPECT_EQ(mpePitch(49 - c4Offset), (MpePitch{60, 8192 + 84}));
    // 49.5 cents below D4: D4 bent down 84.5 steps.
    EXPECT_EQ(mpePitch(150.5 - c4Offset), (MpePitch{62, 8192 - 84}));
    // One Holdrian comma (22.64 cents) above A4.
    EXPECT_EQ(mpePitch(922.64 - c4Offset), (MpePitch{69, 8192 + 39}));
    // The range ends.
    EXPECT_EQ(mpePitch(-100000).note, 0);
    EXPECT_EQ(mpePitch(100000).note, 127);
}

TEST(Mpe, EachNoteGetsItsOwnMemberChannelBendFirstAndItsNoteOffThere) {
    MpeEncoder mpe;
    const double c4 = -1200 * std::log2(262.0 / 261.6255653);
    EXPECT_EQ(mpe.noteOn(10, c4, 100), (Bytes{0xE1, 0x00, 0x40, 0x91, 60, 100}));
    EXPECT_EQ(mpe.noteOn(11, c4 + 400, 127), (Bytes{0xE2, 0x00, 0x40, 0x92, 64, 127}));
    EXPECT_EQ(mpe.noteOff(10), (Bytes{0x81, 60, 64}));
    EXPECT_TRUE(mpe.noteOff(10).empty());
    // The channel released longest ago comes next: channel 3 was never used.
    EXPECT_EQ(mpe.noteOn(12, c4 + 50, 1)[0], 0xE3);
    // A restart ends the sounding note first.
    const Bytes again = mpe.noteOn(11, c4, 90);
    EXPECT_EQ(Bytes(again.begin(), again.begin() + 3), (Bytes{0x82, 64, 64}));
    EXPECT_EQ(again.size(), 9u);
    EXPECT_TRUE(mpe.noteOn(kMpeNoteIds, 0, 100).empty());
    // Sixteen notes share fifteen channels by ending the oldest: note 0 (channel 1), whose
    // channel plays the new one.
    MpeEncoder full;
    for (int id = 0; id < 15; ++id)
        full.noteOn(id, 100.0 * id, 100);
    const Bytes bytes = full.noteOn(15, 1500, 100);
    ASSERT_EQ(bytes.size(), 9u);
    EXPECT_EQ((Bytes{bytes[0], bytes[3], bytes[6]}), (Bytes{0x81, 0xE1, 0x91}));
    EXPECT_TRUE(full.noteOff(0).empty());
    EXPECT_EQ(full.noteOff(15)[0], 0x81);
}

} // namespace
} // namespace zembera
