#pragma once
// The name of each string's sample: "NN_FFFFFF_LL.wav", string number, nominal frequency in
// hundredths of a hertz, and the open note as a two-character label.

#include <string>

namespace zembera::samples {

struct SampleName {
    int string = 0;       // 1..26
    long hundredths = 0;  // nominal frequency in hundredths of a hertz
    std::string label;    // open note and octave, e.g. "C4"
    std::string fileName; // the 16 characters of the name
    double frequencyHz() const { return static_cast<double>(hundredths) / 100.0; }
};

// Letter and octave of string s's open note: the open strings are the naturals, string 17 = C4,
// one diatonic step per string (string 26 = A2, string 1 = E6).
std::string openNoteLabel(int s);

// The name of string s whose open pitch is `openCents` above C4 = 262 Hz. Throws
// std::invalid_argument when s is outside 1..26 or the frequency does not fit the name's field
// and the start-up check (below 1320.00 Hz, above 0).
SampleName sampleName(int s, double openCents);

} // namespace zembera::samples
