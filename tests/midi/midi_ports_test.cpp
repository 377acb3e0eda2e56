// The MIDI ports' logic on ports in memory: the MPE configuration reaching a synthesizer that
// subscribes after the output exists, the ports the program sends to never listened to (a keyboard
// plugged in again: gui/midi_control_test.cpp); and the machine's own ports without a sequencer,
// silent.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <map>
#include <utility>

#include "midi/alsa_midi_ports.h"
#include "midi/fake_midi_ports.h"
#include "midi/midi_inputs.h"
#include "midi/midi_loop_guard.h"
#include "midi/mpe_notes.h"
#include "midi/mpe_port.h"

namespace zembera {
namespace {

using Bytes = std::vector<std::uint8_t>;

// What a receiver makes of the control changes on each channel, by the MIDI 1.0 definitions:
// controller 101 and 100 select a registered parameter (MSB, LSB), 6 and 38 set its value (MSB,
// LSB); 127/127 is the null parameter, which selects none.
constexpr std::uint8_t kControlChange = 0xB0, kRpnMsb = 101, kRpnLsb = 100, kDataMsb = 6,
                       kDataLsb = 38, kNull = 127;
using Pair = std::pair<int, int>;
struct ChannelRpns {
    Pair selected{kNull, kNull};
    std::map<Pair, Pair> values; // parameter: (MSB, LSB) of value
};
std::array<ChannelRpns, 16> receive(const std::vector<Bytes>& messages) {
    std::array<ChannelRpns, 16> channels;
    for (const Bytes& m : messages) {
        EXPECT_EQ(std::pair(m.size(), m[0] & 0xF0), std::pair(std::size_t{3}, int{kControlChange}));
        ChannelRpns& c = channels[m[0] & 0x0F];
        Pair& selected = c.selected;
        if (m[1] == kRpnMsb) selected.first = m[2];
        if (m[1] == kRpnLsb) selected.second = m[2];
        if ((m[1] == kDataMsb || m[1] == kDataLsb) && selected != Pair{kNull, kNull})
            (m[1] == kDataMsb ? c.values[selected].first : c.values[selected].second) = m[2];
    }
    return channels;
}

// The MPE 1.0 set-up of a lower zone over every channel: on its manager channel (channel 1) the
// MPE Configuration Message, RPN 0/6, with the number of member channels; on each member channel
// (2..16) the pitch bend sensitivity, RPN 0/0, of 48 semitones and 0 cents; every parameter
// closed by the null RPN, so that a stray data entry changes nothing.
void expectMpeSetUp(const std::vector<Bytes>& messages) {
    const auto channels = receive(messages);
    for (int ch = 0; ch < 16; ++ch) {
        SCOPED_TRACE("channel " + std::to_string(ch + 1));
        const auto& c = channels[ch];
        EXPECT_EQ(c.selected, (Pair{kNull, kNull}));
        const Pair parameter = ch == 0 ? Pair{0, 6} : Pair{0, 0};
        ASSERT_EQ(c.values.size(), 1u);
        ASSERT_TRUE(c.values.count(parameter));
        const Pair value = c.values.at(parameter); // the manager's LSB unread
        EXPECT_EQ(value, (ch == 0 ? Pair{16 - 1, value.second} : Pair{48, 0}));
    }
}

std::vector<Bytes> sentTo(const test::FakeMidiPorts& ports, std::optional<MidiAddress> to,
                          std::size_t from = 0) {
    std::vector<Bytes> out;
    for (std::size_t i = from; i < ports.sent.size(); ++i)
        if (ports.sent[i].to == to) out.push_back(ports.sent[i].message);
    return out;
}

// The configuration goes out on attaching, when nothing is subscribed yet; each synthesizer that
// subscribes later gets it by itself, once, and again when it comes back.
TEST(MpePort, EachLaterSubscriberIsConfiguredOnceByItself) {
    test::FakeMidiPorts ports;
    MpePort port(ports);
    std::string why;
    ASSERT_TRUE(port.open(why)) << why;
    MpeNotes mpe;
    mpe.attach([&port](const Bytes& m) { port.send(m); });
    expectMpeSetUp(sentTo(ports, std::nullopt));
    EXPECT_FALSE(port.poll());
    const MidiAddress synth{130, 0}, other{131, 0};
    ports.subscribed = {synth};
    ASSERT_TRUE(port.poll());
    expectMpeSetUp(sentTo(ports, synth));
    std::size_t seen = ports.sent.size();
    EXPECT_FALSE(port.poll());
    EXPECT_EQ(ports.sent.size(), seen);
    ports.subscribed = {synth, other};
    ASSERT_TRUE(port.poll());
    EXPECT_TRUE(sentTo(ports, synth, seen).empty());
    expectMpeSetUp(sentTo(ports, other, seen));
    ports.subscribed = {other};
    EXPECT_TRUE(port.poll());
    ports.subscribed = {other, synth};
    seen = ports.sent.size();
    ASSERT_TRUE(port.poll());
    expectMpeSetUp(sentTo(ports, synth, seen));
    EXPECT_TRUE(sentTo(ports, other, seen).empty());
}

// The guard's verdicts on one source: the program's own messages coming back within the echo
// window are not played, and close the source at the second; notes beyond the UI thread's share
// wait out their slice (their note-offs play); more notes a second than a keyboard's close it.
TEST(MidiLoopGuard, EchoesTheShareOfTheUiThreadAndFloods) {
    const MidiLoopGuard::Clock::time_point t0{};
    const auto at = [&](int ms) { return t0 + std::chrono::milliseconds(ms); };
    const auto event = [&](int ms, Bytes b) {
        return MidiEvent{{b[0], b[1], b[2]}, 3, at(ms), {140, 1}};
    };
    const Bytes on{0x92, 60, 100}, bend{0xE2, 0, 64}, off{0x82, 60, 0};
    // Each step: ms, s(ent) / r(eceived) / b(usy for the whole budget), message; if received,
    // whether it plays and the word of a closing.
    using Step = std::tuple<int, char, Bytes, bool, std::string>;
    const std::vector<Step> cases[] = {
        {{1000, 's', on, 0, ""},
         {1001, 'r', on, 0, ""},
         {1002, 's', bend, 0, ""},
         {1049, 'r', bend, 0, "döngü"}},
        {{1000, 'r', on, 1, ""}, {1001, 's', on, 0, ""}, {1052, 'r', on, 1, ""}},
        {{1000, 'r', on, 1, ""},
         {1001, 'b', {}, 0, ""},
         {1002, 'r', on, 0, ""},
         {1003, 'r', off, 1, ""},
         {2001, 'r', on, 1, ""}},
    };
    for (const auto& steps : cases) {
        MidiLoopGuard guard;
        for (const auto& [ms, what, bytes, play, word] : steps) {
            if (what == 's') guard.sent(bytes, at(ms));
            if (what == 'b') guard.spent(kPlayBudget, at(ms));
            if (what != 'r') continue;
            const auto verdict = guard.received(event(ms, bytes));
            EXPECT_EQ(std::pair(verdict.play, verdict.word), std::pair(play, word)) << ms;
        }
    }
    MidiLoopGuard guard; // kMostNotesPerSecond in each of two seconds, then one more
    for (int i = 0; i < 2 * kMostNotesPerSecond; ++i)
        ASSERT_EQ(guard.received(event(1000 + i / kMostNotesPerSecond * 1000 + i % 100, on)).word,
                  "");
    EXPECT_EQ(guard.received(event(2999, on)).word, "aşırı hız");
}

// The inputs over Midi Through and a keyboard.
class MidiInputsTest : public ::testing::Test {
  protected:
    struct TwoInputs : test::FakeMidiPorts {
        TwoInputs() { present = {test::kThrough, test::kKeys}; }
    };
    TwoInputs ports;
    const MidiSource& through = test::kThrough;
    const MidiSource& keys = test::kKeys;
    MidiEventQueue queue;
    MidiInputs inputs{ports, queue};
};

// A port the program sends to is closed and its messages are not heard, every input listened to
// or the one chosen; it is listened to again once left alone.
TEST_F(MidiInputsTest, APortTheProgramSendsToIsNeverHeard) {
    for (const std::string& chosen : {std::string(), through.name}) {
        inputs.choose(chosen);
        inputs.ignore({through.address, test::FakeMidiPorts::kOutput});
        EXPECT_FALSE(inputs.heard(through.address));
        EXPECT_FALSE(inputs.heard(test::FakeMidiPorts::kOutput));
        EXPECT_TRUE(inputs.heard(keys.address));
        const auto listened = ports.listened();
        EXPECT_EQ(std::count(listened.begin(), listened.end(), through.address), 0);
        EXPECT_NE(inputs.status().find("1 yankı kapalı"), std::string::npos);
        inputs.ignore({});
        EXPECT_TRUE(inputs.heard(through.address));
        EXPECT_EQ(ports.listened().size(), chosen.empty() ? 2u : 1u);
    }
}

// Without a sequencer the machine's ports say why in Turkish, refuse the output with the reason,
// and print nothing.
TEST(SystemMidiPorts, WithoutASequencerTheySayWhyAndPrintNothing) {
    if (std::filesystem::exists("/dev/snd/seq")) GTEST_SKIP() << "an ALSA sequencer is here";
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    auto ports = openSystemMidiPorts();
    MidiEventQueue queue;
    MidiInputs inputs(*ports, queue);
    MpePort port(*ports);
    std::string why;
    EXPECT_FALSE(port.open(why));
    const std::string printed =
        testing::internal::GetCapturedStderr() + testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, "");
    EXPECT_EQ(ports->failure(), "MIDI yok: ALSA sıralayıcısı yok");
    EXPECT_EQ(inputs.status(), ports->failure());
    EXPECT_FALSE(inputs.available());
    EXPECT_EQ(why, "ALSA sıralayıcısı yok");
}

} // namespace
} // namespace zembera
