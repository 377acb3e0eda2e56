// The keyboard's messages as the player sounds them, the key each note sounds (worked out from
// MIDI's own numbering: note n is 440 Hz·2^((n-69)/12), its white keys are C D E F G A B, and the
// kanun's strings lie on the white keys their written naturals name), the MPE stream, the event
// queue and the real MIDI ports.

#include <gtest/gtest.h>
#include <rtmidi/RtMidi.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <thread>
#include <tuple>

#include "midi/alsa_midi_ports.h"
#include "midi/midi_event_queue.h"
#include "midi/midi_inputs.h"
#include "midi/midi_mapping.h"
#include "midi/midi_player.h"
#include "midi/mpe_encoder.h"
#include "midi/mpe_notes.h"
#include "midi/mpe_port.h"
#include "notation/pitch_panel.h"
#include "pitch/pitch_table.h"
#include "support/loaded_program.h"
#include "support/program_folder.h"
#include "support/recorded_sound.h"
#include "support/scl_pitches.h"
#include "support/wav_files.h"

namespace zembera {
namespace {

// Where the ALSA sequencer exists: a port plugged in later is opened and its notes arrive, marked
// with the port they came from.
TEST(MidiPorts, APortPluggedInLaterIsOpenedAndItsNotesArrive) {
    if (!std::filesystem::exists("/dev/snd/seq")) GTEST_SKIP() << "no ALSA sequencer";
    auto ports = openSystemMidiPorts();
    ASSERT_EQ(ports->failure(), "");
    MidiEventQueue queue;
    MidiInputs inputs(*ports, queue);
    RtMidiOut keyboard(RtMidi::LINUX_ALSA, "zembera test keyboard");
    keyboard.openVirtualPort("keys");
    ASSERT_TRUE(inputs.rescan()) << inputs.status();
    const std::vector<unsigned char> on{0x90, 60, 100};
    keyboard.sendMessage(&on);
    std::vector<MidiEvent> events;
    for (int i = 0; i < 200 && events.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        queue.takeAll(events);
    }
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(std::vector<unsigned char>(events[0].bytes.begin(), events[0].bytes.begin() + 3), on);
    EXPECT_TRUE(events[0].source.valid());
}

// Where the ALSA sequencer exists: a synthesizer that subscribes to "ZEMBERA" after it was made
// receives the MPE configuration.
TEST(MidiPorts, ASynthSubscribingAfterTheOutputWasMadeIsConfigured) {
    if (!std::filesystem::exists("/dev/snd/seq")) GTEST_SKIP() << "no ALSA sequencer";
    auto ports = openSystemMidiPorts();
    MpePort port(*ports);
    std::string why;
    ASSERT_TRUE(port.open(why)) << why;
    RtMidiIn synth(RtMidi::LINUX_ALSA, "zembera test synth");
    const std::string suffix =
        " " + std::to_string(port.address().client) + ":" + std::to_string(port.address().port);
    std::optional<unsigned> index;
    for (unsigned i = 0; i < synth.getPortCount(); ++i) {
        const std::string name = synth.getPortName(i);
        if (name.size() > suffix.size() && name.ends_with(suffix)) index = i;
    }
    ASSERT_TRUE(index);
    synth.openPort(*index);
    ASSERT_TRUE(port.poll());
    const std::vector<std::uint8_t> expected = MpeEncoder::configuration();
    std::vector<std::uint8_t> got;
    std::vector<unsigned char> message;
    for (int i = 0; i < 200 && got.size() < expected.size(); ++i) {
        synth.getMessage(&message);
        if (message.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        got.insert(got.end(), message.begin(), message.end());
    }
    EXPECT_EQ(got, expected);
}

using Bytes = std::vector<std::uint8_t>;

// What the staff and the panel were drawn for: the string, its position and the panel's hertz.
class PanelView : public SilentInstrumentView {
  public:
    PanelView(const InstrumentState& st, const TuningState& tuning, const PitchTables& tables)
        : st_(st), tuning_(tuning), tables_(tables) {}
    void etiket() override {
        const int s = st_.currentString;
        shown = {s, st_.mandalPos[s], std::stod(panelLines(st_, tuning_, tables_)[5].value)};
    }
    std::tuple<int, int, double> shown;

  private:
    const InstrumentState& st_;
    const TuningState& tuning_;
    const PitchTables& tables_;
};

class MidiPlaying : public ::testing::Test {
  protected:
    void SetUp() override {
        test::makeProgramFolder(dir.path(), 2000);
        program = test::loadFrom(dir.path(), messages);
        view = std::make_unique<PanelView>(program->instrument, program->tuning, program->tables);
        player = std::make_unique<MidiPlayer>(MidiPlayerParts{
            program->instrument, program->tables, program->tuning.tuningOffset, notes, *view});
    }
    InstrumentState& st() { return program->instrument; }

    test::TempDir dir;
    RecordedMessages messages;
    std::unique_ptr<LoadedProgram> program;
    test::RecordedSound notes;
    std::unique_ptr<PanelView> view;
    std::unique_ptr<MidiPlayer> player;
};

// Per row of keyboard messages: the notes started (key, string and position, "~" where a black
// key slides to its sharp) and ended, and the current string. Each start's gain is the square of
// its velocity over 127; its pitch is measured in MidiSounding.
TEST_F(MidiPlaying, KeysPedalAndStopAll) {
    const auto sharp = positionWithMark(program->tables, 17, kSharpMark);
    ASSERT_TRUE(sharp);
    const std::string cSharp = "tuş 61 17:" + std::to_string(*sharp) + "~";
    const struct {
        const char* title;
        std::function<void()> before;
        const char* messages; // in hex, three bytes each
        std::string calls;
        int string;
    } rows[] = {
        {"C4 pressed and released", nullptr, "90 3C 7F 80 3C 00", "tuş 60 17:0,-tuş 60", 17},
        {"A2 at 64", nullptr, "90 2D 40", "tuş 45 26:0", 26},
        {"C#4: string 17 at its sharp", nullptr, "90 3D 64 80 3D 00", cSharp + ",-tuş 61", 17},
        {"C#4 after a fine tuning", [&] { program->tuning.tuningOffset[17] += 10; }, "90 3D 64",
         cSharp, 17},
        {"released, below A2, above E6, pedal down, D4 pressed and released", nullptr,
         "80 3D 00 90 28 64 90 64 64 B0 40 7F 90 3E 64 80 3E 00", "-tuş 61,tuş 62 16:0", 16},
        {"D4 again, E3", nullptr, "90 3E 32 80 3E 00 90 34 64", "-tuş 62,tuş 62 16:0,tuş 52 22:0",
         22},
        {"stop all, pedal up", [&] { player->stopAll(); }, "B0 40 00", "-tuş 45,-tuş 52,-tuş 62",
         22},
        {"E4", nullptr, "90 40 64", "tuş 64 15:0", 15},
        {"a replay runs: F4, E4 and F4 released", [&] { st().playingBack = true; },
         "90 41 64 80 40 00 80 41 00", "-tuş 64", 15},
        {"F#4 while recording",
         [&] {
             st().playingBack = false;
             st().recording = true;
         },
         "90 42 64", "", 15},
        {"C4 on channel 1, off on 4; C#4 on and off (velocity 0) on 16, and off again",
         [&] { st().recording = false; }, "90 3C 64 83 3C 28 9F 3D 01 9F 3D 00 80 3D 00",
         "tuş 60 17:0,-tuş 60," + cSharp + ",-tuş 61", 17},
        {"pitch bend, modulation, aftertouch and the clock", nullptr,
         "E0 00 40 B0 01 64 A0 3C 64 F8", "", 17},
        {"C4, E4, pedal down at 127, C4 off, G4, C4 again at 20 and off, pedal at 64", nullptr,
         "90 3C 64 90 40 64 B0 40 7F 80 3C 00 90 43 64 90 3C 14 80 3C 00 B0 40 40",
         "tuş 60 17:0,tuş 64 15:0,tuş 67 13:0,-tuş 60,tuş 60 17:0", 17},
        {"pedal up at 63, G4 off", nullptr, "B0 40 3F 80 43 00", "-tuş 60,-tuş 67", 17},
        {"pedal down, A2 on and off, all notes off, E4 off", nullptr,
         "B0 40 7F 90 2D 64 80 2D 00 B0 7B 00 80 40 00", "tuş 45 26:0,-tuş 45,-tuş 64", 26},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.title);
        if (row.before) row.before();
        // A status byte (80..FF) starts the next message.
        std::vector<Bytes> messages;
        std::istringstream in(row.messages);
        for (unsigned byte; in >> std::hex >> byte;) {
            if (byte >= 0x80) messages.emplace_back();
            messages.back().push_back(static_cast<std::uint8_t>(byte));
        }
        for (const Bytes& message : messages)
            player->handle(message.data(), message.size());
        std::string calls;
        for (const auto& call : notes.calls) {
            calls += (calls.empty() ? "" : ",") + test::RecordedSound::text(call);
            if (call.start) {
                EXPECT_NEAR(call.note.gain, std::pow(call.note.velocity / 127.0, 2), 1e-6);
            }
        }
        EXPECT_EQ(calls, row.calls);
        EXPECT_EQ(st().currentString, row.string);
        notes.calls.clear();
    }
}

// With every member channel sounding, a new note ends the oldest one and takes its channel.
TEST(MpeEncoder, ASixteenthNoteEndsTheOldestAndTakesItsChannel) {
    MpeEncoder mpe;
    MpeEncoder::Bytes first;
    for (int id = 0; id < kMpeMemberChannels; ++id) {
        const MpeEncoder::Bytes on = mpe.noteOn(id, 100.0 * id, 100);
        if (id == 0) first = on;
    }
    const MpeEncoder::Bytes on = mpe.noteOn(kMpeMemberChannels, 1500, 100);
    const std::uint8_t oldest = first[first.size() - 3]; // note 0's note-on status
    ASSERT_GE(on.size(), 9u);
    EXPECT_EQ(on.front(), oldest - 0x10); // note 0's note-off first
    EXPECT_EQ(on[on.size() - 3], oldest);
    EXPECT_TRUE(mpe.noteOff(0).empty());
}

// Each note's pitch bend and note-on as a synthesizer reads them at the bend range the members
// announce, 48 semitones either way (note 69 = 440 Hz, bend 8192 = none): with r the cents from
// the note to the pitch, bend = 8192 + round(8192·r/(100·48)); the pitch is cents above C4 =
// 262 Hz and the note the nearest, so |r| <= 50, beyond the keyboard's ends the bend carries more.
TEST(MpeEncoder, EachNoteSoundsItsCentsByTheAnnouncedBendRange) {
    MpeEncoder mpe;
    const double aboveA4 = 1200 * std::log2(262.0 / 440.0);
    for (double cents = -6500; cents <= 7500; cents += 13.7) {
        const MpeEncoder::Bytes on = mpe.noteOn(0, cents, 90);
        ASSERT_GE(on.size(), 6u);
        const std::uint8_t* m = &on[on.size() - 6];
        const int channel = m[0] & 0x0F;
        EXPECT_GE(channel, 1); // a member channel
        EXPECT_EQ((std::vector<int>{m[0] & 0xF0, m[3], m[5]}),
                  (std::vector<int>{0xE0, 0x90 | channel, 90}));
        const double rest = cents + aboveA4 - 100.0 * (m[4] - 69);
        EXPECT_EQ(m[1] | m[2] << 7, 8192 + std::lround(8192 * rest / 4800)) << cents;
        EXPECT_TRUE(std::abs(rest) <= 50 + 1e-9 || (m[4] == 0 && rest < 0) ||
                    (m[4] == 127 && rest > 0))
            << cents << ": note " << int{m[4]};
    }
}

// A white key sounds its string where it stands now, though nothing prepared it there (a makam
// load, a fine tuning); a black key shows its own sharp on the panel, the string staying put.
// Expected cents from the test table: s * 10 + m away from position 0.
TEST_F(MidiPlaying, KeysSoundAndShowTheirPitch) {
    const auto hz = [](double cents) { return 262 * std::exp2(cents / 1200); };
    // The cents of the note asked for (what the engine sounds of them: Engine tests).
    const auto press = [&](std::uint8_t note) {
        const std::uint8_t on[3] = {0x90, note, 100}, off[3] = {0x80, note, 0};
        notes.calls.clear();
        player->handle(on, 3);
        player->handle(off, 3);
        EXPECT_EQ(notes.calls.at(0).note.string, 17);
        return notes.calls.at(0).note.cents;
    };
    EXPECT_NEAR(press(0x3C), 0, 1e-6); // C4, string 17 open
    program->instrument.mandalPos[17] = 3;
    program->tuning.tuningOffset[17] = 5;
    EXPECT_NEAR(press(0x3C), 173 + 5, 1e-6);
    const auto& [string, position, panelHz] = view->shown;
    EXPECT_EQ(std::pair(string, position), std::pair(17, 3));
    EXPECT_NEAR(panelHz, hz(173 + 5), 0.001);

    const auto sharp = positionWithMark(program->tables, 17, kSharpMark);
    ASSERT_TRUE(sharp);
    EXPECT_NEAR(press(0x3D), 170 + *sharp + 5, 1e-6); // C#4
    EXPECT_EQ(std::pair(string, position), std::pair(17, *sharp));
    EXPECT_NEAR(panelHz, hz(170 + *sharp + 5), 0.001);
    EXPECT_EQ(program->instrument.mandalPos[17], 3);
}

// A system exclusive message is dropped; a note message arrives whole.
TEST(MidiEventQueue, LongMessagesAreDroppedAndNotesArriveWhole) {
    MidiEventQueue queue;
    const std::uint8_t bytes[4] = {0xF0, 0x90, 60, 0xF7};
    queue.push(bytes, 4);
    queue.push(bytes + 1, 3);
    std::vector<MidiEvent> events;
    queue.takeAll(events);
    ASSERT_EQ(events.size(), 1u);
    const Bytes got(events[0].bytes.begin(), events[0].bytes.begin() + events[0].size);
    EXPECT_EQ(got, Bytes(bytes + 1, bytes + 4));
}

bool whiteKey(int note) {
    const int inOctave = note % 12;
    return inOctave == 0 || inOctave == 2 || inOctave == 4 || inOctave == 5 || inOctave == 7 ||
           inOctave == 9 || inOctave == 11;
}

// The string whose written natural is `note`; 0 when none is.
int stringOnKey(int note) {
    for (int s = 1; s <= kStringCount; ++s)
        if (test::naturalOf(s).midiKey() == note) return s;
    return 0;
}

// On the bundled table every white key of A2..E6 is its string as it stands, every black key a
// neighbouring string at the position sounding nearer that key's equal-tempered pitch than any
// other key's; keys outside the strings sound nothing.
TEST(MidiMapping, EveryKeySoundsItsOwnPitchOnTheBundledTable) {
    const PitchTables tables = tablo_oku_txt(ZEMBERA_PROGRAM_DIR);
    InstrumentState st;
    setMandalRanges(st);
    for (int s = 1; s <= kStringCount; ++s)
        st.mandalPos[s] = static_cast<std::int16_t>(s % 3 - 1);
    int sounding = 0;
    for (int note = 0; note <= 127; ++note) {
        SCOPED_TRACE(note);
        const auto target = midiKeyTarget(note, tables, st);
        const int lowest = test::naturalOf(kStringCount).midiKey();
        const int highest = test::naturalOf(1).midiKey();
        if (note < lowest || note > highest) {
            EXPECT_FALSE(target);
            continue;
        }
        ASSERT_TRUE(target);
        ++sounding;
        const int s = target->string;
        if (whiteKey(note)) {
            EXPECT_EQ(s, stringOnKey(note));
            EXPECT_EQ(target->position, st.mandalPos[s]);
            EXPECT_TRUE(target->currentPosition);
            continue;
        }
        EXPECT_TRUE(s == stringOnKey(note - 1) || s == stringOnKey(note + 1)) << s;
        EXPECT_FALSE(target->currentPosition);
        EXPECT_GE(target->position, mandalMinOf(s));
        EXPECT_LE(target->position, mandalMaxOf(s));
        const double keyCents = 1200 * std::log2(440.0 * std::exp2((note - 69) / 12.0) / 262.0);
        EXPECT_NEAR(tables.centTable(s, target->position), keyCents, 50.0) << s;
    }
    EXPECT_EQ(sounding, 88 - 45 + 1);
}

// A table with some sharps and flats missing: a black key takes the string below at its sharp,
// else the string above at its flat, else sounds nothing; of two positions with the mark, the one
// nearer the open string.
TEST(MidiMapping, ABlackKeyFallsBackToTheFlatOfTheStringAbove) {
    PitchTables t;
    for (int s = 1; s <= kStringCount; ++s)
        for (int m = mandalMinOf(s); m <= mandalMaxOf(s); ++m)
            t.mandalMark(s, m) = static_cast<std::int16_t>(m);
    t.mandalMark(1, 5) = 6;
    t.mandalMark(3, 6) = 4;  // C6 has no sharp, D6 no flat: C#6 sounds nothing
    t.mandalMark(2, 6) = 3;  // D6 has no sharp and E6 no flat (-6 lies beyond its -5)
    t.mandalMark(17, 6) = 5; // C4 has no sharp: C#4 is D4's string at its flat
    InstrumentState st;
    setMandalRanges(st);
    EXPECT_EQ(positionWithMark(t, 1, kSharpMark), 5);
    EXPECT_EQ(positionWithMark(t, 2, kSharpMark), std::nullopt);
    EXPECT_EQ(midiKeyTarget(61, t, st), (MidiKeyTarget{16, -6, false}));
    EXPECT_EQ(midiKeyTarget(63, t, st), (MidiKeyTarget{16, 6, false}));
    EXPECT_EQ(midiKeyTarget(85, t, st), std::nullopt);
    EXPECT_EQ(midiKeyTarget(87, t, st), std::nullopt);
    EXPECT_EQ(midiKeyTarget(46, t, st), (MidiKeyTarget{26, 6, false}));
}

} // namespace
} // namespace zembera
