#pragma once
// The line played from a MusicXML part, measure after measure in playing order: the notes of
// one voice (the first voice heard in a measure where it has none) with the further notes of
// their chords, gaps filled with rests up to the measure's length.
//
// Ties: a note that continues a tied note of the same pitch (an enharmonic spelling too, A
// sharp tied to B flat) is not struck again. When every note of a chord continues a tie, the
// chord before is lengthened; when only some do, the others are struck and those are marked
// `held` (drawn, sounding on), spelled as the notes they continue so that they stay on their
// strings. A two-note tremolo becomes one note alternating with the second for both lengths.
//
// Thread: any (pure).

#include <functional>
#include <string>
#include <vector>

#include "scores/musicxml_parts.h"
#include "scores/score.h"

namespace zembera::scores {

class Line {
  public:
    Line(Score& score, const std::string& fileName) : score_(score), fileName_(fileName) {}

    // Adds measure `m` of `length` quarter notes, whose notes sound at `pitched` (one for each
    // of its notes) in the tempo `tempoAt` gives for a place in the measure.
    void addMeasure(const Measure& m, const std::vector<ScoreNote>& pitched,
                    const std::string& voice, double length,
                    const std::function<double(double)>& tempoAt);

    // Ends the line: a two-note tremolo left without its second note repeats its first.
    void finish();

  private:
    // A note of the chord at one onset, with what it says of ties and tremolo pairs.
    struct Member {
        ScoreNote note;
        bool tieStart = false;
        bool tieStop = false;
        int tremoloPair = 0;
    };
    void addOnset(std::vector<Member> chord, double beats, double ms);
    void addRest(double beats, double ms, int measure);
    // The last note pushed that is no chord's further note and no grace note, or -1.
    int lastMain() const;
    void push(const ScoreNote& s);

    Score& score_;
    std::string fileName_;
    // The notes sounding on into the next onset through a tie.
    std::vector<ScorePitch> tied_;
    int tremoloFirst_ = -1; // the first note of a two-note tremolo waiting for its second
};

} // namespace zembera::scores
