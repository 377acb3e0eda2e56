#include "midi/midi_keys.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace zembera
