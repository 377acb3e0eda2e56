// The real MIDI system through RtMidi, where the ALSA sequencer exists.

#include <gtest/gtest.h>
#include <rtmidi/RtMidi.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "midi/midi_inputs.h"

namespace zembera {
namespace {

bool sequencer() {
    std::error_code error;
    return std::filesystem::exists("/dev/snd/seq", error);
}

TEST(MidiPorts, WithoutASequencerThereIsNoMidiAndOneQuietLine) {
    if (sequencer()) GTEST_SKIP() << "this machine has an ALSA sequencer";
    MidiEventQueue queue;
    MidiInputs inputs(queue);
    EXPECT_FALSE(inputs.available());
    EXPECT_EQ(inputs.status(), "MIDI yok: ALSA sıralayıcısı yok");
    EXPECT_FALSE(inputs.rescan());
    EXPECT_TRUE(inputs.portNames().empty());
}

TEST(MidiPorts, APortPluggedInLaterIsOpenedAndItsNotesArrive) {
    if (!sequencer()) GTEST_SKIP() << "no ALSA sequencer (/dev/snd/seq): no MIDI system to test";
    MidiEventQueue queue;
    MidiInputs inputs(queue);
    ASSERT_TRUE(inputs.available()) << inputs.status();
    RtMidiOut keyboard(RtMidi::LINUX_ALSA, "zembera test keyboard");
    keyboard.openVirtualPort("keys");
    EXPECT_TRUE(inputs.rescan());
    const std::vector<unsigned char> on{0x90, 60, 100};
    keyboard.sendMessage(&on);
    std::vector<MidiEvent> events;
    for (int i = 0; i < 200 && events.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        queue.takeAll(events);
    }
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].bytes[0], 0x90);
    EXPECT_EQ(events[0].bytes[1], 60);
}

} // namespace
} // namespace zembera
