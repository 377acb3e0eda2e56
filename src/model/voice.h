#pragma once
// The voice a note of the instrument sounds on. Each voice sounds one note at a time: a new note
// there ends the one before. The memory channel sounds the plucks, the arrow and mandal keys and
// the players' notes; each string has a voice of its own for its letter key and its ringing pluck;
// a chord's further notes sound on chord-note voices beside the memory channel; each key of a MIDI
// keyboard has its own.

#include <cstdint>

namespace zembera {

struct Voice {
    enum class Kind : std::uint8_t { memoryChannel, string, chordNote, key };
    Kind kind = Kind::memoryChannel;
    int number = 0; // string 1..26, chord note 1..32, key 0..127; 0 for the memory channel

    static constexpr Voice memoryChannel() { return {Kind::memoryChannel, 0}; }
    static constexpr Voice string(int s) { return {Kind::string, s}; }
    static constexpr Voice chordNote(int k) { return {Kind::chordNote, k}; }
    static constexpr Voice key(int note) { return {Kind::key, note}; }

    bool operator==(const Voice&) const = default;
};

// Chord notes sounding beside the memory channel at most.
inline constexpr int kChordNoteVoices = 32;

// One number per voice, no two alike: the memory channel 0, string s, key 128 + n, chord note
// 256 + k.
constexpr int voiceNumber(Voice voice) {
    switch (voice.kind) {
    case Voice::Kind::memoryChannel:
        return 0;
    case Voice::Kind::string:
        return voice.number;
    case Voice::Kind::key:
        return 128 + voice.number;
    case Voice::Kind::chordNote:
        return 256 + voice.number;
    }
    return 0;
}

} // namespace zembera
