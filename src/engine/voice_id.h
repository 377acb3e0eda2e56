#pragma once
// The voice a note sounds on. Each voice sounds one note at a time: a new note there ends the one
// before. The memory channel is the one voice of the instrument's plucks and of the players' notes;
// each string has a voice of its own (its letter key, its ringing pluck); a chord's further notes
// sound on chord-note voices beside the memory channel; each key of a MIDI keyboard has its own.

#include <cstdint>

namespace zembera::engine {

// The chord notes that may sound beside the memory channel at once (1..kChordNotes).
inline constexpr int kChordNotes = 32;
// MIDI keys 0..kKeys-1.
inline constexpr int kKeys = 128;

struct VoiceId {
    enum class Kind : std::uint8_t { memoryChannel, string, chordNote, key };
    Kind kind = Kind::memoryChannel;
    int number = 0; // string 1..26, chord note 1..kChordNotes, key 0..127; 0 for the memory channel

    static constexpr VoiceId memoryChannel() { return {Kind::memoryChannel, 0}; }
    static constexpr VoiceId string(int s) { return {Kind::string, s}; }
    static constexpr VoiceId chordNote(int k) { return {Kind::chordNote, k}; }
    static constexpr VoiceId key(int note) { return {Kind::key, note}; }

    bool operator==(const VoiceId&) const = default;
};

} // namespace zembera::engine
