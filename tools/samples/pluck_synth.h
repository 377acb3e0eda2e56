#pragma once
// Additive synthesis of one plucked kanun course: three strings tuned a hair apart, plucked
// together near the bridge. Every partial is an exact multiple of its string's frequency, so the
// course sounds at exactly the frequency asked for.

#include <cstdint>
#include <vector>

namespace zembera::samples {

constexpr int kSampleRate = 44100; // samples per second
constexpr double kLongestSeconds = 4.0;

// How long the sample of a course at `frequencyHz` lasts: low courses ring longer.
double sampleSeconds(double frequencyHz);

// The 16-bit mono samples of a course at `frequencyHz` (the mean of its three strings), peak
// normalized to -3 dBFS, faded to 0 over the last 50 ms. The same frequency gives the same
// samples on every run.
std::vector<std::int16_t> synthesizeCourse(double frequencyHz);

} // namespace zembera::samples
