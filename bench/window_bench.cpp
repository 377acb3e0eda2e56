// The window as the user meets it: from process start to the main window shown with all 26
// sounds prepared, and from a key event to its note entering the mixer.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "bench_setup.h"
#include "engine/audio_backend.h"
#include "shell/canvas_widget.h"
#include "shell/key_hook.h"
#include "shell/main_window.h"
#include "sound/sound_service.h"

namespace zembera {
namespace {

using Clock = std::chrono::steady_clock;

// Starts the real executable (offscreen, silent) and waits until it has shown its window and
// quit. Measures the whole process, start-up of the toolkit included.
void BM_ProcessStartToWindowShown(benchmark::State& state) {
    const std::string command = std::string("QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy "
                                            "ZEMBERA_QUIT_WHEN_SHOWN=1 ") +
                                ZEMBERA_PROGRAM_DIR + "/zembera >/dev/null 2>&1";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("the program did not start");
            return;
        }
    }
}
BENCHMARK(BM_ProcessStartToWindowShown)->Unit(benchmark::kMillisecond)->Iterations(10);

// Forwards to the service and notes when a note reaches it.
class TimedOutput : public SoundOutput {
  public:
    explicit TimedOutput(SoundService& service) : inner_(service) {}
    void PlayImage(const SoundImagePtr& image, std::uint32_t flags) override {
        reached = Clock::now();
        inner_.PlayImage(image, flags);
    }
    bool MciOpenPlay(const std::string& file, const std::string& alias) override {
        const bool opened = inner_.MciOpenPlay(file, alias);
        reached = Clock::now();
        return opened;
    }
    bool MciOpenPlayImage(const std::string& file, const std::string& alias,
                          const SoundImagePtr& content) override {
        const bool opened = inner_.MciOpenPlayImage(file, alias, content);
        reached = Clock::now();
        return opened;
    }
    void MciStopClose(const std::string& alias) override { inner_.MciStopClose(alias); }
    Clock::time_point reached;

  private:
    SoundService& inner_;
};

struct WindowRig {
    WindowRig() {
        bench::ensureOffscreenApplication();
        auto result = loadProgram(ZEMBERA_PROGRAM_DIR, messages);
        if (result.fatal) return;
        program = std::move(result.program);
        window = std::make_unique<MainWindow>(*program, output, messages);
        hook = std::make_unique<KeyHook>(
            window.get(), [this](int k) { window->player().Form_KeyDown(k); },
            [this](int k) { window->player().Form_KeyUp(k); });
        qApp->installEventFilter(hook.get());
        window->show();
        QApplication::processEvents();
    }
    ~WindowRig() { qApp->removeEventFilter(hook.get()); }

    RecordedMessages messages;
    SoundService service{std::make_unique<NullBackend>()};
    TimedOutput output{service};
    std::unique_ptr<LoadedProgram> program;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<KeyHook> hook;
};

// Up and Down alternately: each press selects a string, prepares its sound and plays it.
void BM_ArrowKeyToMixer(benchmark::State& state) {
    WindowRig rig;
    if (!rig.window) {
        state.SkipWithError("the bundled program folder did not load");
        return;
    }
    bool up = true;
    for (auto _ : state) {
        const auto pressed = Clock::now();
        QTest::keyPress(rig.window->windowHandle(), up ? Qt::Key_Up : Qt::Key_Down);
        state.SetIterationTime(std::chrono::duration<double>(rig.output.reached - pressed).count());
        QTest::keyRelease(rig.window->windowHandle(), up ? Qt::Key_Up : Qt::Key_Down);
        rig.service.pump();
        up = !up;
    }
}
BENCHMARK(BM_ArrowKeyToMixer)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The first press of every letter key in a session, right after start-up, from the key-down to
// the voice entering the mixer: each key once, Q to M. Reports the slowest press too.
void BM_FirstLetterKeyPressToMixer(benchmark::State& state) {
    double slowest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        WindowRig rig; // a new session: every key's first press is still to come
        if (!rig.window) {
            state.SkipWithError("the bundled program folder did not load");
            return;
        }
        double total = 0;
        for (const char* key = "QWERTYUIOPASDFGHJKLZXCVBNM"; *key; ++key) {
            const auto code = static_cast<Qt::Key>(*key);
            const auto pressed = Clock::now();
            QTest::keyPress(rig.window->windowHandle(), code);
            const double took = std::chrono::duration<double>(rig.output.reached - pressed).count();
            total += took;
            slowest = std::max(slowest, took);
            QTest::keyRelease(rig.window->windowHandle(), code);
            rig.service.pump();
        }
        state.SetIterationTime(total / 26);
        state.ResumeTiming();
    }
    state.counters["slowest_us"] = slowest * 1e6;
}
BENCHMARK(BM_FirstLetterKeyPressToMixer)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(5);

// A letter key after the string's pitch changed: the scratch file is not up to date yet.
void BM_LetterKeyToMixer(benchmark::State& state) {
    WindowRig rig;
    if (!rig.window) {
        state.SkipWithError("the bundled program folder did not load");
        return;
    }
    InstrumentState& st = rig.program->instrument;
    for (auto _ : state) {
        state.PauseTiming();
        st.currentString = 12;
        st.mandalPos[12] = static_cast<std::int16_t>(st.mandalPos[12] == 0 ? 1 : 0);
        rig.window->player().soundString(12);
        state.ResumeTiming();
        const auto pressed = Clock::now();
        QTest::keyPress(rig.window->windowHandle(), Qt::Key_S);
        state.SetIterationTime(std::chrono::duration<double>(rig.output.reached - pressed).count());
        QTest::keyRelease(rig.window->windowHandle(), Qt::Key_S);
        // The release ends the note only once no repeat press can follow it.
        QTest::qWait(2 * KeyHook::kReleaseSettleMs);
        rig.service.pump();
    }
}
BENCHMARK(BM_LetterKeyToMixer)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace zembera
