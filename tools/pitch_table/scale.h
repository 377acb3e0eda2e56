#pragma once
// A scale in the Scala .scl text format: the cents of each step above the first, and the period.

#include <string>
#include <string_view>
#include <vector>

namespace zembera::pitchtool {

struct Scale {
    std::string description;
    // Cents of step k above step 0, k = 0..n-1; steps[0] is the implied 1/1 (0 cents).
    std::vector<double> steps;
    // Cents of the last pitch line, the interval after which the steps repeat (1200 for 2/1).
    double period = 0;
};

// Parses .scl text: lines starting with "!" are comments; the first other line is the
// description, the next the number of pitches, then one pitch per line (cents when it contains
// a ".", otherwise a ratio "n/d" or a whole number); text after the value is ignored. Throws
// std::runtime_error naming `fileName` and the line when the text is not a valid scale or its
// pitches do not rise strictly above 0.
Scale parseScale(std::string_view text, const std::string& fileName);

// Cents of scale degree `degree` counted from step 0 across periods (negative degrees lie below).
double degreeCents(const Scale& scale, int degree);

} // namespace zembera::pitchtool
