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
struct ChannelRpns {
    std::pair<int, int> selected{kNull, kNull};
    std::map<std::pair<int, int>, std::pair<int, int>> values; // parameter: (MSB, LSB) of value
};
std::array<ChannelRpns, 16> receive(const std::vector<Bytes>& messages) {
    std::array<ChannelRpns, 16> channels;
    for (const Bytes& m : messages) {
        EXPECT_EQ(m.size(), 3u);
        EXPECT_EQ(m[0] & 0xF0, kControlChange);
        ChannelRpns& c = channels[m[0] & 0x0F];
        if (m[1] == kRpnMsb) c.selected.first = m[2];
        if (m[1] == kRpnLsb) c.selected.second = m[2];
        if (m[1] == kDataMsb && c.selected != std::pair<int, int>{kNull, kNull})
            c.values[c.selected].first = m[2];
        if (m[1] == kDataLsb && c.selected != std::pair<int, int>{kNull, kNull})
            c.values[c.selected].second = m[2];
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
        EXPECT_EQ(c.selected, (std::pair<int, int>{kNull, kNull}));
        const std::pair<int, int> parameter = ch == 0 ? std::pair{0, 6} : std::pair{0, 0};
        ASSERT_EQ(c.values.size(), 1u);
        ASSERT_TRUE(c.values.count(parameter));
        if (ch == 0)
            EXPECT_EQ(c.values.at(parameter).first, 16 - 1);
        else
            EXPECT_EQ(c.values.at(parameter), (std::pair<int, int>{48, 0}));
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

// Where the sequencer announces subscriptions, a synthesizer that took the address of another
// between two polls (the list of subscribers the same before and after) is configured too.
TEST(MpePort, AnAnnouncedReplacementAtTheSameAddressIsConfigured) {
    test::FakeMidiPorts ports;
    ports.announces = true;
    MpePort port(ports);
    std::string why;
    ASSERT_TRUE(port.open(why)) << why;
    ASSERT_GE(port.announcements(), 0);
    const MidiAddress synth{130, 0};
    for (int replaced = 0; replaced < 3; ++replaced) {
        SCOPED_TRACE(replaced);
        const std::size_t seen = ports.sent.size();
        ports.subscribe(synth); // the list stays {synth} after the first
        EXPECT_TRUE(port.poll());
        expectMpeSetUp(sentTo(ports, synth, seen));
        EXPECT_FALSE(port.poll());
    }
}

// The guard's verdicts on one source's messages over time: the program's own messages coming
// back within the echo window are never played and close the source at the second; floods beyond
// a keyboard close it; notes beyond the share of the UI thread wait out their slice unplayed.
TEST(MidiLoopGuard, EchoesFloodsAndTheShareOfTheUiThread) {
    using Clock = MidiLoopGuard::Clock;
    using std::chrono::milliseconds;
    const Clock::time_point t0{};
    const MidiAddress relay{140, 1};
    const auto at = [&](int ms, Bytes bytes) {
        MidiEvent e;
        std::copy(bytes.begin(), bytes.end(), e.bytes.begin());
        e.size = bytes.size();
        e.received = t0 + milliseconds(ms);
        e.source = relay;
        return e;
    };
    struct Step {
        int ms;
        char what;   // s: the program sends, r: one arrives, b: 10 ms spent playing at ms
        Bytes bytes; // sent or received
        bool play;   // r: played
        std::string word;
    };
    const Bytes note{0x92, 60, 100}, bend{0xE2, 0, 64};
    const std::vector<std::pair<std::string, std::vector<Step>>> cases{
        {"echo twice",
         {{1000, 's', note, true, ""},
          {1001, 'r', note, false, ""},
          {1002, 's', bend, true, ""},
          {1049, 'r', bend, false, "döngü"}}},
        {"too late or too early for an echo",
         {{1000, 'r', note, true, ""},
          {1001, 's', note, true, ""},
          {1052, 'r', note, true, ""},
          {1060, 'r', bend, true, ""}}},
        {"the share of the UI thread",
         {{1000, 'r', note, true, ""},
          {1001, 'b', {}, true, ""},
          {1002, 'r', note, false, ""},
          {1003, 'r', {0x82, 60, 0}, true, ""},
          {1101, 'r', note, true, ""}}},
    };
    for (const auto& [name, steps] : cases) {
        SCOPED_TRACE(name);
        MidiLoopGuard guard;
        for (const Step& step : steps) {
            if (step.what == 's') guard.sent(step.bytes, t0 + milliseconds(step.ms));
            if (step.what == 'b') guard.spent(kPlayBudget, t0 + milliseconds(step.ms));
            if (step.what != 'r') continue;
            const auto verdict = guard.received(at(step.ms, step.bytes));
            EXPECT_EQ(verdict.play, step.play) << step.ms;
            EXPECT_EQ(verdict.word, step.word) << step.ms;
        }
    }
    // kMostNotesPerSecond notes in each of two seconds pass; one more within a second closes.
    MidiLoopGuard guard;
    for (int i = 0; i < 2 * kMostNotesPerSecond; ++i) {
        const int ms = 1000 + (i / kMostNotesPerSecond) * 1000 + i % kMostNotesPerSecond;
        ASSERT_EQ(guard.received(at(ms, {0x90, 60, 1})).word, "") << i;
    }
    const auto flood = guard.received(at(2999, {0x90, 61, 1}));
    EXPECT_FALSE(flood.play);
    EXPECT_EQ(flood.word, "aşırı hız");
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
