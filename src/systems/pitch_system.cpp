#include "systems/pitch_system.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "common/text_fields.h"
#include "systems/table_text.h"

namespace zembera::systems {
namespace {

constexpr std::size_t kPlacesPerRecord = 3;
constexpr double kCentsPerMarkStep = 1200.0 / kDegreesPerOctave;

// The cents exactly as the table text would give them back, so that a table built here and one
// read from its text agree to the last bit.
double asWritten(double cents) {
    const std::string text = centsText(cents);
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// The accidental code of an offset: the degrees of the 79-tone scale nearest to its cents.
std::int16_t markOfCents(double cents) {
    const long steps = std::lround(cents / kCentsPerMarkStep);
    return static_cast<std::int16_t>(std::clamp<long>(steps, kMarkLow, kMarkHigh));
}

// Refuses a scale finer than the tables hold, in the musician's terms. Within that limit every
// string reaches only degrees of the tables, whatever the scale's naturals.
void requireFits(const SystemLayout& layout, const std::string& fileName) {
    const int n = layout.degreesPerOctave();
    if (n > kMaxDegreesPerOctave) {
        throw std::runtime_error(fileName + ": bu sistemin oktavında " + std::to_string(n) +
                                 " perde var; çalgı oktavda en çok " +
                                 std::to_string(kMaxDegreesPerOctave) + " perdeli sistem çalar.");
    }
    for (int s = 1; s <= kStringCount; ++s) {
        for (int m = kMandalLow; m <= kMandalHigh; ++m) {
            if (!DegreeTable::contains(layout.degreeAt(s, m))) {
                throw std::logic_error("string " + std::to_string(s) + " leaves the degree table");
            }
        }
    }
}

} // namespace

bool usesDegreeNaming(const SystemLayout& layout) {
    if (layout.degreesPerOctave() != kDegreesPerOctave) return false;
    for (int i = 0; i < kNaturalsPerOctave; ++i) {
        if (layout.naturalDegree(i) != kNaturalDegrees[static_cast<std::size_t>(i)]) return false;
    }
    return true;
}

PitchSystem::PitchSystem(std::string name_, std::string fileName_, const Scale& scale_, int cStep_,
                         const DegreeNamer& names, bool tableFolding)
    : name(std::move(name_)), fileName(std::move(fileName_)), scale(scale_), cStep(cStep_),
      layout(scale_, cStep_, tableFolding) {
    requireFits(layout, fileName);
    const bool byDegrees = usesDegreeNaming(layout);
    PitchTables& t = tables;
    for (int s = 1; s <= kStringCount; ++s) {
        const MandalRange r = layout.mandalRange(s);
        mandalMin[static_cast<std::size_t>(s)] = static_cast<std::int16_t>(r.low);
        mandalMax[static_cast<std::size_t>(s)] = static_cast<std::int16_t>(r.high);
        const double open = layout.cents(layout.openDegree(s));
        for (int m = kMandalLow; m <= kMandalHigh; ++m) {
            t.centTable(s, m) = asWritten(layout.cents(layout.degreeAt(s, m)));
            if (byDegrees) {
                t.mandalMark(s, m) =
                    static_cast<std::int16_t>(s <= kNarrowStrings ? layout.markAt(s, m) : m);
            } else {
                t.mandalMark(s, m) = markOfCents(layout.cents(layout.degreeAt(s, m)) - open);
            }
        }
    }
    const std::vector<std::vector<Place>> places = placesByDegree(layout);
    for (int k = kDegreeLow; k <= kDegreeHigh; ++k) {
        const std::vector<Place>& here = places[static_cast<std::size_t>(k - kDegreeLow)];
        // The degrees a table file holds, and beyond them those a string sounds.
        const bool inFile = k >= kFileDegreeLow && k <= kFileDegreeHigh;
        if (!inFile && here.empty()) continue;
        DegreeRecord& r = t.degreeTable(k);
        const double cents = layout.cents(k);
        r.cent = asWritten(cents);
        r.ad = fitToWidth(byDegrees ? names.nameOf(k) : names.nameOfCents(cents), kNameWidth);
        std::int16_t* const slots[kPlacesPerRecord][2] = {
            {&r.tel2, &r.mandal2}, {&r.tel1, &r.mandal1}, {&r.tel3, &r.mandal3}};
        for (std::size_t i = 0; i < here.size(); ++i) {
            if (i < kPlacesPerRecord) {
                *slots[i][0] = static_cast<std::int16_t>(here[i].string);
                *slots[i][1] = static_cast<std::int16_t>(here[i].mandal);
            }
            // A place beyond the record's three still sounds and is named.
            t.degreeName(here[i].string, here[i].mandal) = r.ad;
            t.stringDegree(here[i].string, here[i].mandal) = static_cast<std::int16_t>(k);
        }
    }
    t.octaveDivisionCaptions = {"Yarman79", "Yarman80"};
}

} // namespace zembera::systems
