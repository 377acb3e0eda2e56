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
#include "pitch/pitch_table.h"
#include "samples/wav_header.h"
#include "sound/note_voices.h"
#include "sound/patched_sample.h"
#include "sound/string_sounds.h"

namespace zembera {
namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// The voices of the keys: opened only while closed, closed only while open.
class CheckedNotes : public NoteVoices {
  public:
    bool PlayNote(const std::string& alias, const PcmSound& sound, float gain) override {
        check(sound.owner != nullptr && gain > 0 && gain <= 1);
        check(open.insert(alias).second);
        return true;
    }
    void FadeNoteClose(const std::string& alias) override { check(open.erase(alias) == 1); }
    std::set<std::string> open;
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

// A small program: 26 short canonical samples at 262 Hz, all cents 0, and a sharp and a flat
// mark on a few strings so that black keys sound too.
struct Rig {
    Rig() {
        folder = std::filesystem::temp_directory_path() /
                 ("zembera_midi_fuzz_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        for (int s = 1; s <= kStringCount; ++s) {
            names[static_cast<std::size_t>(s)] =
                (s < 10 ? "0" : "") + std::to_string(s) + "_026200_zz.wav";
            writeSample(folder / names[static_cast<std::size_t>(s)], s);
        }
        for (int s = 2; s <= kStringCount; s += 3) {
            tables.mandalMark(s, 1) = kSharpMark;
            tables.mandalMark(s, -1) = kFlatMark;
            tables.centTable(s, 1) = 100;
            tables.centTable(s, -1) = -100;
        }
        setMandalRanges(instrument);
        setPlayStarts(instrument);
        sounds = std::make_unique<StringSounds>(folder, names, messages);
        for (int s = 1; s <= kStringCount; ++s)
            sounds->PrepareStringSound(s, 0, tables, 0);
    }
    ~Rig() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    static void writeSample(const std::filesystem::path& file, int s) {
        constexpr int kFrames = 600;
        WavHeader h;
        BuildWavHeader(h, kFrames, 1, 44100, 16);
        const auto head = headerBytes(h);
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(head.data()),
                  static_cast<std::streamsize>(head.size()));
        for (int i = 0; i < kFrames; ++i) {
            const auto v = static_cast<std::int16_t>(100 * s * std::sin(0.037 * i));
            out.put(static_cast<char>(v & 0xFF)).put(static_cast<char>((v >> 8) & 0xFF));
        }
    }

    std::filesystem::path folder;
    PerString<std::string> names;
    PitchTables tables;
    InstrumentState instrument;
    PerString<float> tuningOffset{};
    RecordedMessages messages;
    std::unique_ptr<StringSounds> sounds;
};

} // namespace
} // namespace zembera

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zembera;
    static Rig rig;
    const PatchedSampleSource source{rig.folder, rig.names, rig.tables, rig.tuningOffset};
    CheckedNotes notes;
    SilentInstrumentView view;
    CheckedMpe stream;
    MpeNotes mpe;
    mpe.attach([&stream](const std::vector<std::uint8_t>& m) { stream.take(m); });
    MidiPlayer player(
        MidiPlayerParts{rig.instrument, rig.tables, *rig.sounds, source, notes, view, &mpe});
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
