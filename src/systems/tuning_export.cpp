#include "systems/tuning_export.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace zembera::systems {
namespace {

constexpr int kSemitonesOfNaturals[7] = {0, 2, 4, 5, 7, 9, 11};
constexpr int kLowestKey = 45;  // string 26, A2
constexpr int kHighestKey = 88; // string 1, E6
constexpr int kC4Key = 60;
// Pitches closer than this are one degree of the exported scale: a thousandth of a cent, far
// below hearing, and far above the rounding of cents the strings reach by different sums.
constexpr double kSameCents = 1e-3;
constexpr std::size_t kTuningNameLength = 16;

// Six decimals, with "." whatever the locale of the window.
std::string sixDecimals(double value) {
    char buffer[64];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6).ptr;
    return std::string(buffer, end);
}

// Cents as written to the scale, read back as the reader will.
double asWritten(double cents) {
    const std::string text = sixDecimals(cents);
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

} // namespace

StringCents soundingCents(const PitchTables& tables, const PerString<std::int16_t>& mandalPos,
                          const PerString<float>& tuningOffset) {
    StringCents cents{};
    for (int s = 1; s <= kStringCount; ++s) {
        const auto i = static_cast<std::size_t>(s);
        cents[i] = tables.centTable(s, mandalPos[i]) + static_cast<double>(tuningOffset[i]);
    }
    return cents;
}

int stringKey(int s) {
    const int n = 17 - s;
    const int octave = n >= 0 ? n / 7 : -((-n + 6) / 7);
    return kC4Key + 12 * octave + kSemitonesOfNaturals[n - 7 * octave];
}

ScalaFiles exportScala(const StringCents& cents, std::string_view stem,
                       std::string_view description) {
    // Counted from the C at or below the lowest string, every string lies on a degree >= 0.
    double lowest = cents[1];
    for (int s = 2; s <= kStringCount; ++s)
        lowest = std::min(lowest, cents[static_cast<std::size_t>(s)]);
    const double base = 1200.0 * std::floor(lowest / 1200.0);

    // Pitch classes above C as they will be written; 0 is the implied 1/1.
    std::vector<double> classes{0.0};
    StringCents above{};
    for (int s = 1; s <= kStringCount; ++s) {
        const auto i = static_cast<std::size_t>(s);
        above[i] = cents[i] - base;
        const double c = asWritten(above[i] - 1200.0 * std::floor(above[i] / 1200.0));
        if (c < 1200.0 - kSameCents) classes.push_back(c);
    }
    std::sort(classes.begin(), classes.end());
    // Each group of near-equal pitches is written once, as its lowest.
    classes.erase(std::unique(classes.begin(), classes.end(),
                              [](double first, double b) { return b - first < kSameCents; }),
                  classes.end());
    const int n = static_cast<int>(classes.size());

    std::string scl = "! " + std::string(stem) + ".scl\n!\n" + std::string(description) + "\n " +
                      std::to_string(n) + "\n!\n";
    for (int k = 1; k < n; ++k)
        scl += " " + sixDecimals(classes[static_cast<std::size_t>(k)]) + "\n";
    scl += " 2/1\n";

    std::array<std::string, kHighestKey - kLowestKey + 1> mapping;
    mapping.fill("x");
    for (int s = 1; s <= kStringCount; ++s) {
        const double a = above[static_cast<std::size_t>(s)];
        int octave = static_cast<int>(std::floor(a / 1200.0));
        double c = asWritten(a - 1200.0 * octave);
        if (c >= 1200.0 - kSameCents) {
            ++octave;
            c = 0.0;
        }
        // The degree nearest the string's pitch: its own group's.
        std::size_t nearest = 0;
        for (std::size_t k = 1; k < classes.size(); ++k) {
            if (std::abs(classes[k] - c) < std::abs(classes[nearest] - c)) nearest = k;
        }
        const int degree = octave * n + static_cast<int>(nearest);
        mapping[static_cast<std::size_t>(stringKey(s) - kLowestKey)] = std::to_string(degree);
    }
    const double referenceHz = kReferenceHz * std::exp2(cents[17] / 1200.0);
    std::string kbm = "! " + std::string(stem) + ".kbm\n!\n";
    kbm += "! Eşleme uzunluğu:\n" + std::to_string(mapping.size()) + "\n";
    kbm += "! İlk ve son tuş:\n" + std::to_string(kLowestKey) + "\n" + std::to_string(kHighestKey) +
           "\n";
    kbm += "! Eşlemenin ilk tuşu:\n" + std::to_string(kLowestKey) + "\n";
    kbm += "! Frekansı verilen tuş ve frekansı (Hz):\n" + std::to_string(kC4Key) + "\n" +
           sixDecimals(referenceHz) + "\n";
    kbm += "! Oktav derecesi:\n" + std::to_string(n) + "\n! Eşleme:\n";
    for (const std::string& entry : mapping)
        kbm += entry + "\n";
    return {scl, kbm};
}

std::vector<std::uint8_t> exportMidiTuning(const StringCents& cents, std::string_view name,
                                           int program) {
    std::array<double, 128> semitones{}; // MIDI note numbers with fractions
    for (int key = 0; key < 128; ++key)
        semitones[static_cast<std::size_t>(key)] = key;
    for (int s = 1; s <= kStringCount; ++s) {
        const double hz = kReferenceHz * std::exp2(cents[static_cast<std::size_t>(s)] / 1200.0);
        semitones[static_cast<std::size_t>(stringKey(s))] = 69.0 + 12.0 * std::log2(hz / 440.0);
    }
    std::vector<std::uint8_t> out{0xF0, 0x7E, 0x7F,
                                  0x08, 0x01, static_cast<std::uint8_t>(program & 0x7F)};
    std::string title(name.substr(0, kTuningNameLength));
    title.resize(kTuningNameLength, ' ');
    for (char c : title)
        out.push_back(static_cast<std::uint8_t>(c) & 0x7F);
    for (const double note : semitones) {
        const double clamped = std::clamp(note, 0.0, 127.0 + 16383.0 / 16384.0);
        int semitone = static_cast<int>(std::floor(clamped));
        long fraction = std::lround((clamped - semitone) * 16384.0);
        if (fraction == 16384) {
            ++semitone;
            fraction = 0;
        }
        out.push_back(static_cast<std::uint8_t>(semitone));
        out.push_back(static_cast<std::uint8_t>(fraction >> 7));
        out.push_back(static_cast<std::uint8_t>(fraction & 0x7F));
    }
    std::uint8_t checksum = 0;
    for (std::size_t i = 1; i < out.size(); ++i)
        checksum ^= out[i];
    out.push_back(checksum & 0x7F);
    out.push_back(0xF7);
    return out;
}

} // namespace zembera::systems
