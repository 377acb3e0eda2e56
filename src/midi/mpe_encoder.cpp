#include "midi/mpe_encoder.h"

#include <algorithm>
#include <cmath>

namespace zembera {
namespace {

constexpr std::uint8_t kControl = 0xB0;
constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kNoteOff = 0x80;
constexpr std::uint8_t kPitchBend = 0xE0;
constexpr std::uint8_t kRpnLsb = 100;
constexpr std::uint8_t kRpnMsb = 101;
constexpr std::uint8_t kDataMsb = 6;
constexpr std::uint8_t kDataLsb = 38;
constexpr std::uint8_t kRpnMpeConfiguration = 6;
constexpr std::uint8_t kRpnBendRange = 0;
constexpr std::uint8_t kRpnNull = 127; // both halves: no parameter selected
constexpr int kManagerChannel = 0;

// MIDI note 69 is 440 Hz; the program's 0 cents is 262 Hz.
double midiNoteOf(double cents) {
    return 69.0 + 12.0 * std::log2(262.0 / 440.0) + cents / 100.0;
}

void control(MpeEncoder::Bytes& out, int channel, std::uint8_t number, std::uint8_t value) {
    out.insert(out.end(), {static_cast<std::uint8_t>(kControl | channel), number, value});
}

// Selects no parameter, so that a later data entry on the channel changes nothing.
void closeRpn(MpeEncoder::Bytes& out, int channel) {
    control(out, channel, kRpnMsb, kRpnNull);
    control(out, channel, kRpnLsb, kRpnNull);
}

} // namespace

MpePitch mpePitch(double cents) {
    const double exact = midiNoteOf(cents);
    const int note = std::clamp(static_cast<int>(std::lround(exact)), 0, 127);
    const double bendSemitones = exact - note;
    const long bend = 8192 + std::lround(bendSemitones / kMpeBendRange * 8192.0);
    return MpePitch{note, static_cast<int>(std::clamp(bend, 0L, 16383L))};
}

MpeEncoder::Bytes MpeEncoder::configuration() {
    Bytes out;
    control(out, kManagerChannel, kRpnLsb, kRpnMpeConfiguration);
    control(out, kManagerChannel, kRpnMsb, 0);
    control(out, kManagerChannel, kDataMsb, kMpeMemberChannels);
    closeRpn(out, kManagerChannel);
    for (int channel = 1; channel <= kMpeMemberChannels; ++channel) {
        control(out, channel, kRpnLsb, kRpnBendRange);
        control(out, channel, kRpnMsb, 0);
        control(out, channel, kDataMsb, kMpeBendRange);
        control(out, channel, kDataLsb, 0);
        closeRpn(out, channel);
    }
    return out;
}

int MpeEncoder::freeChannel() {
    int best = 0;
    for (int channel = 1; channel <= kMpeMemberChannels; ++channel) {
        if (busy_[channel]) continue;
        if (best == 0 || releasedAt_[channel] < releasedAt_[best]) best = channel;
    }
    if (best != 0) return best;
    // Every member sounds: the oldest note gives up its channel.
    for (int channel = 1; channel <= kMpeMemberChannels; ++channel)
        if (best == 0 || releasedAt_[channel] < releasedAt_[best]) best = channel;
    return best;
}

MpeEncoder::Bytes MpeEncoder::noteOn(int id, double cents, int velocity) {
    Bytes out;
    if (id < 0 || id >= kMpeNoteIds) return out;
    out = noteOff(id);
    const int channel = freeChannel();
    if (busy_[channel]) { // taken from the oldest sounding note
        for (int other = 0; other < kMpeNoteIds; ++other) {
            if (notes_[other].on && notes_[other].channel == channel) {
                const Bytes off = noteOff(other);
                out.insert(out.end(), off.begin(), off.end());
            }
        }
    }
    const MpePitch pitch = mpePitch(cents);
    const auto ch = static_cast<std::uint8_t>(channel);
    out.insert(out.end(), {static_cast<std::uint8_t>(kPitchBend | ch),
                           static_cast<std::uint8_t>(pitch.bend & 0x7F),
                           static_cast<std::uint8_t>(pitch.bend >> 7)});
    out.insert(out.end(),
               {static_cast<std::uint8_t>(kNoteOn | ch), static_cast<std::uint8_t>(pitch.note),
                static_cast<std::uint8_t>(std::clamp(velocity, 1, 127))});
    notes_[id] = Sounding{true, channel, pitch.note};
    busy_[channel] = true;
    releasedAt_[channel] = ++clock_; // a busy channel's age counts from its note's start
    return out;
}

MpeEncoder::Bytes MpeEncoder::noteOff(int id) {
    Bytes out;
    if (id < 0 || id >= kMpeNoteIds || !notes_[id].on) return out;
    Sounding& n = notes_[id];
    out.insert(out.end(), {static_cast<std::uint8_t>(kNoteOff | n.channel),
                           static_cast<std::uint8_t>(n.note), 64});
    n.on = false;
    busy_[n.channel] = false;
    releasedAt_[n.channel] = ++clock_;
    return out;
}

} // namespace zembera
