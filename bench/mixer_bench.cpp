// The real-time sound path: the cost of one device buffer with every voice sounding, against the
// buffer's own period, and the delay from a PlayImage call to the first sample of that image
// leaving the mixer when a thread renders at the device's pace.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "engine/audio_backend.h"
#include "engine/mixer.h"
#include "engine/sound_limits.h"
#include "samples/wav_header.h"
#include "sound/sound_service.h"

namespace zembera {
namespace {

using Clock = std::chrono::steady_clock;

constexpr double kPeriodSeconds = static_cast<double>(kDeviceBufferFrames) / kOutputRate;

// Ten seconds of noise: no voice ends while a benchmark runs, and no sum is trivial.
PcmSound noise(std::uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> value(-2000, 2000);
    auto samples = std::make_shared<std::vector<std::int16_t>>(10 * kOutputRate);
    for (auto& s : *samples)
        s = static_cast<std::int16_t>(value(random));
    const auto* data = reinterpret_cast<const std::uint8_t*>(samples->data());
    return PcmSound{samples, data, samples->size()};
}

SoundImagePtr imageOf(const std::vector<std::int16_t>& samples) {
    WavHeader header;
    BuildWavHeader(header, static_cast<std::int64_t>(samples.size()), 1, kOutputRate, 16);
    auto image = std::make_shared<SoundImage>();
    const auto head = headerBytes(header);
    image->assign(head.begin(), head.end());
    for (std::int16_t s : samples) {
        image->push_back(static_cast<std::uint8_t>(s));
        image->push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(s) >> 8));
    }
    return image;
}

// One 256-frame buffer with the memory channel and 26 aliases sounding; "rt_percent" is the
// render time as a percentage of the 5.8 ms the buffer lasts. Argument: device channels.
void BM_RenderAllStringsOneBuffer(benchmark::State& state) {
    const int channels = static_cast<int>(state.range(0));
    Mixer mixer;
    std::vector<PcmSound> sounds;
    for (std::uint32_t v = 0; v < 27; ++v)
        sounds.push_back(noise(v + 1));
    const auto startAll = [&] {
        for (std::size_t v = 0; v < 26; ++v)
            mixer.playAlias(v, sounds[v]);
        mixer.playMemory(sounds[26]);
        mixer.collectGarbage();
    };
    startAll();
    std::vector<std::int16_t> out(kDeviceBufferFrames * static_cast<std::size_t>(channels));
    std::size_t buffers = 0;
    const auto began = Clock::now();
    for (auto _ : state) {
        mixer.render(out.data(), kDeviceBufferFrames, channels);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
        if (++buffers == 1500) { // well before the 10 s sounds end
            state.PauseTiming();
            startAll();
            buffers = 0;
            state.ResumeTiming();
        }
    }
    // Wall time, as the device sees it; the rare restarts are included and negligible.
    const std::chrono::duration<double> spent = Clock::now() - began;
    state.counters["rt_percent"] =
        100.0 * spent.count() / static_cast<double>(state.iterations()) / kPeriodSeconds;
}
BENCHMARK(BM_RenderAllStringsOneBuffer)->Arg(1)->Arg(2);

// The worst buffer for the fades: before each one the memory channel and 26 aliases all start
// again, so the buffer applies 27 cuts and mixes 27 voices beside 27 or more dying away.
// "rt_percent" as above; the commands are sent outside the timing.
void BM_RenderAllStringsCutEveryBuffer(benchmark::State& state) {
    Mixer mixer;
    std::vector<PcmSound> sounds;
    for (std::uint32_t v = 0; v < 27; ++v)
        sounds.push_back(noise(v + 1));
    std::vector<std::int16_t> out(kDeviceBufferFrames);
    mixer.render(out.data(), kDeviceBufferFrames, 1);
    std::chrono::duration<double> spent{0};
    for (auto _ : state) {
        state.PauseTiming();
        for (std::size_t v = 0; v < 26; ++v)
            mixer.playAlias(v, sounds[v]);
        mixer.playMemory(sounds[26]);
        state.ResumeTiming();
        const auto began = Clock::now();
        mixer.render(out.data(), kDeviceBufferFrames, 1);
        spent += Clock::now() - began;
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.counters["rt_percent"] =
        100.0 * spent.count() / static_cast<double>(state.iterations()) / kPeriodSeconds;
}
BENCHMARK(BM_RenderAllStringsCutEveryBuffer);

// Time from PlayImage to the end of the render call that first puts out the image's first
// sample, with a thread rendering one buffer every 5.8 ms as the device would. Each call comes
// at a random moment of the period. Reported time is the mean; "max_ms" the worst case.
void BM_PlayImageToFirstSample(benchmark::State& state) {
    auto backend = std::make_unique<NullBackend>();
    NullBackend& output = *backend;
    SoundService sound(std::move(backend));
    constexpr std::int16_t kMarker = 12345;
    const SoundImagePtr image = imageOf(std::vector<std::int16_t>(64, kMarker));

    std::atomic<bool> running{true};
    std::atomic<bool> listening{false};
    std::atomic<Clock::rep> heardAt{0};
    const auto period =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(kPeriodSeconds));
    std::thread device([&] {
        std::vector<std::int16_t> buffer(kDeviceBufferFrames);
        auto next = Clock::now();
        while (running.load()) {
            output.render(buffer);
            const auto now = Clock::now();
            if (listening.load() &&
                std::find(buffer.begin(), buffer.end(), kMarker) != buffer.end()) {
                heardAt.store(now.time_since_epoch().count());
                listening.store(false);
            }
            next += period;
            std::this_thread::sleep_until(next);
        }
    });

    std::mt19937 random(7);
    std::uniform_int_distribution<int> phaseUs(0, static_cast<int>(kPeriodSeconds * 1e6));
    double worst = 0;
    for (auto _ : state) {
        // Let the previous note play out, then call at a random point of the period.
        std::this_thread::sleep_for(3 * period + std::chrono::microseconds(phaseUs(random)));
        heardAt.store(0);
        listening.store(true);
        const auto called = Clock::now();
        sound.PlayImage(image, kSndAsync);
        while (heardAt.load() == 0)
            std::this_thread::yield();
        const std::chrono::duration<double> latency =
            Clock::time_point(Clock::duration(heardAt.load())) - called;
        state.SetIterationTime(latency.count());
        worst = std::max(worst, latency.count());
    }
    running.store(false);
    device.join();
    state.counters["max_ms"] = worst * 1e3;
    state.counters["period_ms"] = kPeriodSeconds * 1e3;
}
BENCHMARK(BM_PlayImageToFirstSample)
    ->UseManualTime()
    ->Iterations(200)
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace zembera
