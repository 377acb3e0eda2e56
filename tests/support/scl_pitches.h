#pragma once
// A Scala scale read by the format's definition alone, apart from the program's reader, and the
// written naturals of the 26 strings: expected pitches for the tests of the pitch systems.

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace zembera::test {

struct SclPitches {
    std::vector<double> steps{0.0}; // cents of step k, steps[0] = 0
    double period = 1200;

    int size() const { return static_cast<int>(steps.size()); }
    // Cents of degree d across periods.
    double at(int d) const {
        const int n = size();
        const int octave = d >= 0 ? d / n : -((-d + n - 1) / n);
        return steps[static_cast<std::size_t>(d - octave * n)] + octave * period;
    }
};

// Lines that are not comments: the description, the count, then one pitch per line, cents when
// it holds a ".", else a ratio n/d or a whole number.
inline SclPitches parseSclText(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] == '!') continue;
        lines.push_back(line);
    }
    SclPitches out;
    const int count = std::stoi(lines.at(1));
    for (int i = 0; i < count; ++i) {
        std::istringstream words(lines.at(static_cast<std::size_t>(2 + i)));
        std::string word;
        words >> word;
        double cents = 0;
        if (word.find('.') != std::string::npos) {
            cents = std::stod(word);
        } else {
            const std::size_t slash = word.find('/');
            const double ratio = slash == std::string::npos ? std::stod(word)
                                                            : std::stod(word.substr(0, slash)) /
                                                                  std::stod(word.substr(slash + 1));
            cents = 1200 * std::log2(ratio);
        }
        if (i + 1 < count)
            out.steps.push_back(cents);
        else
            out.period = cents;
    }
    return out;
}

inline SclPitches readScl(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return parseSclText(text.str());
}

// A scale of n equal steps to the octave, as a .scl text.
inline std::string equalScaleText(int n) {
    std::string text = "! " + std::to_string(n) + "-edo.scl\n" + std::to_string(n) + " equal\n " +
                       std::to_string(n) + "\n";
    for (int k = 1; k < n; ++k) {
        char cents[32];
        std::snprintf(cents, sizeof cents, " %.9f\n", 1200.0 * k / n);
        text += cents;
    }
    return text + " 2/1\n";
}

// String s's written natural: C4 is string 17, one natural per string, E6 string 1.
struct WrittenNatural {
    int octave;            // above C4
    int index;             // C = 0 .. B = 6
    double cents() const { // equal-tempered, above C4
        constexpr double kNaturals[7] = {0, 200, 400, 500, 700, 900, 1100};
        return 1200.0 * octave + kNaturals[index];
    }
    int midiKey() const {
        constexpr int kSemitones[7] = {0, 2, 4, 5, 7, 9, 11};
        return 60 + 12 * octave + kSemitones[index];
    }
};
inline WrittenNatural naturalOf(int s) {
    const int n = 17 - s;
    const int octave = n >= 0 ? n / 7 : -((-n + 6) / 7);
    return {octave, n - 7 * octave};
}

// The degree of `scale` nearest `cents` (the lower of two equally near, to a thousandth of a
// cent: a .scl written to five decimals puts a symmetric pair that far apart).
inline int nearestDegree(const SclPitches& scale, double cents) {
    int best = static_cast<int>(std::floor(cents / scale.period * scale.size())) - scale.size();
    for (int d = best; d <= best + 3 * scale.size(); ++d) {
        if (std::abs(scale.at(d) - cents) < std::abs(scale.at(best) - cents) - 1e-3) best = d;
    }
    return best;
}

// Of the degrees of `scale` string s reaches (one per position min..max from the degree nearest
// its written natural), the one nearest `cents`.
inline double nearestReached(const SclPitches& scale, int s, int min, int max, double cents) {
    const int open = nearestDegree(scale, naturalOf(s).cents());
    double best = scale.at(open + min);
    for (int d = open + min; d <= open + max; ++d)
        if (std::abs(scale.at(d) - cents) < std::abs(best - cents)) best = scale.at(d);
    return best;
}

} // namespace zembera::test
