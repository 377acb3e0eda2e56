// The players' one clock under load: a piece of 1,000 onsets played by the note player through the
// window's sound, with a thread rendering the engine buffer by buffer at the device's pace, two
// threads keeping both processors busy and the UI thread stalling now and then as a busy window
// does. Each onset is a click (one loud frame) found again in the rendered sound: the goal is every
// onset on the frame it was scheduled for ("off_frame" 0, "worst_frames" 0). Then stops at random
// moments: the goal is the sound ending within one buffer of the device ("worst_buffers" 1 at
// most: the block rendered at the moment of the click, then the next begins the fade).

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <thread>
#include <vector>

#include "bench_setup.h"
#include "files/note_player.h"

namespace zembera {
namespace {

using bench::Clock;

constexpr std::size_t kBuffer = 256;
constexpr double kRate = 44100;
constexpr float kClick = 0.5F;

// An engine pulled by a thread of its own, a buffer every 5.8 ms, keeping what it rendered.
class PacedRender {
  public:
    explicit PacedRender(engine::Engine& engine) : engine_(engine) {
        out_.reserve(static_cast<std::size_t>(120 * kRate));
        thread_ = std::thread([this] { run(); });
    }
    ~PacedRender() {
        running_ = false;
        thread_.join();
    }
    std::vector<float> rendered() {
        const std::lock_guard lock(mutex_);
        return out_;
    }
    // Buffers rendered so far.
    long buffers() const { return buffers_.load(); }

  private:
    void run() {
        const auto period = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(kBuffer / kRate));
        auto next = Clock::now();
        float block[kBuffer];
        while (running_) {
            engine_.render(block, nullptr, kBuffer);
            {
                const std::lock_guard lock(mutex_);
                out_.insert(out_.end(), block, block + kBuffer);
            }
            ++buffers_;
            next += period;
            std::this_thread::sleep_until(next);
        }
    }
    engine::Engine& engine_;
    std::atomic<bool> running_{true};
    std::atomic<long> buffers_{0};
    std::mutex mutex_;
    std::vector<float> out_;
    std::thread thread_;
};

// Two threads that keep both processors busy while they live.
class Load {
  public:
    Load() {
        for (auto& t : threads_)
            t = std::thread([this] {
                while (running_)
                    benchmark::DoNotOptimize(spin_ += 1);
            });
    }
    ~Load() {
        running_ = false;
        for (auto& t : threads_)
            t.join();
    }

