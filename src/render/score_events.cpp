#include "render/score_events.h"

#include <algorithm>

#include "sound/patched_sample.h"

namespace zembera {

NoteEvents scoreEvents(const scores::PlacedScore& placed, double tempoFactor) {
    NoteEvents piece;
    double at = 0;
    double chordAt = 0; // the onset of the last note that is not a chord's further note
    for (const scores::PlacedNote& n : placed.notes) {
        if (n.chord) {
            if (!n.dropped && isPlayablePosition(n.string, n.mandal))
                piece.events.push_back(NoteEvent{chordAt, n.string, n.mandal, true});
            continue;
        }
        chordAt = at;
        const bool sounds = !n.rest && isPlayablePosition(n.string, n.mandal);
        piece.events.push_back(NoteEvent{at, sounds ? n.string : 0, sounds ? n.mandal : 0, false});
        at += std::max(0.0, n.ms * tempoFactor);
    }
    piece.endMs = at;
    return piece;
}

} // namespace zembera
