#include "render/score_events.h"

#include <algorithm>

#include "scores/score_steps.h"

namespace zembera {

NoteEvents scoreEvents(const scores::PlacedScore& placed, double tempoFactor) {
    NoteEvents piece; // its end, while it grows, is the next onset
    for (std::size_t i = 0; i < placed.notes.size();) {
        const scores::ScoreOnset onset = scores::scoreOnset(placed.notes, i);
        // The first note on the memory channel (or an onset that only silences), the chord's
        // further notes beside it; an onset holding tied notes strikes all beside them.
        const PlayedNote lead = onset.firstSounds ? onset.sounded.front() : PlayedNote{};
        if (!onset.holds)
            piece.events.push_back(NoteEvent{piece.endMs, lead.string, lead.mandal, false});
        for (std::size_t k = onset.firstSounds ? 1 : 0; k < onset.sounded.size(); ++k)
            piece.events.push_back(
                NoteEvent{piece.endMs, onset.sounded[k].string, onset.sounded[k].mandal, true});
        piece.endMs += std::max(0.0, onset.writtenMs * tempoFactor);
        i = onset.end;
    }
    return piece;
}

} // namespace zembera
