#include "systems/degree_names.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

#include "common/text_fields.h"

namespace zembera::systems {
namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

std::vector<std::string_view> splitTabs(std::string_view line) {
    std::vector<std::string_view> cells;
    for (;;) {
        const std::size_t tab = line.find('\t');
        cells.push_back(trimmed(line.substr(0, tab)));
        if (tab == std::string_view::npos) return cells;
        line.remove_prefix(tab + 1);
    }
}

std::string repeated(std::string_view word, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += word;
    return out;
}

const char* const kColumnNotes[3] = {"C4", "C5", "C6"};

} // namespace

std::vector<NameRow> parseNameTable(std::string_view bytes, const std::string& fileName) {
    const std::string text = decodeText(bytes);
    std::string_view rest = text;
    std::vector<NameRow> rows;
    int lineNo = 0;
    bool header = true;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        ++lineNo;
        if (trimmed(line).empty()) continue;
        auto fail = [&](const std::string& detail) {
            throw std::runtime_error(fileName + ":" + std::to_string(lineNo) + ": " + detail);
        };
        const std::vector<std::string_view> cells = splitTabs(line);
        if (header) {
            header = false;
            int number = 0;
            const std::string_view first = cells[0];
            const bool numeric =
                std::from_chars(first.data(), first.data() + first.size(), number).ec ==
                std::errc();
            if (cells.size() < 3 || numeric) fail("header with tab-separated columns expected");
            continue;
        }
        if (cells.size() < 3 || cells.size() > 4) {
            fail("commas and three names separated by tabs expected");
        }
        NameRow row;
        const std::string_view c = cells[0];
        const auto [ptr, ec] = std::from_chars(c.data(), c.data() + c.size(), row.commas);
        if (ec != std::errc() || ptr != c.data() + c.size() || row.commas < 0 ||
            row.commas >= kCommasPerOctave) {
            fail("commas above Çargâh (0.." + std::to_string(kCommasPerOctave - 1) +
                 ") expected, found \"" + std::string(c) + "\"");
        }
        for (std::size_t i = 1; i < cells.size(); ++i)
            row.names[i - 1] = std::string(cells[i]);
        for (int i = 0; i < 2; ++i) {
            if (row.names[static_cast<std::size_t>(i)].empty()) {
                fail(std::string("no name in the ") + kColumnNotes[i] + " octave");
            }
        }
        for (const NameRow& other : rows) {
            if (other.commas == row.commas) fail("a second row for " + std::string(c) + " commas");
        }
        rows.push_back(std::move(row));
    }
    if (rows.empty()) throw std::runtime_error(fileName + ": no names");
    return rows;
}

int degreeOfCommas(int commas) {
    if (commas < 0 || commas >= kCommasPerOctave) {
        throw std::out_of_range("no pitch " + std::to_string(commas) + " commas above C");
    }
    int natural = kNaturalsPerOctave - 1;
    while (kNaturalCommas[static_cast<std::size_t>(natural)] > commas)
        --natural;
    const int above = commas - kNaturalCommas[static_cast<std::size_t>(natural)];
    return kNaturalDegrees[static_cast<std::size_t>(natural)] + above * 3 / 2;
}

DegreeNamer::DegreeNamer(const std::vector<NameRow>& rows) : rows_(rows) {
    rowAt_.fill(-1);
    // Distinct commas give distinct degrees: each natural's pitches stay below the next natural.
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        rowAt_[static_cast<std::size_t>(degreeOfCommas(rows_[i].commas))] = static_cast<int>(i);
    }
    for (int n = 0; n < kNaturalsPerOctave; ++n) {
        if (rowAt_[static_cast<std::size_t>(kNaturalDegrees[static_cast<std::size_t>(n)])] < 0) {
            throw std::runtime_error("no name for the natural " +
                                     std::to_string(kNaturalCommas[static_cast<std::size_t>(n)]) +
                                     " commas above Çargâh");
        }
    }
}

std::string DegreeNamer::octaveName(const NameRow& row, int octave) const {
    if (octave < 0) return repeated("Kaba ", -octave) + row.names[0];
    if (octave < 2) return row.names[static_cast<std::size_t>(octave)];
    const std::string c6 = row.names[2].empty() ? "Tiz " + row.names[1] : row.names[2];
    return repeated("Tiz ", octave - 2) + c6;
}

std::string DegreeNamer::nameOf(int degree) const {
    const int octave = floorDiv(degree, kDegreesPerOctave);
    const int step = degree - octave * kDegreesPerOctave;
    // Step 0 is a natural, so a named step lies at or below every step.
    int named = step;
    while (rowAt_[static_cast<std::size_t>(named)] < 0)
        --named;
    std::string name = octaveName(
        rows_[static_cast<std::size_t>(rowAt_[static_cast<std::size_t>(named)])], octave);
    if (named < step) name += "+" + std::to_string(step - named);
    return name;
}

std::string DegreeNamer::nameOfCents(double cents) const {
    constexpr double commaCents = 1200.0 / kCommasPerOctave;
    // The named pitch at or below, counted across octaves; then the one above it.
    const NameRow* below = nullptr;
    int belowOctave = 0;
    double belowCents = -1e300;
    const NameRow* above = nullptr;
    int aboveOctave = 0;
    double aboveCents = 1e300;
    const int octave = static_cast<int>(std::floor(cents / 1200.0));
    for (int o = octave - 1; o <= octave + 1; ++o) {
        for (const NameRow& row : rows_) {
            const double at = o * 1200.0 + row.commas * commaCents;
            if (at <= cents && at > belowCents) {
                below = &row;
                belowOctave = o;
                belowCents = at;
            }
            if (at > cents && at < aboveCents) {
                above = &row;
                aboveOctave = o;
                aboveCents = at;
            }
        }
    }
    if (cents - belowCents <= kNameReachCents) return octaveName(*below, belowOctave);
    if (aboveCents - cents <= kNameReachCents) return octaveName(*above, aboveOctave);
    const std::string base =
        octaveName(*below, belowOctave) + " +" + std::to_string(std::lround(cents - belowCents));
    const std::string withUnit = base + " sent";
    return characterCount(withUnit) <= 30 ? withUnit : base;
}

} // namespace zembera::systems
