#pragma once
// A piece as a list of timed note events: what a player starts on the memory channel, and when.
// Every event cuts off the note sounding before it, as each onset of the players does; the piece
// ends, silencing the last note, at `endMs`. The note player plays such a list live, the offline
// render renders it to frames.
//
// Thread: any (plain data).

#include <vector>

namespace zembera {

struct NoteEvent {
    double onsetMs = 0;
    // The string and mandal position whose note sounds (interpolated); string 0 for an onset that
    // only silences (a rest, a note that stays silent).
    int string = 0;
    int mandal = 0;
    // Sounds with the event before, on a voice of its own, cutting nothing (a note of a chord);
    // the next event that is not together ends them all.
    bool together = false;
};

struct NoteEvents {
    std::vector<NoteEvent> events; // in onset order
    double endMs = 0;
};

} // namespace zembera
