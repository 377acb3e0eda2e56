// The byte stream against the published MPE 1.0: RPN 6 configures the zone, RPN 0 the bend range.

#include "midi/mpe_encoder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zembera {
namespace {

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
