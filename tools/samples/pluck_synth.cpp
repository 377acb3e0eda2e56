#include "samples/pluck_synth.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace zembera::samples {
namespace {

constexpr double kPi = std::numbers::pi;

// Length: from 4 s at the lowest course (A2, 110 Hz) down to 2.5 s at the top (E6, 1320 Hz).
constexpr double kLowHz = 110.0;
constexpr double kHighHz = 1320.0;
constexpr double kShortestSeconds = 2.5;

constexpr double kTopPartialHz = 18000.0; // partials above are left out
constexpr double kEndLevelDb = -36.0;     // level of the fundamental when the sample ends
constexpr double kFadeSeconds = 0.050;    // fade to silence at the end
constexpr double kAttackSeconds = 0.0004; // the plectrum leaves the string
constexpr double kPeak = 23197.0;         // -3 dBFS of 32767

// Higher partials lose energy faster: extra decay rate in 1/s per Hz and per Hz^2 above the
// fundamental.
constexpr double kDecayPerHz = 0.6e-3;
constexpr double kDecayPerHz2 = 0.3e-6;

// The bright attack: high partials start louder and fall back within a few ms.
constexpr double kTransientGain = 1.5;
constexpr double kTransientCornerHz = 2000.0;
constexpr double kTransientSeconds = 0.005;

constexpr double kPluckPosition = 1.0 / 9.0; // fraction of the string length from the bridge
constexpr double kPlectrumCornerHz = 4000.0; // the plectrum's width softens the top
constexpr double kSpectralSlope = 1.0;       // partial k starts at sin(pi k beta) / k^slope

// The three strings of a course: tuning in cents (their frequencies average exactly the
// course's), loudness, pluck position and decay relative to the middle string. The outer strings
// are quieter, so their slow beating colours the sound without pulling it to silence.
struct CourseString {
    double cents;
    double gain;
    double pluck;
    double decay;
};
constexpr std::array<CourseString, 3> kCourse{{
    {-0.7, 0.35, 0.97, 1.04},
    {0.0, 1.00, 1.00, 1.00},
    {+0.7, 0.30, 1.03, 0.96},
}};

// Resonances of the body and of the skin under the bridge: centre, quality, added gain.
struct Resonance {
    double hz;
    double q;
    double gain;
};
constexpr std::array<Resonance, 2> kBody{{{260.0, 3.0, 0.8}, {2600.0, 2.0, 0.4}}};

// The knock of the body at the moment of the pluck: short damped tones at its lowest modes,
// relative to the loudness of the strings' fundamental.
constexpr std::array<double, 2> kKnockHz{180.0, 410.0};
constexpr double kKnockGain = 0.25;
constexpr double kKnockSeconds = 0.012;

// The soundboard carries high frequencies faster than low ones (bending waves): partial f reaches
// the listener after kBoardDelaySeconds * sqrt(kBoardDelayHz / f), which spreads the pulse that
// the string gives the bridge into a rounder wave.
constexpr double kBoardDelaySeconds = 0.001;
constexpr double kBoardDelayHz = 1000.0;

// Amplitude below which a partial is no longer rendered; the fundamental starts near 0.3, and
// one step of the 16-bit output is about 1e-5 of the peak.
constexpr double kSilence = 1e-7;
constexpr int kReanchorSamples = 1024; // the rotating phasor is recomputed exactly this often

double bodyGain(double hz) {
    double g = 1.0;
    for (const Resonance& r : kBody) {
        const double detune = r.q * (hz / r.hz - r.hz / hz);
        g += r.gain / (1.0 + detune * detune);
    }
    return g;
}

// Phase of partial `hz` after the soundboard: the integral of its group delay over frequency.
double boardPhase(double hz) {
    return -4.0 * kPi * kBoardDelaySeconds * std::sqrt(kBoardDelayHz * hz);
}

// Adds amp * e^(-decay t) * cos(2 pi hz t + phase0) to `out` until it falls below kSilence. The
// phasor turns by one multiplication per sample and is reset from the exact formula every
// kReanchorSamples, so rounding never builds up.
void addDampedCosine(std::vector<double>& out, double hz, double amp, double decay, double phase0) {
    if (std::abs(amp) <= kSilence) return;
    const double audible = std::log(std::abs(amp) / kSilence) / decay * kSampleRate;
    const std::size_t end = std::min(out.size(), static_cast<std::size_t>(audible) + 1);
    const double w = 2.0 * kPi * hz / kSampleRate;
    const double step = std::exp(-decay / kSampleRate);
    const double rc = step * std::cos(w);
    const double rs = step * std::sin(w);
    double x = 0.0;
    double y = 0.0;
    for (std::size_t n = 0; n < end; ++n) {
        if (n % kReanchorSamples == 0) {
            const double t = static_cast<double>(n) / kSampleRate;
            const double envelope = amp * std::exp(-decay * t);
            const double cycles = hz * static_cast<double>(n) / kSampleRate;
            const double phase = 2.0 * kPi * (cycles - std::floor(cycles)) + phase0;
            x = envelope * std::cos(phase);
            y = envelope * std::sin(phase);
        }
        out[n] += x;
        const double nx = x * rc - y * rs;
        y = x * rs + y * rc;
        x = nx;
    }
}

} // namespace

