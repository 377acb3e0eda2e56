#include "midi/midi_keys.h"

namespace zembera {
namespace {

constexpr std::uint8_t kNoteOff = 0x80;
constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kControlChange = 0xB0;
constexpr int kSustainPedal = 64;
constexpr int kAllSoundOff = 120;
constexpr int kAllNotesOff = 123;
constexpr int kPedalDownFrom = 64; // controller values 64..127 mean "on"

} // namespace

std::vector<MidiNoteEvent> MidiKeys::handle(const std::uint8_t* bytes, std::size_t size) {
    MidiNoteEvents events;
    handle(bytes, size, events);
    return {events.begin(), events.end()};
}

void MidiKeys::handle(const std::uint8_t* bytes, std::size_t size, MidiNoteEvents& out) {
    out.count = 0;
    if (size < 3) return;
    const std::uint8_t kind = bytes[0] & 0xF0;
    const int data1 = bytes[1] & 0x7F;
    const int data2 = bytes[2] & 0x7F;
    if (kind == kNoteOn && data2 > 0) {
        noteOn(data1, data2, out);
    } else if (kind == kNoteOn || kind == kNoteOff) { // a note-on of velocity 0 is a note-off
        noteOff(data1, out);
    } else if (kind == kControlChange && data1 == kSustainPedal) {
        pedal(data2 >= kPedalDownFrom, out);
    } else if (kind == kControlChange && (data1 == kAllNotesOff || data1 == kAllSoundOff)) {
        stopAll(out);
    }
}

void MidiKeys::noteOn(int note, int velocity, MidiNoteEvents& out) {
    if (sounding_[note]) out.push_back({MidiNoteEvent::Stop, note, 0});
    held_[note] = true;
    sounding_[note] = true;
    out.push_back({MidiNoteEvent::Start, note, velocity});
}

void MidiKeys::noteOff(int note, MidiNoteEvents& out) {
    if (!held_[note]) return;
    held_[note] = false;
    if (pedal_) return;
    sounding_[note] = false;
    out.push_back({MidiNoteEvent::Stop, note, 0});
}

void MidiKeys::pedal(bool down, MidiNoteEvents& out) {
    pedal_ = down;
    if (down) return;
    for (int note = 0; note < 128; ++note) {
        if (sounding_[note] && !held_[note]) {
            sounding_[note] = false;
            out.push_back({MidiNoteEvent::Stop, note, 0});
        }
    }
}

void MidiKeys::stopAll(MidiNoteEvents& out) {
    for (int note = 0; note < 128; ++note)
        if (sounding_[note]) out.push_back({MidiNoteEvent::Stop, note, 0});
    clear();
}

void MidiKeys::clear() {
    held_.reset();
    sounding_.reset();
}

} // namespace zembera
