#pragma once
// Reads a MusicXML score (partwise) into a Score: one line of notes and rests, the chosen voice
// of the chosen part (by default the first part with pitched notes and the first voice heard in
// it), as the standard defines the time: <duration> over <divisions> (or <type>, <dot> and
// <time-modification>), <backup> and <forward> moving the time within the measure, a chord's
// further notes (<chord/>, their voice that of the note before when they give none) starting
// with it. A measure lasts as long as the longest part holds it. Ties, chords and tremolo pairs
// as musicxml_line.h says, repeats, endings and jumps played out (repeat_order.h), grace notes
// and ornaments marked for ornaments.h. Tempo from <sound tempo> in any part (a score often
// writes it in its first part only), or a <metronome> without one. Unpitched (percussion) notes
// are rests. What is read otherwise than written is named in the score's remarks.
//
// Pitch: <pitch> is the sounding pitch (after <transpose> for a transposing part); key
// signatures and earlier accidentals change no note without <alter>. The readings are those of
// musicxml_pitch.h. The commas are chosen automatically when the score is in that convention:
// written by SymbTr's converter, a <key-alter> beyond ±2.5 (commas, not semitones), or a glyph
// that exists only in that notation (the slash signs). A score of SymbTr's converter whose key
// differs from its signs (F +3 under a sharp) is read with the key's commas, as its .txt sounds
// it, save a song written without its words, whose .txt sounds the signs' commas.
//
// Thread: any (Qt Core only).

#include <string>
#include <string_view>

#include "scores/score.h"

namespace zembera::scores {

// What the user chose to hear from a score with several parts, voices or readings.
struct ScoreChoice {
    PitchReading reading = PitchReading::automatic;
    int part = -1; // index among the score's parts; -1: the first with pitched notes
    int voice = 0; // index among the part's voices
};

// Throws ScoreError naming `fileName` when the text is not well-formed XML, has no part, no
// note, or a note whose pitch or length cannot be told.
Score parseMusicXml(std::string_view xml, const std::string& fileName,
                    const ScoreChoice& choice = {});

} // namespace zembera::scores
