#pragma once
// The order in which the measures of a score are played: repeats (a backward repeat returns to
// the last forward repeat, or to the start of the piece or the measure after the last repeat
// ended, `times` passes in all), first and second endings (an ending plays on the passes its
// numbers name), then the jumps: D.C. returns to the start, D.S. to the segno, once; after the
// jump the repeats are not taken again, each group of endings plays its last, "to coda" goes on
// at the coda and fine ends the piece. A jump is taken at the end of the measure that marks it.
//
// Thread: any (pure).

#include <cstddef>
#include <vector>

namespace zembera::scores {

struct MeasureMarks {
    bool forwardRepeat = false;
    bool backwardRepeat = false;
    int times = 2;              // passes of the repeat that ends here
    int ending = 0;             // the ending bracket (1, 2, ... in the score) holding it, or 0
    std::vector<int> endingFor; // the passes its bracket plays on
    bool segno = false;
    bool coda = false;
    bool daCapo = false;
    bool dalSegno = false;
    bool toCoda = false;
    bool fine = false;
};

// Indices of `measures` in playing order, at most `limit` of them.
std::vector<int> playOrder(const std::vector<MeasureMarks>& measures, std::size_t limit);

} // namespace zembera::scores
