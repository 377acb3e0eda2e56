#include "samples/sample_names.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "pitch/pitch_table.h"

namespace zembera::samples {
namespace {

constexpr int kMiddleCString = 17;
constexpr long kHighestHundredths = 131999; // the start-up check refuses 132000 and above

int floorDiv(int a, int b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}

} // namespace

std::string openNoteLabel(int s) {
    const int steps = kMiddleCString - s; // diatonic steps above C4
    const int octave = 4 + floorDiv(steps, 7);
    const int letter = steps - 7 * floorDiv(steps, 7);
    return std::string(1, "CDEFGAB"[letter]) + static_cast<char>('0' + octave);
}

SampleName sampleName(int s, double openCents) {
    if (s < 1 || s > kStringCount) {
        throw std::invalid_argument("string number " + std::to_string(s) + " outside 1..26");
    }
    const double hz = kReferenceHz * std::exp2(openCents / 1200.0);
    const double rounded = std::nearbyint(hz * 100.0);
    if (!(rounded > 0 && rounded <= static_cast<double>(kHighestHundredths))) {
        throw std::invalid_argument("string " + std::to_string(s) + ": open pitch " +
                                    std::to_string(hz) + " Hz cannot be named (0.01..1319.99)");
    }
    SampleName n;
    n.string = s;
    n.hundredths = static_cast<long>(rounded);
    n.label = openNoteLabel(s);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d_%06ld_%s.wav", s, n.hundredths, n.label.c_str());
    n.fileName = buffer;
    return n;
}

} // namespace zembera::samples
