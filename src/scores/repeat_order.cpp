#include "scores/repeat_order.h"

#include <algorithm>

namespace zembera::scores {
namespace {

// The first measure past the ending bracket that holds measure `i`.
int pastBracket(const std::vector<MeasureMarks>& m, int i) {
    const int bracket = m[static_cast<std::size_t>(i)].ending;
    while (i < static_cast<int>(m.size()) && m[static_cast<std::size_t>(i)].ending == bracket)
        ++i;
    return i;
}

// True when no other bracket follows the one holding measure `i` (it is the last ending).
bool lastEnding(const std::vector<MeasureMarks>& m, int i) {
    const int next = pastBracket(m, i);
    return next >= static_cast<int>(m.size()) || m[static_cast<std::size_t>(next)].ending == 0;
}

} // namespace

std::vector<int> playOrder(const std::vector<MeasureMarks>& m, std::size_t limit) {
    std::vector<int> order;
    const int count = static_cast<int>(m.size());
    int repeatStart = 0;
    int pass = 1;
    bool returning = false; // just came back from a backward repeat
    bool jumped = false;    // past the D.C. or D.S.
    int i = 0;
    while (i < count && order.size() < limit) {
        const MeasureMarks& here = m[static_cast<std::size_t>(i)];
        if (here.forwardRepeat && !returning && !jumped) {
            repeatStart = i;
            pass = 1;
        }
        // Past a group of endings a new section begins.
        if (here.ending == 0 && i > 0 && m[static_cast<std::size_t>(i - 1)].ending != 0 &&
            !returning && !here.forwardRepeat) {
            repeatStart = i;
            pass = 1;
        }
        returning = false;
        const bool bracketStart =
            here.ending != 0 &&
            (i == 0 || m[static_cast<std::size_t>(i - 1)].ending != here.ending);
        if (bracketStart) {
            const bool plays = jumped ? lastEnding(m, i)
                                      : std::find(here.endingFor.begin(), here.endingFor.end(),
                                                  pass) != here.endingFor.end();
            if (!plays) {
                i = pastBracket(m, i);
                continue;
            }
        }
        order.push_back(i);
        if (jumped && here.fine) break;
        if (jumped && here.toCoda) {
            int coda = i + 1;
            while (coda < count && !m[static_cast<std::size_t>(coda)].coda)
                ++coda;
            if (coda < count) {
                i = coda;
                continue;
            }
        }
        if (here.backwardRepeat && !jumped) {
            if (pass < std::clamp(here.times, 1, 16)) {
                ++pass;
                i = repeatStart;
                returning = true;
                continue;
            }
            repeatStart = i + 1;
            pass = 1;
        }
        if (!jumped && (here.daCapo || here.dalSegno)) {
            int target = 0;
            if (here.dalSegno) {
                target = -1;
                for (int k = 0; k < count && target < 0; ++k)
                    if (m[static_cast<std::size_t>(k)].segno) target = k;
            }
            if (target >= 0) {
                jumped = true;
                i = target;
                continue;
            }
        }
        ++i;
    }
    return order;
}

} // namespace zembera::scores
