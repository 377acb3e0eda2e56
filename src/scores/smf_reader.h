#pragma once
// Reads a Standard MIDI File (formats 0, 1 and 2) into its notes with the pitch each sounds.
//
// The file is a header chunk "MThd" (format, number of tracks, division) and track chunks
// "MTrk" of events, each after a delta time (a variable-length quantity of at most 4 bytes);
// other chunks are skipped, bytes after the last track ignored. Channel messages may use running
// status; meta events (tempo, time and key signature, track name, end of track) and system
// exclusive messages are read or skipped by their length.
//
// Each note's pitch is its key plus the pitch bend in force on its channel at the note-on: the
// bend's 14 bits around 8192 times the channel's bend range over 8192, the range being 2
// semitones until registered parameter 0 (controllers 101 and 100 at 0) sets it with data entry
// (controller 6 the semitones, which clears the cents, controller 38 the cents). "Reset all
// controllers" (121) centres the bend and deselects the parameter; a General MIDI "system on"
// message resets every channel. A note-on of velocity 0 is a note-off; a note-off ends the
// earliest sounding note of its key and channel in its track (a key struck again before its
// release sounds twice), and while the sustain pedal (64) is down the release waits for the
// pedal. Notes still sounding at the end of their track end there.
//
// In formats 0 and 1 the tracks play together: the channels' state is shared, events of one
// tick taken track by track, and the tempo events of every track make one tempo map. In format 2
// each track is a sequence of its own, with its own channel state and tempo events.
//
// Thread: any (pure).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zembera::scores {

// Most notes read from one file, over all tracks and channels.
inline constexpr std::size_t kMaxMidiNotes = 400000;

struct MidiNote {
    std::int64_t onTick = 0;
    std::int64_t offTick = 0;
    int key = 60;
    int channel = 0;  // 0..15 (channel 10 of the musician is 9)
    double cents = 0; // (key - 60) * 100 plus the bend at the note-on
};

struct MidiTrack {
    std::string name;            // its first track name (meta event 3), UTF-8, "" when none
    std::vector<MidiNote> notes; // in the order of their note-ons
    std::int64_t endTick = 0;    // its end of track (or last event)
};

struct MidiTempo {
    std::int64_t tick = 0;
    int track = 0;                      // the track it came from (format 2 reads its own)
    std::uint32_t microsPerQuarter = 0; // above 0
};

struct MidiMeter {
    std::int64_t tick = 0;
    int track = 0;
    int numerator = 4;
    int denominator = 4;
};

struct MidiSequence {
    int format = 1;
    // Ticks a quarter note; 0 when the division counts SMPTE frames instead.
    int ticksPerQuarter = 480;
    double ticksPerSecond = 0; // the SMPTE division: frames a second times ticks a frame
    std::vector<MidiTrack> tracks;
    std::vector<MidiTempo> tempos; // by tick
    std::vector<MidiMeter> meters; // by tick
    // The first key signature as read ("2 diyez, majör"), "" when none.
    std::string keySignature;
};

// Throws ScoreError "<file>: bayt N: ..." or "<file>: iz T, bayt N: ..." (N counted from the
// start of the file, T the track's chunk from 1) for a file that is not a Standard MIDI File,
// is cut short or breaks the format.
MidiSequence readMidiSequence(std::string_view bytes, const std::string& fileName);

} // namespace zembera::scores
