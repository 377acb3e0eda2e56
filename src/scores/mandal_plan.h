#pragma once
// The mandal plan of a placed score: the positions each string needs through the piece, the
// position it starts at, and every change of position on a string, marked as close where the
// string is free for less than kCloseChangeMs between its two notes, which leaves the player
// hardly time to turn the mandal.
//
// Thread: any (pure).

#include <array>
#include <string>
#include <vector>

#include "pitch/per_string.h"
#include "scores/kanun_mapping.h"

namespace zembera::scores {

inline constexpr double kCloseChangeMs = 500.0;

struct MandalChange {
    int string = 0;
    int from = 0;
    int to = 0;
    int noteIndex = 0; // the note that needs the new position (0-based)
    int measure = 0;
    double freeMs = 0; // from the end of the string's previous note to this one's onset
    bool close = false;
};

struct StringNeeds {
    std::vector<int> positions; // ascending, each once
    int first = 0;              // the position of the string's first note
    int noteCount = 0;
};

struct MandalPlan {
    PerString<StringNeeds> strings{}; // indexed 1..26
    std::vector<MandalChange> changes;
    int chordNotes = 0;        // further chord notes sounding on their own strings
    int droppedChordNotes = 0; // chord notes left out for sharing a string with their chord
    int otherStringNotes = 0;  // notes on another string than their natural's
    bool placesAreLines = false;
    int closeCount() const;
};

MandalPlan planMandals(const PlacedScore& placed);

// The plan as lines of Turkish text: the chords, the notes on other strings than their
// naturals', the strings used with their positions, then the close changes.
std::vector<std::string> planLines(const MandalPlan& plan);

} // namespace zembera::scores
