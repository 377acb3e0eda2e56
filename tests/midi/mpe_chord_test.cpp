// A chord's further notes, sounded beside the memory channel by the sound service, go out as MPE
// notes of their own, each on a member channel with its own bend, and end when their voices are
// closed; more notes than member channels follow the encoder's rule.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "midi/mpe_encoder.h"
#include "midi/mpe_notes.h"
#include "sound/patched_sample.h"
#include "sound/service_rig.h"

namespace zembera {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The pitch bend and note-on of `cents` on member channel `channel` (1..15, the wire's 2..16), as
// a synthesizer reads them: MIDI note 69 is 440 Hz, the program's 0 cents 262 Hz, the bend range
// 48 semitones, so bend = 8192 + round(8192 * r / 4800) with r the cents from the nearest note.
std::vector<Bytes> noteOn(int channel, double cents) {
    const double exact = 69 + 12 * std::log2(262.0 / 440.0) + cents / 100;
    const long note = std::lround(exact);
    const long bend = 8192 + std::lround(8192 * (exact - note) * 100 / 4800);
    const auto ch = static_cast<std::uint8_t>(channel);
    return {Bytes{static_cast<std::uint8_t>(0xE0 | ch), static_cast<std::uint8_t>(bend & 0x7F),
                  static_cast<std::uint8_t>(bend >> 7)},
            Bytes{static_cast<std::uint8_t>(0x90 | ch), static_cast<std::uint8_t>(note), 127}};
}
Bytes noteOff(int channel, double cents) {
    const double exact = 69 + 12 * std::log2(262.0 / 440.0) + cents / 100;
    return Bytes{static_cast<std::uint8_t>(0x80 | channel),
                 static_cast<std::uint8_t>(std::lround(exact)), 64};
}
void append(std::vector<Bytes>& to, const std::vector<Bytes>& more) {
    to.insert(to.end(), more.begin(), more.end());
}

class MpeChord : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int s = 1; s <= kStringCount; ++s) {
            names[static_cast<std::size_t>(s)] = "xx_026200_" + std::to_string(s) + ".wav";
            test::writeFile(folder.path() / names[static_cast<std::size_t>(s)],
                            test::canonicalWav(test::constant(2000, 300)));
            tables.centTable(s, 0) = cents(s);
        }
        rig.sound.notes().add(mpe);
        mpe.attach([this](const Bytes& m) { sent.push_back(m); });
        sent.clear(); // the configuration
    }
    // Each string's pitch at position 0: the bends differ from string to string.
    static double cents(int s) { return -1000 + 137.3 * s; }

    test::TempDir folder;
    PerString<std::string> names;
    PitchTables tables;
    PerString<float> tuningOffset{};
    test::ServiceRig rig;
    MpeNotes mpe;
    std::vector<Bytes> sent;
};

// Seventeen notes at once, the first on the memory channel and sixteen beside it: the fifteen
// member channels are taken in turn, then each further note ends the oldest sounding note and
// takes its channel (the memory note's, then the first chord note's). Closing the voices ends
// the notes still sounding, and nothing for those whose channels were taken.
TEST_F(MpeChord, MoreNotesThanMemberChannelsEndTheOldestAndClosingEndsTheRest) {
    const PatchedSampleSource source{folder.path(), names, tables, tuningOffset};
    rig.sound.PlayPatchedSample(source, 1, 0);
    for (int k = 1; k <= 16; ++k)
        rig.sound.PlayPreparedBeside(source, SoundOutput::PreparedNote{1 + k, 0, false, {}},
                                     "akor" + std::to_string(k));
    std::vector<Bytes> expected;
    for (int s = 1; s <= 15; ++s)
        append(expected, noteOn(s, cents(s)));
    expected.push_back(noteOff(1, cents(1)));
    append(expected, noteOn(1, cents(16)));
    expected.push_back(noteOff(2, cents(2)));
    append(expected, noteOn(2, cents(17)));
    EXPECT_EQ(sent, expected);

    sent.clear();
    rig.sound.StopAllSound();
    for (int k = 16; k >= 1; --k)
        rig.sound.MciStopClose("akor" + std::to_string(k));
    expected = {noteOff(2, cents(17)), noteOff(1, cents(16))};
    for (int s = 15; s >= 3; --s)
        expected.push_back(noteOff(s, cents(s)));
    EXPECT_EQ(sent, expected);
}

} // namespace
} // namespace zembera
