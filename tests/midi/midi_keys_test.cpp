// Keyboard messages, the key each note sounds, the MPE byte stream against the published MPE 1.0
// (RPN 6 configures the zone, RPN 0 the bend range), each as an approved dump; the real MIDI ports.

#include <gtest/gtest.h>
#include <rtmidi/RtMidi.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <thread>

#include "midi/midi_inputs.h"
#include "midi/midi_keys.h"
#include "midi/midi_mapping.h"
#include "midi/mpe_encoder.h"
#include "midi/velocity.h"
#include "support/golden.h"

namespace zembera {
namespace {

std::string hex(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    char b[4];
    for (std::uint8_t byte : bytes) {
        std::snprintf(b, sizeof b, " %02X", byte);
        out += b;
    }
    return out;
}

// Each message and the notes it starts and stops.
TEST(MidiKeys, NotesSoundFromNoteOnToNoteOffOrTheSustainPedalsLiftOrAllNotesOff) {
    MidiKeys keys;
    // Messages in hex; a status byte (80..FF) starts the next one.
    const char* steps =
        // On any channel; velocity 0 is an off; a second off stops nothing.
        "90 3C 64  83 3C 28  9F 3D 01  9F 3D 00  80 3D 00 "
        // Other messages do nothing: pitch bend, modulation, aftertouch, the clock.
        "E0 00 40  B0 01 64  A0 3C 64  F8 "
        // The pedal holds released notes; a replayed sustained key restarts and is held again;
        // 67 is still held when the pedal lifts; the pedal is down from 64 to 127.
        "90 3C 64  90 40 64  B0 40 7F  80 3C 00  90 43 64  90 3C 14  80 3C 00  B0 40 40 "
        "B0 40 3F  80 43 00 "
        // All notes off stops held and sustained notes.
        "B0 40 7F  90 2D 64  80 2D 00  B0 7B 00  80 40 00";
    std::vector<std::vector<std::uint8_t>> messages;
    std::istringstream in(steps);
    for (unsigned byte; in >> std::hex >> byte;) {
        if (byte >= 0x80) messages.emplace_back();
        messages.back().push_back(static_cast<std::uint8_t>(byte));
    }
    std::string out;
    for (const auto& message : messages) {
        out += hex(message) + ":";
        for (const MidiNoteEvent& e : keys.handle(message.data(), message.size())) {
            out += e.kind == MidiNoteEvent::Start
                       ? " başla " + std::to_string(e.note) + "/" + std::to_string(e.velocity)
                       : " bitir " + std::to_string(e.note);
        }
        out += "\n";
    }
    test::expectGolden("midi/keys.txt", out);
    EXPECT_FALSE(keys.sounding(60));
    const std::uint8_t on[3] = {0x90, 62, 1};
    keys.handle(on, 3);
    EXPECT_TRUE(keys.sounding(62));
}

// Full velocity is today's level, 64 about -12 dB, and the curve rises smoothly.
TEST(Velocity, FullVelocityIsTodaysLevelAndTheCurveRisesSmoothly) {
    std::string out;
    char line[16];
    for (int v = 0; v <= 127; ++v) {
        std::snprintf(line, sizeof line, "%.6f%s", velocityGain(v), v % 8 == 7 ? "\n" : " ");
        out += line;
    }
    test::expectGolden("midi/velocity.txt", out);
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

// The target of every key: white keys their string as it stands, black keys the string below
// at its sharp, else the string above at its flat; then with C4's string without its sharp.
TEST(MidiMapping, EachKeySoundsItsStringAtTheRightPosition) {
    PitchTables t = tablesWithMarks();
    InstrumentState st;
    setMandalRanges(st);
    st.mandalPos.fill(-2);
    st.mandalPos[26] = -3;
    st.mandalPos[17] = 0;
    st.mandalPos[1] = 4;
    std::string out;
    for (int round = 0; round < 2; ++round) {
        for (int note = 0; note <= 127; ++note) {
            const auto target = midiKeyTarget(note, t, st);
            if (!target && (note < 44 || note > 90)) continue;
            out += std::to_string(note) + ": ";
            out += !target ? "yok\n"
                           : "tel " + std::to_string(target->string) + " konum " +
                                 std::to_string(target->position) +
                                 (target->currentPosition ? " (beyaz)\n" : "\n");
        }
        out += "# 17 loses its sharp\n";
        t.mandalMark(17, 6) = 5;
    }
    // Of several positions with the mark, the one nearest the open string.
    for (auto [s, mark] : {std::pair{1, 6}, {3, 6}, {12, -6}, {0, 6}, {27, 6}}) {
        const auto position = positionWithMark(t, s, mark);
        out += "tel " + std::to_string(s) + " işaret " + std::to_string(mark) + ": " +
               (position ? std::to_string(*position) : "yok") + "\n";
    }
    test::expectGolden("midi/mapping.txt", out);
}

// The configuration, the bend of known cents (0 cents is 262 Hz, 2.48 cents above the
// equal-tempered C4; one cent is 8192 / 4800 steps of the 48-semitone range) and the stream of
// member channels: bend first, note-off on the note's channel, the channel released longest ago
// next, a restart ending the sounding note, the oldest note ended for a sixteenth.
TEST(Mpe, ConfigurationBendsAndMemberChannels) {
    // The manager channel's zone, then each member channel's bend range.
    const std::vector<std::uint8_t> config = MpeEncoder::configuration();
    std::string out;
    for (std::size_t at = 0; at < config.size(); at += at == 0 ? 9 : 12) {
        const auto end =
            config.begin() + static_cast<long>(std::min(config.size(), at == 0 ? 9 : at + 12));
        out += "yapılandırma:" + hex({config.begin() + static_cast<long>(at), end}) + "\n";
    }
    const double c4 = -1200 * std::log2(262.0 / 261.6255653);
    for (double cents : {0.0, 49.0, 150.5, 900.0, 922.64, -100000.0, 100000.0}) {
        const MpePitch p = mpePitch(c4 + cents);
        out += std::to_string(cents) + " sent: nota " + std::to_string(p.note) + " bükme " +
               std::to_string(p.bend) + "\n";
    }
    out += "262 Hz: nota " + std::to_string(mpePitch(0).note) + " bükme " +
           std::to_string(mpePitch(0).bend) + "\n";
    MpeEncoder mpe;
    out += "on 10:" + hex(mpe.noteOn(10, c4, 100)) + "\n";
    out += "on 11:" + hex(mpe.noteOn(11, c4 + 400, 127)) + "\n";
    out += "off 10:" + hex(mpe.noteOff(10)) + "\n";
    out += "off 10:" + hex(mpe.noteOff(10)) + "\n";
    out += "on 12:" + hex(mpe.noteOn(12, c4 + 50, 1)) + "\n";
    out += "on 11:" + hex(mpe.noteOn(11, c4, 90)) + "\n";
    out += "on beyond the ids:" + hex(mpe.noteOn(kMpeNoteIds, 0, 100)) + "\n";
    MpeEncoder full;
    for (int id = 0; id < 15; ++id)
        full.noteOn(id, 100.0 * id, 100);
    out += "on 15 of 16:" + hex(full.noteOn(15, 1500, 100)) + "\n";
    out += "off 0:" + hex(full.noteOff(0)) + "\n";
    out += "off 15:" + hex(full.noteOff(15)) + "\n";
    test::expectGolden("midi/mpe.txt", out);
}

// The real MIDI system through RtMidi, where the ALSA sequencer exists.
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
