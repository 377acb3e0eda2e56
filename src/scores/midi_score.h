#pragma once
// A Standard MIDI File (smf_reader.h) as a score: the notes of one channel of one track, as one
// line of notes, chords and rests.
//
// The parts offered are the tracks with notes, those with pitched notes first (the percussion
// channel 10 alone makes a track unpitched), so that the first track with notes is played unless
// it holds percussion only; the voices are the channels of the track played, 10 last.
//
// Notes struck on one tick make a chord. Each onset lasts to the next one; where everything
// struck so far has been released before it, the silence is a rest when it lasts at least a
// 32nd note and a quarter of the time between the two onsets (a shorter one is the note's
// articulation: the string rings on). The last onset lasts while its notes sound, and a rest
// follows where the track ends later. Times come
// from the ticks, the division and the tempo map (120 quarter notes a minute until a tempo
// event), measure numbers from the time signatures (4/4 until one).
//
// A note's pitch is its key plus the bend in force at its note-on, key 60 being C4; its written
// natural (the string) is chosen as pitch_spelling.h spells it, and the file's tuning reference
// (tuning_reference.h) goes to the report.
//
// Thread: any (pure).

#include <string>
#include <string_view>

#include "scores/musicxml_reader.h"
#include "scores/score.h"

namespace zembera::scores {

// `choice` picks the track (part) and the channel (voice). Throws ScoreError naming the file
// for a file that does not read (smf_reader.h), has no notes, or a note or rest longer than ten
// minutes.
Score parseMidiScore(std::string_view bytes, const std::string& fileName,
                     const ScoreChoice& choice = {});

} // namespace zembera::scores