double sampleSeconds(double frequencyHz) {
    const double t =
        std::clamp(std::log2(frequencyHz / kLowHz) / std::log2(kHighHz / kLowHz), 0.0, 1.0);
    return kLongestSeconds + t * (kShortestSeconds - kLongestSeconds);
}

std::vector<std::int16_t> synthesizeCourse(double frequencyHz) {
    if (!(frequencyHz > 20.0 && frequencyHz < kTopPartialHz)) {
        throw std::invalid_argument("frequency outside the audible range");
    }
    const double seconds = sampleSeconds(frequencyHz);
    std::vector<double> sound(static_cast<std::size_t>(std::lround(seconds * kSampleRate)), 0.0);

    const double fundamentalDecay = -kEndLevelDb / (20.0 * std::log10(std::exp(1.0))) / seconds;

    for (const CourseString& cs : kCourse) {
        // The outer strings lie the same number of hertz below and above, so the three average
        // exactly the course's frequency.
        const double offset = std::copysign(std::exp2(std::abs(cs.cents) / 1200.0) - 1.0, cs.cents);
        const double f = frequencyHz * (1.0 + offset);
        const double beta = kPluckPosition * cs.pluck;
        for (int k = 1; k * f < kTopPartialHz; ++k) {
            const double fk = k * f;
            const double plectrum =
                1.0 / (1.0 + (fk / kPlectrumCornerHz) * (fk / kPlectrumCornerHz));
            const double amp = cs.gain * std::sin(kPi * k * beta) / std::pow(k, kSpectralSlope) *
                               plectrum * bodyGain(fk);
            const double decay = cs.decay * (fundamentalDecay + kDecayPerHz * (fk - f) +
                                             kDecayPerHz2 * (fk * fk - f * f));
            const double phase = boardPhase(fk);
            addDampedCosine(sound, fk, amp, decay, phase);
            const double bright =
                kTransientGain * fk * fk / (fk * fk + kTransientCornerHz * kTransientCornerHz);
            addDampedCosine(sound, fk, amp * bright, 1.0 / kTransientSeconds, phase);
        }
    }

    // The knock starts at zero (a sine) so it adds no click of its own.
    const double knock = kKnockGain * std::sin(kPi * kPluckPosition);
    const std::size_t knockLength = std::min(sound.size(), std::size_t{kSampleRate / 5});
    for (const double hz : kKnockHz) {
        for (std::size_t n = 0; n < knockLength; ++n) {
            const double t = static_cast<double>(n) / kSampleRate;
            sound[n] += knock * std::exp(-t / kKnockSeconds) * std::sin(2.0 * kPi * hz * t);
        }
    }

    const std::size_t attack = static_cast<std::size_t>(kAttackSeconds * kSampleRate);
    for (std::size_t n = 0; n < attack && n < sound.size(); ++n) {
        sound[n] *= 0.5 - 0.5 * std::cos(kPi * static_cast<double>(n) / attack);
    }
    const std::size_t fade =
        std::min(sound.size(), static_cast<std::size_t>(kFadeSeconds * kSampleRate));
    for (std::size_t i = 0; i < fade; ++i) {
        // i counts back from the last sample, which becomes exactly 0.
        sound[sound.size() - 1 - i] *= static_cast<double>(i) / fade;
    }

    double peak = 0.0;
    for (const double v : sound)
        peak = std::max(peak, std::abs(v));
    const double scale = peak > 0.0 ? kPeak / peak : 0.0;
    std::vector<std::int16_t> pcm(sound.size());
    for (std::size_t n = 0; n < sound.size(); ++n) {
        pcm[n] = static_cast<std::int16_t>(std::lround(sound[n] * scale));
    }
    return pcm;
}

} // namespace zembera::samples
