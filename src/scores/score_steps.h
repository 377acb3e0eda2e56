#pragma once
// The onsets of a placed score as the score player plays them and the offline render renders
// them: a note with the further notes of its chord (a rest with any notes marked as its chord
// stays a rest), the notes left out of a chord neither drawn nor sounded. An onset with a held
// note (a tie into part of a chord) strikes its other notes beside the notes sounding and cuts
// none of them; the next onset that holds nothing cuts them all.
//
// Thread: any (pure). Inline, so that the readers' library stays free of the players' headers;
// the score player and the offline render use it.

#include <cstddef>
#include <vector>

#include "files/played_note.h"
#include "pitch/pitch_table.h"
#include "scores/kanun_mapping.h"

namespace zembera::scores {

struct ScoreOnset {
    std::size_t end = 0; // the index after the onset's last note
    bool rest = false;
    double writtenMs = 0; // to the next onset, at the written tempo
    // The notes drawn, in the score's order.
    std::vector<PlayedNote> shown;
    // The notes struck, in the same order; the first on the memory channel when
    // `firstSounds`, every other one beside it on a voice of its own.
    std::vector<PlayedNote> sounded;
    bool firstSounds = false;
    bool holds = false; // the notes sounding before go on: the onset cuts nothing
};

// The onset starting at `notes[first]`, which is no chord's further note.
inline ScoreOnset scoreOnset(const std::vector<PlacedNote>& notes, std::size_t first) {
    ScoreOnset onset;
    onset.end = first + 1;
    while (onset.end < notes.size() && notes[onset.end].chord)
        ++onset.end;
    const PlacedNote& lead = notes[first];
    onset.rest = lead.rest;
    onset.writtenMs = lead.ms;
    if (onset.rest) return onset;
    for (std::size_t k = first; k < onset.end; ++k) {
        const PlacedNote& note = notes[k];
        if (note.dropped) continue;
        onset.shown.push_back(PlayedNote{note.string, note.mandal});
        onset.holds = onset.holds || note.held;
        if (note.held || !isPlayablePosition(note.string, note.mandal)) continue;
        onset.sounded.push_back(PlayedNote{note.string, note.mandal});
        if (k == first) onset.firstSounds = true;
    }
    if (onset.holds) onset.firstSounds = false;
    return onset;
}

} // namespace zembera::scores
