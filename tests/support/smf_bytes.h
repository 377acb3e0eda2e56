#pragma once
// Standard MIDI Files written byte by byte as the format defines them: a header chunk "MThd"
// (length 6, format, number of tracks, division), then track chunks "MTrk" (length, events),
// numbers big-endian; each event follows its delta time, a variable-length quantity (7 bits a
// byte, the high bit set on every byte but the last).

#include <cstdint>
#include <initializer_list>
#include <string>

namespace zembera::test {

inline std::string bigEndian(std::uint32_t value, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return out;
}

// An event after `delta` ticks.
inline std::string at(std::uint32_t delta, std::initializer_list<int> event) {
    std::string out(1, static_cast<char>(delta & 0x7F));
    while (delta >>= 7)
        out.insert(out.begin(), static_cast<char>(0x80 | (delta & 0x7F)));
    for (const int byte : event)
        out.push_back(static_cast<char>(byte));
    return out;
}

inline std::string smfHeader(int format, int tracks, int division) {
    return "MThd" + bigEndian(6, 4) + bigEndian(static_cast<std::uint32_t>(format), 2) +
           bigEndian(static_cast<std::uint32_t>(tracks), 2) +
           bigEndian(static_cast<std::uint32_t>(division), 2);
}

// A track chunk of `events` closed by an end of track.
inline std::string smfTrack(const std::string& events) {
    const std::string body = events + at(0, {0xFF, 0x2F, 0x00});
    return "MTrk" + bigEndian(static_cast<std::uint32_t>(body.size()), 4) + body;
}

// Meta event 0x51: microseconds a quarter note.
inline std::string tempo(std::uint32_t delta, std::uint32_t micros) {
    return at(delta, {0xFF, 0x51, 0x03}) + bigEndian(micros, 3);
}

// Registered parameter 0 (controllers 101 and 100 at 0), then data entry: the bend range; four
// messages, each after a delta time of 0.
inline std::string bendRange(int channel, int semitones, int cents) {
    const int c = 0xB0 | channel;
    return at(0, {c, 101, 0, 0, c, 100, 0, 0, c, 6, semitones, 0, c, 38, cents});
}

// A pitch bend of `value` (0..16383, 8192 the centre): least significant 7 bits first.
inline std::string bend(std::uint32_t delta, int channel, int value) {
    return at(delta, {0xE0 | channel, value & 0x7F, value >> 7});
}

} // namespace zembera::test
