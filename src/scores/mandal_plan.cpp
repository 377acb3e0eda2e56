#include "scores/mandal_plan.h"

#include <algorithm>
#include <cmath>

namespace zembera::scores {

int MandalPlan::closeCount() const {
    return static_cast<int>(std::count_if(changes.begin(), changes.end(),
                                          [](const MandalChange& c) { return c.close; }));
}

MandalPlan planMandals(const PlacedScore& placed) {
    MandalPlan plan;
    plan.chordNotes = placed.chordNotes;
    plan.droppedChordNotes = placed.droppedChordNotes;
    plan.otherStringNotes = placed.otherStringCount;
    plan.placesAreLines = placed.placesAreLines;
    PerString<int> last{}; // index of the string's last note, -1 none
    last.fill(-1);
    for (std::size_t i = 0; i < placed.notes.size(); ++i) {
        const PlacedNote& n = placed.notes[i];
        if (n.rest || n.dropped || n.string < 1 || n.string > kStringCount) continue;
        StringNeeds& needs = plan.strings[static_cast<std::size_t>(n.string)];
        if (needs.noteCount == 0) needs.first = n.mandal;
        ++needs.noteCount;
        if (std::find(needs.positions.begin(), needs.positions.end(), n.mandal) ==
            needs.positions.end()) {
            needs.positions.insert(
                std::upper_bound(needs.positions.begin(), needs.positions.end(), n.mandal),
                n.mandal);
        }
        const int before = last[static_cast<std::size_t>(n.string)];
        if (before >= 0) {
            const PlacedNote& p = placed.notes[static_cast<std::size_t>(before)];
            if (p.mandal != n.mandal) {
                MandalChange c;
                c.string = n.string;
                c.from = p.mandal;
                c.to = n.mandal;
                c.noteIndex = static_cast<int>(i);
                c.measure = n.measure;
                c.freeMs = std::max(0.0, n.onsetMs - (p.onsetMs + p.ms));
                c.close = c.freeMs < kCloseChangeMs;
                plan.changes.push_back(c);
            }
        }
        last[static_cast<std::size_t>(n.string)] = static_cast<int>(i);
    }
    return plan;
}

std::vector<std::string> planLines(const MandalPlan& plan) {
    std::vector<std::string> lines;
    if (plan.chordNotes > 0)
        lines.push_back("akorlar: " + std::to_string(plan.chordNotes) +
                        " nota ilk notasıyla birlikte kendi telinde çalınır");
    if (plan.droppedChordNotes > 0)
        lines.push_back("akorlar: " + std::to_string(plan.droppedChordNotes) +
                        " nota akorun başka bir notasıyla aynı tele düştüğü için çalınmaz");
    if (plan.otherStringNotes > 0)
        lines.push_back(std::to_string(plan.otherStringNotes) +
                        " nota kendi telinin mandallarının ulaşamadığı perdede: perdesine en "
                        "yakın telde çalınır");
    for (int s = 1; s <= kStringCount; ++s) {
        const StringNeeds& needs = plan.strings[static_cast<std::size_t>(s)];
        if (needs.noteCount == 0) continue;
        std::string line = "tel " + std::to_string(s) + ": başta " + std::to_string(needs.first);
        if (needs.positions.size() > 1) {
            line += ", konumlar";
            for (int m : needs.positions)
                line += " " + std::to_string(m);
        }
        lines.push_back(line);
    }
    for (const MandalChange& c : plan.changes) {
        if (!c.close) continue;
        lines.push_back(placeText(c.measure, plan.placesAreLines) + ", nota " +
                        std::to_string(c.noteIndex + 1) + ": tel " + std::to_string(c.string) +
                        " " + std::to_string(c.from) + " → " + std::to_string(c.to) + ", " +
                        std::to_string(static_cast<long>(std::lround(c.freeMs))) + " ms içinde");
    }
    return lines;
}

} // namespace zembera::scores
