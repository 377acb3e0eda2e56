#include "pitch/degree_span.h"

#include <algorithm>
#include <optional>

namespace zembera {
namespace {

bool hasPlaceOn(const DegreeRecord& r, int firstString, int lastString) {
    for (const int tel : {r.tel1, r.tel2, r.tel3}) {
        if (tel >= firstString && tel <= lastString) return true;
    }
    return false;
}

// The lowest to the highest degree of the table with a place on the strings given; `fallback`
// when none has.
DegreeSpan spanOfPlaces(const PitchTables& tables, int firstString, int lastString,
                        DegreeSpan fallback) {
    std::optional<DegreeSpan> span;
    for (int k = kDegreeLow; k <= kDegreeHigh; ++k) {
        if (!hasPlaceOn(tables.degreeTable(k), firstString, lastString)) continue;
        if (!span) span = DegreeSpan{k, k};
        span->high = k;
    }
    return span.value_or(fallback);
}

} // namespace

DegreeSpan placedDegrees(const PitchTables& tables, int degreesPerOctave) {
    constexpr DegreeSpan table{kMappedDegreeLow, kMappedDegreeHigh};
    if (degreesPerOctave == kTableOctaveDegrees) return table;
    return spanOfPlaces(tables, 1, kStringCount, table);
}

DegreeSpan narrowStringDegrees(const PitchTables& tables, int degreesPerOctave) {
    if (degreesPerOctave == kTableOctaveDegrees) return kTableNarrowStringDegrees;
    return spanOfPlaces(tables, 1, kNarrowStrings, kTableNarrowStringDegrees);
}

bool isNamedWrittenDegree(const PitchTables& tables, int degreesPerOctave, int degree) {
    if (degreesPerOctave == kTableOctaveDegrees) return kTableWrittenDegrees.contains(degree);
    return DegreeTable::contains(degree) && !tables.degreeTable(degree).ad.empty();
}

} // namespace zembera
