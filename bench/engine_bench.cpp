// The engine's real-time path and its note making, against the goals: one block of 128 frames at
// 48 kHz with a note on every one of the 26 strings' voices in under 1 % of the 2.67 ms the block
// lasts ("percent_of_block"), and a note made in at most twice the time of a plain copy of its
// frames ("times_copy").

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "engine/engine.h"

namespace zembera {
namespace {

using Clock = std::chrono::steady_clock;
using engine::Engine;
using engine::VoiceId;

constexpr double kRate = 48000;
constexpr std::size_t kBlock = 128;

// Thirty seconds of noise as each string's sample, sounding 262 Hz: a note at 0 cents is the
// sample as it is, so no voice ends while a benchmark runs and no sum is trivial.
void giveNoise(Engine& e, double rate) {
    for (int s = 1; s <= 26; ++s) {
        std::mt19937 random(static_cast<std::uint32_t>(s));
        std::uniform_real_distribution<float> value(-0.06F, 0.06F);
        auto frames = std::make_shared<std::vector<float>>(static_cast<std::size_t>(30 * rate));
        for (float& v : *frames)
            v = value(random);
        e.setStringSample(s, {frames, rate, 262});
    }
}

double percentOfBlock(double seconds, std::int64_t blocks) {
    return 100.0 * seconds / static_cast<double>(blocks) / (kBlock / kRate);
}

void BM_Render26VoicesOneBlockAt48k(benchmark::State& state) {
    Engine e;
    e.setSampleRate(kRate);
    e.setMaxBlock(kBlock);
    giveNoise(e, kRate);
    const auto startAll = [&] {
        for (int s = 1; s <= 26; ++s)
            e.startNote(VoiceId::string(s), e.prepareNote(s, 0, engine::Resampling::stepped));
    };
    startAll();
    std::vector<float> left(kBlock), right(kBlock);
    std::int64_t blocks = 0;
    std::chrono::duration<double> spent{0};
    for (auto _ : state) {
        const auto began = Clock::now();
        e.render(left.data(), right.data(), kBlock);
        spent += Clock::now() - began;
        benchmark::DoNotOptimize(left.data());
        benchmark::ClobberMemory();
        if (++blocks % 10000 == 0) { // well before the 30 s notes end
            state.PauseTiming();
            e.collect();
            startAll();
            state.ResumeTiming();
        }
    }
    state.counters["percent_of_block"] = percentOfBlock(spent.count(), state.iterations());
}
BENCHMARK(BM_Render26VoicesOneBlockAt48k);

// The worst block for the fades: before each one the 26 voices all start again, so the block
// applies 26 cuts, each at a frame of its own, and mixes 26 voices beside 26 dying away. The
// starts are sent outside the timing.
void BM_Render26VoicesCutWithinEveryBlockAt48k(benchmark::State& state) {
    Engine e;
    e.setSampleRate(kRate);
    giveNoise(e, kRate);
    std::vector<engine::Note> notes;
    for (int s = 1; s <= 26; ++s)
        notes.push_back(e.prepareNote(s, 0, engine::Resampling::stepped));
    std::vector<float> left(kBlock), right(kBlock);
    e.render(left.data(), right.data(), kBlock);
    std::chrono::duration<double> spent{0};
    for (auto _ : state) {
        state.PauseTiming();
        for (int s = 1; s <= 26; ++s)
            e.startNote(VoiceId::string(s), notes[static_cast<std::size_t>(s - 1)], 1,
                        static_cast<std::uint32_t>(s * 4));
        state.ResumeTiming();
        const auto began = Clock::now();
        e.render(left.data(), right.data(), kBlock);
        spent += Clock::now() - began;
        benchmark::DoNotOptimize(left.data());
        benchmark::ClobberMemory();
    }
    state.counters["percent_of_block"] = percentOfBlock(spent.count(), state.iterations());
}
BENCHMARK(BM_Render26VoicesCutWithinEveryBlockAt48k);

// A 10-second note made from a long sample, rising (the sample at 100 Hz), falling (500 Hz) and
// interpolated, each time a pitch not made before; beside it, a plain copy of as many frames into
// a new buffer. Counters: make_us, copy_us and times_copy (the goal: at most 2).
void prepareAgainstCopy(benchmark::State& state, double sampleHz, engine::Resampling how) {
    Engine e;
    auto frames = std::make_shared<std::vector<float>>(30 * 44100);
    for (std::size_t i = 0; i < frames->size(); ++i)
        (*frames)[i] = static_cast<float>(static_cast<std::int16_t>(i * 2654435761u >> 16)) / 32768;
    e.setStringSample(1, {frames, 44100, sampleHz});
    std::chrono::duration<double> making{0}, copying{0};
    int round = 0;
    std::size_t count = 0;
    for (auto _ : state) {
        // A pitch a thousandth of a cent off the last: never one the engine has kept.
        const double cents = 1e-3 * (++round % 1000);
        const auto began = Clock::now();
        const engine::Note note = e.prepareNote(1, cents, how);
        const auto made = Clock::now();
        auto copy = std::make_shared_for_overwrite<std::int16_t[]>(note.count);
        std::memcpy(copy.get(), note.frames.get(), 2 * note.count);
        const auto copied = Clock::now();
        benchmark::DoNotOptimize(copy.get());
        benchmark::ClobberMemory();
        making += made - began;
        copying += copied - made;
        count = note.count;
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["frames"] = static_cast<double>(count);
    state.counters["make_us"] = making.count() / n * 1e6;
    state.counters["copy_us"] = copying.count() / n * 1e6;
    state.counters["times_copy"] = making.count() / copying.count();
}
void BM_MakeRisingSteppedNote10s(benchmark::State& state) {
    prepareAgainstCopy(state, 100, engine::Resampling::stepped);
}
void BM_MakeFallingSteppedNote10s(benchmark::State& state) {
    prepareAgainstCopy(state, 500, engine::Resampling::stepped);
}
void BM_MakeInterpolatedNote(benchmark::State& state) {
    prepareAgainstCopy(state, 200, engine::Resampling::interpolated);
}
BENCHMARK(BM_MakeRisingSteppedNote10s)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MakeFallingSteppedNote10s)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MakeInterpolatedNote)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace zembera
