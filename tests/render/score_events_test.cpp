// A placed score as note events: the onsets the score player plays, built from the same rule.

#include "render/score_events.h"

#include <gtest/gtest.h>

#include "scores/score_steps.h"

namespace zembera {
namespace {

scores::PlacedNote note(int string, int mandal, double ms, bool chord = false,
                        bool dropped = false) {
    return {.string = string, .mandal = mandal, .ms = ms, .chord = chord, .dropped = dropped};
}
scores::PlacedNote rest(double ms) {
    return {.rest = true, .ms = ms};
}

// A chord with a note left out, a chord whose first note has no pitch on its string (an
// impossible position), a rest carrying a chord mark, and a negative length: onsets are the
// written lengths times the tempo factor, summed (a negative one counting as none).
TEST(ScoreEvents, ChordsRestsAndSilentNotesOnTheScoresClock) {
    scores::PlacedScore placed;
    placed.notes = {note(5, 0, 100),        note(9, 0, 100, true), note(5, 0, 100, true, true),
                    note(3, 999, 50),       note(12, 0, 50, true), rest(200),
                    note(14, 0, 200, true), note(7, 0, -30),       note(8, 0, 40)};
    const NoteEvents piece = scoreEvents(placed, 1.5);
    ASSERT_EQ(piece.events.size(), 7u);
    const double at[] = {0, 0, 150, 150, 225, 525, 525};
    const int strings[] = {5, 9, 0, 12, 0, 7, 8};
    const bool together[] = {false, true, false, true, false, false, false};
    for (std::size_t i = 0; i < piece.events.size(); ++i) {
        const NoteEvent& e = piece.events[i];
        EXPECT_EQ(e.onsetMs, at[i]) << i;
        EXPECT_EQ(e.string, strings[i]) << i;
        EXPECT_EQ(e.together, together[i]) << i;
    }
    EXPECT_EQ(piece.endMs, 525 + 40 * 1.5);

    // What the score player draws of the same onsets: the dropped note not at all, the silent
    // first note still on its string.
    const scores::ScoreOnset first = scores::scoreOnset(placed.notes, 0);
    EXPECT_EQ(first.end, 3u);
    EXPECT_EQ(first.shown.size(), 2u);
    const scores::ScoreOnset silent = scores::scoreOnset(placed.notes, 3);
    EXPECT_FALSE(silent.firstSounds);
    ASSERT_EQ(silent.shown.size(), 2u);
    EXPECT_EQ(silent.shown[0].string, 3);
    ASSERT_EQ(silent.sounded.size(), 1u);
    EXPECT_EQ(silent.sounded[0].string, 12);
}

} // namespace
} // namespace zembera
