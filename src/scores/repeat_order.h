#pragma once
// The order in which the measures of a score are played, as MusicXML defines <repeat> and
// <ending>:
// - a backward repeat returns to its forward repeat, or, without one, to the start of the piece
//   or the measure after the last repeat or group of endings; repeats nest (a forward/backward
//   pair inside a bracket plays out before the outer repeat goes on);
// - a repeat is played `times` passes (2 when not written); one that ends inside a group of
//   ending brackets is played as many passes as the group's largest number, so that "1, 2, 3"
//   followed by "4" plays its bracket three times and then the fourth;
// - an ending bracket plays on the passes its numbers name, counted by the repeat around it
//   when the group is entered; a forward repeat at the start of a bracket begins a repeat inside
//   it; a bracket followed by another of its group returns at its end even when its backward
//   repeat is not written;
// - D.C. returns to the start, D.S. to the segno, once; after the jump the repeats are not taken
//   again (unless marked after-jump), each group of endings plays its last bracket, "to coda"
//   goes on at the coda and fine ends the piece. A jump is taken at the end of the measure that
//   marks it.
// Brackets that contradict each other are read as endingGroups says.
//
// Thread: any (pure).

#include <cstddef>
#include <vector>

namespace zembera::scores {

// Most passes of one repeat; larger `times` and ending numbers are read as this many.
inline constexpr int kMostPasses = 16;

struct MeasureMarks {
    bool forwardRepeat = false;
    bool backwardRepeat = false;
    int times = 0;              // passes written on the backward repeat ending here, 0 for none
    bool afterJump = false;     // the backward repeat is taken after a D.C. or D.S. too
    int ending = 0;             // the ending bracket (1, 2, ... in the score) holding it, or 0
    std::vector<int> endingFor; // the passes its bracket names; empty when its number is blank
    bool segno = false;
    bool coda = false;
    bool daCapo = false;
    bool dalSegno = false;
    bool toCoda = false;
    bool fine = false;
};

// The ending brackets of a score in groups, one group for the brackets of one repeat. The
// numbers of a group increase from bracket to bracket; a bracket whose numbers do not (a second
// "1") begins a group of its own. A bracket with a blank number plays on the pass after the
// brackets before it in its group (the first pass when it is the first). A pass of a repeat that
// no bracket of its group names passes the whole group over. Numbers above kMostPasses are left
// out.
struct EndingGroups {
    std::vector<std::vector<int>> passes; // by measure: the passes its bracket plays on
    std::vector<int> group;               // by measure: the first measure of its group, or -1
    std::vector<int> blank;               // first measures of brackets whose number was blank
    std::vector<int> restarted;           // first measures of brackets beginning a new group
    std::vector<int> gaps; // first measures of groups with a pass up to their largest number
                           // that no bracket names
};

EndingGroups endingGroups(const std::vector<MeasureMarks>& measures);

// Indices of `measures` in playing order, at most `limit` of them.
std::vector<int> playOrder(const std::vector<MeasureMarks>& measures, std::size_t limit);

} // namespace zembera::scores
