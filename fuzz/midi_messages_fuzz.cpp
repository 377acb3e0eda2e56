// MIDI messages as the MIDI library hands them over, of any length and content (system
// exclusive, truncated messages, bare data bytes without a status, every channel, the sustain
// pedal, note-ons of velocity 0), through the event queue into the MIDI player with its MPE
// output attached. Checked on the way: a key's voice is opened only while closed and closed only
// while open, every MPE message is a well-formed channel message, and once every note is stopped
// and the output detached no voice and no MPE note is left sounding.
//
// Input: a byte L, then L & 0x3F message bytes, again and again. Bit 0x80 of L hands the message
// to the player directly, as any size would reach it, instead of through the queue (which keeps
// messages of up to three bytes); bit 0x40 switches recording on or off before it.

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "common/messages.h"
#include "midi/midi_event_queue.h"
#include "midi/midi_mapping.h"
#include "midi/midi_player.h"
#include "midi/mpe_notes.h"
#include "model/instrument_ports.h"
#include "model/instrument_state.h"
#include "model/sound_port.h"
#include "pitch/pitch_table.h"

namespace zembera {
namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// The voices of the keys: opened only while closed, closed only while open; each note told to the
// MPE output as the window's sound tells it.
class CheckedNotes : public SoundPort {
  public:
    explicit CheckedNotes(NoteListener& listener) : listener_(listener) {}
    bool startNote(Voice voice, const StringNote& note, std::optional<SoundFrame> at) override {
        check(voice.kind == Voice::Kind::key && !at && note.gain > 0 && note.gain <= 1);
        check(isPlayablePosition(note.string, note.position));
        check(open.insert(voice.number).second);
        listener_.noteStarted(StartedNote{voice, note.cents, note.velocity});
        return true;
    }
    void endNote(Voice voice, std::optional<SoundFrame>) override {
        check(open.erase(voice.number) == 1);
        listener_.noteEnded(voice);
    }
    SoundFrame playedFrame() override { return 0; }
    SoundFrame nextFrame() override { return 0; }
    double frameRate() const override { return 44100; }
    std::set<int> open;

  private:
    NoteListener& listener_;
};

// The MPE byte stream: channel messages of three bytes; the notes it leaves sounding.
class CheckedMpe {
  public:
    void take(const std::vector<std::uint8_t>& m) {
        check(m.size() == 3 && (m[0] & 0x80) != 0 && m[0] < 0xF0 && m[1] < 0x80 && m[2] < 0x80);
        const int kind = m[0] & 0xF0;
        const int key = (m[0] & 0x0F) * 128 + m[1];
        if (kind == 0x90 && m[2] > 0) {
            check(sounding.insert(key).second); // a channel sounds one note at a time
        } else if (kind == 0x80 || kind == 0x90) {
            check(sounding.erase(key) == 1);
        }
    }
    std::set<int> sounding;
};

// A small instrument: all cents 0, and a sharp and a flat mark on a few strings so that black
// keys sound too.
struct Rig {
    Rig() {
        for (int s = 2; s <= kStringCount; s += 3) {
            tables.mandalMark(s, 1) = kSharpMark;
            tables.mandalMark(s, -1) = kFlatMark;
            tables.centTable(s, 1) = 100;
            tables.centTable(s, -1) = -100;
        }
        setMandalRanges(instrument);
        setPlayStarts(instrument);
    }
    PitchTables tables;
    InstrumentState instrument;
    PerString<float> tuningOffset{};
};

} // namespace
} // namespace zembera

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zembera;
    static Rig rig;
    SilentInstrumentView view;
    CheckedMpe stream;
    MpeNotes mpe;
    mpe.attach([&stream](const std::vector<std::uint8_t>& m) { stream.take(m); });
    CheckedNotes notes(mpe);
    MidiPlayer player(MidiPlayerParts{rig.instrument, rig.tables, rig.tuningOffset, notes, view});
    rig.instrument.recording = false;
    rig.instrument.playingBack = false;

    MidiEventQueue queue;
    int wakeUps = 0;
    int kept = 0;
    queue.setWakeUp([&wakeUps] { ++wakeUps; });
    std::vector<MidiEvent> taken;
    for (std::size_t at = 0; at < size;) {
        const std::uint8_t head = data[at++];
        const std::size_t length = std::min<std::size_t>(head & 0x3F, size - at);
        const std::uint8_t* message = data + at;
        at += length;
        if (head & 0x40) rig.instrument.recording = !rig.instrument.recording;
        if (head & 0x80) {
            player.handle(message, length);
            continue;
        }
        queue.push(message, length);
        if (length >= 1 && length <= 3) ++kept;
        queue.takeAll(taken);
        check(taken.size() <= 1 && (taken.empty() || taken[0].size == length));
        for (const MidiEvent& e : taken)
            player.handle(e.bytes.data(), e.size);
    }
    check(wakeUps == kept); // each message found the queue empty
    player.stopAll();
    check(notes.open.empty());
    mpe.detach();
    check(stream.sounding.empty());
    return 0;
}
