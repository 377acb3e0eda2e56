#include "scores/ses_export.h"

#include <array>
#include <cmath>

namespace zembera::scores {
namespace {

constexpr double kUnitsPerBeat = 16.0;
// Most problems listed; the rest are counted.
constexpr std::size_t kMaxProblems = 20;

struct Code {
    int tuplet, code, dot;
};

// The record fields for a note of `units`, or false when no duration code gives it.
bool noteCode(double units, Code& out) {
    static constexpr std::array<int, 6> plain{64, 32, 16, 8, 4, 2};
    for (int i = 0; i < 6; ++i) {
        if (std::abs(units - plain[static_cast<std::size_t>(i)]) < 1e-6) {
            out = {0, i + 1, 0};
            return true;
        }
        if (std::abs(units - plain[static_cast<std::size_t>(i)] * 1.5) < 1e-6) {
            out = {0, i + 1, 1};
            return true;
        }
    }
    // Triplets: two thirds of 8 and of 4 units, which the player rounds to 5 and 3.
    if (std::abs(units - 16.0 / 3) < 1e-6) {
        out = {1, 4, 0};
        return true;
    }
    if (std::abs(units - 8.0 / 3) < 1e-6) {
        out = {1, 5, 0};
        return true;
    }
    return false;
}

std::string record(int tuplet, int note, int code, int mandal, int dot, int condition) {
    return std::to_string(tuplet) + "," + std::to_string(note) + "," + std::to_string(code) + "," +
           std::to_string(mandal) + "," + std::to_string(dot) + ",0,0,0,0," +
           std::to_string(condition) + "\n";
}

// The note number of string s: 0..14 for strings 4..18, 22..25 for strings 19..22.
int noteOfString(int s) {
    return s <= 18 ? s - 4 : s + 3;
}

} // namespace

SesExport exportSes(const Score& score, const PlacedScore& placed) {
    SesExport out;
    std::size_t problemCount = 0;
    auto problem = [&](std::size_t i, const std::string& what) {
        if (++problemCount <= kMaxProblems)
            out.problems.push_back("nota " + std::to_string(i + 1) + " (" +
                                   placeText(placed.notes[i].measure, placed.placesAreLines) +
                                   "): " + what);
    };
    for (std::size_t i = 0; i < placed.notes.size() && i < score.notes.size(); ++i) {
        const PlacedNote& n = placed.notes[i];
        const double units = score.notes[i].beats * kUnitsPerBeat;
        if (score.notes[i].chord) {
            problem(i, "akor ses dosyasında yazılamaz");
            continue;
        }
        if (n.rest) {
            // A rest is any sum of the rest lengths, longest first.
            long left = std::lround(units);
            if (std::abs(units - static_cast<double>(left)) > 1e-6 || left % 2 != 0) {
                problem(i, "es süresi ses dosyasında yazılamaz");
                continue;
            }
            for (int r = 31; r >= 26 && left > 0; --r) {
                const long length = 2L << (r - 26);
                for (; left >= length; left -= length)
                    out.text += record(0, r, 1, 0, 0, 0);
            }
            continue;
        }
        Code code{};
        if (n.string < 4 || n.string > 22) {
            problem(i, "tel " + std::to_string(n.string) + " ses dosyasında yazılamaz");
            continue;
        }
        if (!noteCode(units, code)) {
            problem(i, "süre ses dosyasında yazılamaz");
            continue;
        }
        out.text += record(code.tuplet, noteOfString(n.string), code.code, n.mandal, code.dot, 1);
    }
    if (problemCount > kMaxProblems)
        out.problems.push_back("... " + std::to_string(problemCount - kMaxProblems) + " nota daha");
    if (!out.fits()) out.text.clear();
    return out;
}

} // namespace zembera::scores
