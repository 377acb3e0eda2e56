#include "midi/midi_keys.h"

#include <gtest/gtest.h>

#include "midi/velocity.h"

namespace zembera {
namespace {

using E = MidiNoteEvent;

std::vector<E> send(MidiKeys& keys, std::uint8_t a, std::uint8_t b, std::uint8_t c) {
    const std::uint8_t bytes[3] = {a, b, c};
    return keys.handle(bytes, 3);
}

TEST(MidiKeys, NoteSoundsFromItsNoteOnUntilItsNoteOffOnAnyChannel) {
    MidiKeys keys;
    EXPECT_EQ(send(keys, 0x90, 60, 100), (std::vector<E>{{E::Start, 60, 100}}));
    EXPECT_TRUE(keys.sounding(60));
    EXPECT_EQ(send(keys, 0x83, 60, 40), (std::vector<E>{{E::Stop, 60, 0}}));
    EXPECT_EQ(send(keys, 0x9F, 61, 1), (std::vector<E>{{E::Start, 61, 1}}));
    EXPECT_EQ(send(keys, 0x9F, 61, 0), (std::vector<E>{{E::Stop, 61, 0}})); // velocity 0 is off
    EXPECT_TRUE(send(keys, 0x80, 61, 0).empty()); // a second off has nothing to stop
}

TEST(MidiKeys, SustainPedalHoldsReleasedNotesUntilLifted) {
    MidiKeys keys;
    send(keys, 0x90, 60, 100);
    send(keys, 0x90, 64, 100);
    EXPECT_TRUE(send(keys, 0xB0, 64, 127).empty());
    EXPECT_TRUE(send(keys, 0x80, 60, 0).empty());
    EXPECT_TRUE(keys.sounding(60));
    send(keys, 0x90, 67, 100); // pressed under the pedal and still held when it lifts
    // Replaying a sustained key restarts it; it is then held again.
    EXPECT_EQ(send(keys, 0x90, 60, 20), (std::vector<E>{{E::Stop, 60, 0}, {E::Start, 60, 20}}));
    EXPECT_TRUE(send(keys, 0x80, 60, 0).empty());
    EXPECT_TRUE(send(keys, 0xB0, 64, 100).empty()); // still down (64..127)
    EXPECT_EQ(send(keys, 0xB0, 64, 63), (std::vector<E>{{E::Stop, 60, 0}}));
    EXPECT_TRUE(keys.sounding(64));
    EXPECT_TRUE(keys.sounding(67));
    EXPECT_EQ(send(keys, 0x80, 67, 0), (std::vector<E>{{E::Stop, 67, 0}}));
}

TEST(MidiKeys, AllNotesOffStopsHeldAndSustainedNotes) {
    MidiKeys keys;
    send(keys, 0xB0, 64, 127);
    send(keys, 0x90, 45, 100);
    send(keys, 0x80, 45, 0);
    send(keys, 0x90, 88, 100);
    EXPECT_EQ(send(keys, 0xB0, 123, 0), (std::vector<E>{{E::Stop, 45, 0}, {E::Stop, 88, 0}}));
    EXPECT_TRUE(send(keys, 0x80, 88, 0).empty());
}

TEST(MidiKeys, OtherAndShortMessagesDoNothing) {
    MidiKeys keys;
    EXPECT_TRUE(send(keys, 0xE0, 0, 64).empty());   // pitch bend
    EXPECT_TRUE(send(keys, 0xB0, 1, 100).empty());  // modulation
    EXPECT_TRUE(send(keys, 0xA0, 60, 100).empty()); // aftertouch
    const std::uint8_t clock = 0xF8;
    EXPECT_TRUE(keys.handle(&clock, 1).empty());
    EXPECT_FALSE(keys.sounding(60));
}

TEST(Velocity, FullVelocityIsTodaysLevelAndTheCurveRisesSmoothly) {
    EXPECT_EQ(velocityGain(127), 1.0F);
    EXPECT_EQ(velocityGain(0), 0.0F);
    EXPECT_NEAR(velocityGain(64), 0.254F, 0.001F); // about -12 dB
    EXPECT_NEAR(velocityGain(1), 6.2e-5F, 1e-6F);
    for (int v = 1; v < 127; ++v)
        EXPECT_LT(velocityGain(v), velocityGain(v + 1)) << v;
}

} // namespace
} // namespace zembera
