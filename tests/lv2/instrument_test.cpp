// An instrument hosted with lilv as a DAW hosts it, at the host's rate and block size: each note
// sent at a frame within a block sounds from that frame, at the pitch of its MIDI key.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "lv2_plugin.h"
#include "note_measure.h"

namespace zembera::lv2 {
namespace {

struct Note {
    int key;
    double second;      // the block that holds the note starts near this time
    uint32_t intoBlock; // frames from the block's start
};

// The stand-in, Ardour's Reasonable Synth, renders in 64-frame steps and plays an event within
// the first 64 frames of a block from the block's start: these notes lie past that.
constexpr Note kNotes[] = {{45, 0.1, 65}, {69, 0.6, 100}, {93, 1.1, 127}};
constexpr double kNoteSeconds = 0.3;

struct Host {
    double rate;
    uint32_t block;
};

TEST(LilvInstrument, NotesSoundOnTheirFrameAtTheirKeysPitch) {
    const Bundle bundle(ZEMBERA_LV2_INSTRUMENT_BUNDLE, ZEMBERA_LV2_INSTRUMENT_URI);
    for (const Host host :
         {Host{44100, 128}, Host{48000, 256}, Host{88200, 1000}, Host{96000, 4096}}) {
        SCOPED_TRACE(testing::Message() << host.rate << " Hz, blocks of " << host.block);
        Plugin plugin(bundle, host.rate, host.block, std::filesystem::temp_directory_path());
        std::vector<uint64_t> frames;
        for (const Note& note : kNotes) {
            const auto block = static_cast<uint64_t>(note.second * host.rate) / host.block;
            const uint64_t frame = block * host.block + std::min(note.intoBlock, host.block - 1);
            frames.push_back(frame);
            plugin.midi(frame, {0x90, uint8_t(note.key), 100});
            plugin.midi(frame + uint64_t(kNoteSeconds * host.rate), {0x80, uint8_t(note.key), 0});
        }
        const auto out = plugin.render(static_cast<uint64_t>(1.6 * host.rate));
        ASSERT_EQ(out.size(), 2u);
        for (std::size_t i = 0; i < frames.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "key " << kNotes[i].key);
            // Silence from 50 ms before the note until its first sample, which may be a zero.
            const std::size_t onset = firstSound(out[0], frames[i] - std::size_t(0.05 * host.rate));
            EXPECT_GE(onset, frames[i]);
            EXPECT_LE(onset, frames[i] + 1);
            const double hz = pitchHz(out[0], onset + std::size_t(0.02 * host.rate),
                                      std::size_t(0.25 * host.rate), host.rate);
            EXPECT_NEAR(audio_measure::centsBetween(hz, midiHz(kNotes[i].key)), 0.0, 1.0);
        }
    }
}

} // namespace
} // namespace zembera::lv2
