#pragma once
// The places of every degree on the instrument and the text of the pitch table file.

#include <string>
#include <vector>

#include "pitch/scala_file.h"
#include "systems/degree_names.h"
#include "systems/system_layout.h"

namespace zembera::systems {

struct Place {
    int string = 0;
    int mandal = 0;
};

// The (string, position) places of each degree kDegreeLow..kDegreeHigh (index degree -
// kDegreeLow), covering every position of every string's range once. The place a player takes
// first leads: the smallest offset from an open string, and on a tie the lower string raised
// rather than the higher one lowered. Throws std::runtime_error when a place lies outside the
// degrees of the table.
std::vector<std::vector<Place>> placesByDegree(const SystemLayout& layout);

// Cents as the table text holds them: six decimals.
std::string centsText(double cents);

// The whole pitch table file (UTF-8, CR LF): section A, one pair per string (its number and its
// open note); B and C, the cents and marks of strings 1..7 at positions -8..12; D, one record
// per degree. Throws std::runtime_error when the scale does not have 79 steps, a degree has more
// than three places or a name is wider than the name field.
std::string makePitchTableText(const Scale& scale, const DegreeNamer& names);

} // namespace zembera::systems