  private:
    std::atomic<bool> running_{true};
    std::atomic<long> spin_{0};
    std::thread threads_[2];
};

// The UI thread's loop: sleeps to each wake-up of the player, now and then stalls up to 30 ms.
void runUi(
    NotePlayer& player, std::optional<Clock::time_point>& wake, std::mt19937& random,
    const std::function<bool()>& more = [] { return true; }) {
    std::uniform_int_distribution<int> stall(0, 30000);
    int k = 0;
    while (player.playing() && more()) {
        if (wake) std::this_thread::sleep_until(*wake);
        if (++k % 7 == 0) { // a busy handler of the window
            const auto until = Clock::now() + std::chrono::microseconds(stall(random));
            while (Clock::now() < until) {
            }
        }
        wake.reset();
        player.tick();
    }
}

struct Rig {
    Rig() {
        auto click = std::make_shared<std::vector<float>>(200, 0.0F);
        (*click)[0] = kClick;
        program.emplace();
        sound = std::make_unique<PlatformSound>(engine, device, *program);
        engine.setMaxBlock(kBuffer);
        engine.setStringSample(1, {click, kRate, 262});
        auto tone = std::make_shared<std::vector<float>>(static_cast<std::size_t>(kRate), 0.3F);
        engine.setStringSample(2, {tone, kRate, 262});
        player = std::make_unique<NotePlayer>(
            TickSource{[this](double ms) {
                           wake = Clock::now() +
                                  std::chrono::microseconds(static_cast<long>(ms * 1000));
                       },
                       [this] { wake.reset(); }},
            *sound);
    }
    // A note of string s at its own pitch on the memory channel, on frame `at`.
    void start(int s, SoundFrame at) {
        sound->startNote(Voice::memoryChannel(), StringNote{s, 0, 0, Resampling::stepped}, at);
    }
    std::optional<LoadedProgram> program;
    engine::Engine engine;
    AudioDevice device; // the rendering thread below is the device
    std::unique_ptr<PlatformSound> sound;
    std::optional<Clock::time_point> wake;
    std::unique_ptr<NotePlayer> player;
};

void BM_ThousandOnsetsUnderLoadOnTheirFrames(benchmark::State& state) {
    for (auto _ : state) {
        Rig rig;
        std::mt19937 random(34);
        std::uniform_int_distribution<int> lengthMs(5, 15);
        NoteEvents piece;
        double at = 0;
        for (int k = 0; k < 1000; ++k) {
            piece.events.push_back(NoteEvent{at, 1, 0, false});
            at += lengthMs(random);
        }
        piece.endMs = at;
        PacedRender device(rig.engine);
        Load load;
        rig.player->play(listedNotes(
            piece, [&](std::size_t, SoundFrame f) { rig.start(1, f); }, [](std::size_t) {},
            [&](SoundFrame f) { rig.sound->endNote(Voice::memoryChannel(), f); },
            [&] { rig.sound->cancelScheduled(); }, [] {}));
        runUi(*rig.player, rig.wake, random);
        const SoundFrame start = rig.player->startFrame();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const std::vector<float> out = device.rendered();
        // Each click where the piece's clock puts it, counted from the first onset's frame.
        std::size_t off = 0;
        long long worst = 0;
        std::size_t found = 0;
        for (const NoteEvent& e : piece.events) {
            const SoundFrame expected = start + std::llround(e.onsetMs * kRate / 1000);
            long long best = 1 << 30;
            for (SoundFrame f = std::max<SoundFrame>(0, expected - 2000);
                 f < std::min<SoundFrame>(static_cast<SoundFrame>(out.size()), expected + 2000);
                 ++f)
                if (out[static_cast<std::size_t>(f)] == kClick &&
                    std::llabs(f - expected) < std::llabs(best))
                    best = f - expected;
            if (best == 1 << 30) continue;
            ++found;
            off += best != 0;
            worst = std::max(worst, std::llabs(best));
        }
        state.counters["onsets_found"] = static_cast<double>(found);
        state.counters["off_frame"] = static_cast<double>(off + (piece.events.size() - found));
        state.counters["worst_frames"] = static_cast<double>(worst);
    }
}
BENCHMARK(BM_ThousandOnsetsUnderLoadOnTheirFrames)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

// A stop clicked at a random moment while a long note sounds: the buffers the device renders
// after the click until the fade has begun.
void BM_StopUnderLoadWithinOneBuffer(benchmark::State& state) {
    Rig rig;
    PacedRender device(rig.engine);
    Load load;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> phaseUs(0, 50000);
    long worst = 0;
    double total = 0;
    for (auto _ : state) {
        NoteEvents piece;
        piece.events = {{0, 2, 0, false}};
        piece.endMs = 900;
        rig.player->play(listedNotes(
            piece, [&](std::size_t, SoundFrame f) { rig.start(2, f); }, [](std::size_t) {},
            [&](SoundFrame f) { rig.sound->endNote(Voice::memoryChannel(), f); },
            [&] {
                rig.sound->cancelScheduled();
                rig.sound->endNote(Voice::memoryChannel());
            },
            [] {}));
        const auto stopAt = Clock::now() + std::chrono::milliseconds(200) +
                            std::chrono::microseconds(phaseUs(random));
        runUi(*rig.player, rig.wake, random, [&] { return Clock::now() < stopAt; });
        std::this_thread::sleep_until(stopAt);
        const long before = device.buffers();
        const std::size_t clicked = static_cast<std::size_t>(rig.engine.renderedFrames());
        rig.player->stop();
        // The fade shows as the first frame below the note's level after the click.
        long buffers = -1;
        for (int wait = 0; wait < 200 && buffers < 0; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            const std::vector<float> out = device.rendered();
            for (std::size_t f = clicked; f < out.size(); ++f)
                if (out[f] < 0.29F) {
                    buffers = static_cast<long>(f / kBuffer) - static_cast<long>(clicked / kBuffer);
                    break;
                }
        }
        (void)before;
        state.SetIterationTime(static_cast<double>(std::max(buffers, 0L)) * kBuffer / kRate);
        worst = std::max(worst, buffers);
        total += static_cast<double>(buffers);
        std::this_thread::sleep_for(std::chrono::milliseconds(20)); // the fade dies away
    }
    state.counters["worst_buffers"] = static_cast<double>(worst);
    state.counters["mean_buffers"] = total / static_cast<double>(state.iterations());
}
BENCHMARK(BM_StopUnderLoadWithinOneBuffer)
    ->Iterations(30)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace zembera
