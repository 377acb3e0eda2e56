#pragma once
// Writes a placed score as a melody file (.ses) where the format can hold it: a note on strings
// 4..22 (the strings the note numbers reach) whose length in units (a quarter note is 16) is one
// of the duration table's, dotted, or a triplet of code 4 or 5; rests of any sum of 2, 4, 8, 16,
// 32 and 64 units. Each note carries its mandal position with the condition 1, so that the modes
// "şartlı" (at the table's pitch level) and "dosya" sound it where the score placed it. The
// format keeps no tempo: the scroll bar sets it.
//
// Thread: any (pure).

#include <string>
#include <vector>

#include "scores/kanun_mapping.h"

namespace zembera::scores {

struct SesExport {
    std::string text;                  // the records, one a line, when `problems` is empty
    std::vector<std::string> problems; // in Turkish, one per note the format cannot hold
    bool fits() const { return problems.empty(); }
};

// `placed` must be placed at the table's own pitch level (shift 0).
SesExport exportSes(const Score& score, const PlacedScore& placed);

} // namespace zembera::scores
