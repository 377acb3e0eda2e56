#pragma once
// A note made ready to sound, and how a string's sample becomes one.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace zembera::engine {

// How a string's sample is brought to a note's pitch.
enum class Resampling : std::uint8_t {
    // Each frame repeats the sample frame at or before its place, with no interpolation, for at
    // most 10 seconds; at the sample's own pitch the whole sample as it is. The strings as the keys
    // and the mouse play them.
    stepped,
    // The sample played at a whole-hertz rate (its rate times the pitch ratio, rounded) with linear
    // interpolation, for at most 60 seconds. The players' notes and the black keys of a keyboard.
    interpolated,
};

// The whole-hertz rate an interpolated note of `cents` above C4 (262 Hz) plays a sample that sounds
// `nominalHz` at: round(44100 * targetHz / nominalHz), the cents taken in single precision; 0 when
// there is none (the note stays silent). Its frames step through the sample by rate / 44100.
std::uint32_t playRateOf(double nominalHz, double cents);

// 16-bit mono frames at the engine's rate. Immutable once made: every voice playing it shares it,
// and it lives as long as the last one.
struct Note {
    std::shared_ptr<const std::int16_t[]> frames; // null: a note that stays silent
    std::size_t count = 0;

    bool silent() const { return frames == nullptr || count == 0; }
    std::span<const std::int16_t> samples() const { return {frames.get(), count}; }
};

} // namespace zembera::engine
