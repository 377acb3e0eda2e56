// Set-up shared by the benchmarks: the offscreen application and the loaded program folder.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <chrono>
#include <filesystem>
#include <memory>

#include "audio_device/audio_device.h"
#include "engine/engine.h"
#include "loader/startup_loader.h"
#include "model/sound_port.h"
#include "shell/platform_sound.h"

namespace zembera::bench {

// The window benchmarks run headless; one application serves them all.
inline void ensureOffscreenApplication() {
    static int argc = 1;
    static char name[] = "zembera_bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!QApplication::instance()) new QApplication(argc, argv);
}

// The program of `folder`, or null with the benchmark marked as skipped and the reason given.
inline std::unique_ptr<LoadedProgram>
loadOrSkip(benchmark::State& state, const std::filesystem::path& folder, MessageService& messages) {
    StartupResult result = loadProgram(folder, messages);
    if (result.fatal) state.SkipWithError(result.fatal->c_str());
    return std::move(result.program);
}

using Clock = std::chrono::steady_clock;

// The window's sound over an engine that nothing renders but the benchmark itself.
struct QuietSound {
    explicit QuietSound(const LoadedProgram& program) : sound(engine, device, program) {
        giveSamples(program, engine);
    }
    // The audio side takes what was sent and lets it go.
    void renderBlock() {
        float block[256];
        engine.render(block, nullptr, 256);
        sound.pump();
    }
    engine::Engine engine;
    AudioDevice device;
    PlatformSound sound;
};

// Passes every call on to the sound and notes when a start has been handed to it; a loop waiting
// for that start is ended.
class TimedSound : public SoundPort {
  public:
    explicit TimedSound(SoundPort& inner) : inner_(inner) {}
    bool startNote(Voice voice, const StringNote& note, std::optional<SoundFrame> at) override {
        const bool started = inner_.startNote(voice, note, at);
        reached = Clock::now();
        if (loop) loop->quit();
        return started;
    }
    void endNote(Voice voice, std::optional<SoundFrame> at) override { inner_.endNote(voice, at); }
    void cancelScheduled() override { inner_.cancelScheduled(); }
    void prepare(const StringNote& note) override { inner_.prepare(note); }
    SoundFrame playedFrame() override { return inner_.playedFrame(); }
    SoundFrame nextFrame() override { return inner_.nextFrame(); }
    double frameRate() const override { return inner_.frameRate(); }

    Clock::time_point reached;
    QEventLoop* loop = nullptr;

  private:
    SoundPort& inner_;
};

} // namespace zembera::bench
