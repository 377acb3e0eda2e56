#include "systems/table_text.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <stdexcept>

#include "common/text_fields.h"
#include "pitch/pitch_table.h"
#include "systems/system_layout.h"

namespace zembera::systems {
namespace {

constexpr int kPlacesPerRecord = 3;
constexpr const char* kLineEnd = "\r\n";

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// A degree's name padded to the fixed field; a wider name would be cut, so it is refused.
std::string fieldName(const DegreeNamer& names, int degree) {
    const std::string name = names.nameOf(degree);
    if (name.find('"') != std::string::npos || name.find(',') != std::string::npos) {
        throw std::runtime_error("the name \"" + name + "\" of degree " + std::to_string(degree) +
                                 " contains a quote or a comma");
    }
    if (characterCount(name) > static_cast<std::size_t>(kNameWidth)) {
        throw std::runtime_error("the name \"" + name + "\" of degree " + std::to_string(degree) +
                                 " is longer than " + std::to_string(kNameWidth) + " characters");
    }
    return fitToWidth(name, kNameWidth);
}

// How far a player reaches from the open string; smaller comes first.
struct PlayedFirst {
    const SystemLayout& layout;
    bool operator()(const Place& a, const Place& b) const {
        const int reachA = std::abs(layout.markAt(a.string, a.mandal));
        const int reachB = std::abs(layout.markAt(b.string, b.mandal));
        if (reachA != reachB) return reachA < reachB;
        return a.string > b.string;
    }
};

void appendSectionA(std::string& out, const SystemLayout& layout, const DegreeNamer& names) {
    for (int s = 1; s <= kStringCount; ++s) {
        const std::string note = std::string(openNoteLetter(s)) + std::to_string(openNoteOctave(s));
        out += std::to_string(s) + "," + quoted(note + " " + names.nameOf(layout.openDegree(s))) +
               kLineEnd;
    }
}

void appendSectionsBC(std::string& out, const SystemLayout& layout) {
    for (int s = 1; s <= kNarrowStrings; ++s) {
        for (int m = kMandalLow; m <= kMandalHigh; ++m) {
            out += centsText(layout.cents(layout.degreeAt(s, m)));
            out += m < kMandalHigh ? "," : kLineEnd;
        }
    }
    for (int s = 1; s <= kNarrowStrings; ++s) {
        for (int m = kMandalLow; m <= kMandalHigh; ++m) {
            out += std::to_string(layout.markAt(s, m));
            out += m < kMandalHigh ? "," : kLineEnd;
        }
    }
}

// Record items: degree, tel2, mandal2, tel1, mandal1, cent, name, tel3, mandal3; the place played
// first is tel2, the next tel1, the last tel3.
void appendSectionD(std::string& out, const SystemLayout& layout, const DegreeNamer& names) {
    const std::vector<std::vector<Place>> places = placesByDegree(layout);
    for (int k = kFileDegreeLow; k <= kFileDegreeHigh; ++k) {
        std::array<Place, kPlacesPerRecord> p{};
        const std::vector<Place>& found = places[static_cast<std::size_t>(k - kDegreeLow)];
        if (found.size() > kPlacesPerRecord) {
            throw std::runtime_error("degree " + std::to_string(k) + " has more than three places");
        }
        std::copy(found.begin(), found.end(), p.begin());
        auto place = [](const Place& q) {
            return std::to_string(q.string) + "," + std::to_string(q.mandal);
        };
        out += std::to_string(k) + "," + place(p[0]) + "," + place(p[1]) + "," +
               centsText(layout.cents(k)) + "," + quoted(fieldName(names, k)) + "," + place(p[2]) +
               kLineEnd;
    }
}

} // namespace

// Cents keep six decimals: far below what anyone hears, and the same text on every machine.
std::string centsText(double cents) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, cents, std::chars_format::fixed, 6);
    std::string text(buffer, result.ptr);
    if (text == "-0.000000") text.erase(0, 1);
    return text;
}

std::vector<std::vector<Place>> placesByDegree(const SystemLayout& layout) {
    std::vector<std::vector<Place>> places(kDegreeHigh - kDegreeLow + 1);
    for (int s = 1; s <= kStringCount; ++s) {
        const MandalRange r = layout.mandalRange(s);
        for (int m = r.low; m <= r.high; ++m) {
            const int k = layout.degreeAt(s, m);
            if (k < kDegreeLow || k > kDegreeHigh) {
                throw std::runtime_error("string " + std::to_string(s) + " at mandal " +
                                         std::to_string(m) + " sounds degree " + std::to_string(k) +
                                         ", outside the table");
            }
            places[static_cast<std::size_t>(k - kDegreeLow)].push_back({s, m});
        }
    }
    for (std::vector<Place>& p : places)
        std::sort(p.begin(), p.end(), PlayedFirst{layout});
    return places;
}

std::string makePitchTableText(const Scale& scale, const DegreeNamer& names) {
    if (scale.steps.size() != static_cast<std::size_t>(kDegreesPerOctave)) {
        throw std::runtime_error("the scale has " + std::to_string(scale.steps.size()) +
                                 " pitches per period; the table needs " +
                                 std::to_string(kDegreesPerOctave));
    }
    const SystemLayout layout(scale, 0, true);
    std::string out;
    appendSectionA(out, layout, names);
    appendSectionsBC(out, layout);
    appendSectionD(out, layout, names);
    return out;
}

} // namespace zembera::systems
