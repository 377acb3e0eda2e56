// How close the replay keeps to its schedule over 1,000 notes on the real clock: the onset of note
// k belongs at the first onset plus the durations of the notes before it. Every note goes through
// the real sound path: its sample file is read and patched, the image decoded by the sound
// service, and a thread mixes the output at the pace of a device (one 256-frame buffer every
// 5.8 ms). An onset is taken when the sound has been handed to the mixer.
//   BM_ReplayNoteTiming: the replay alone, on the note player woken by the window's precise
//   single-shot timer of this thread (a QCoreApplication's event loop).
//   BM_WindowReplayNoteTiming: the real window (offscreen), drawing every note and handling its
//   events while the notes sound.
//   BM_WindowStopPauseLatency: a melody of short notes plays in the real window while clicks on
//   the pause button (the message returns at once, the melody goes on) and finally the start/stop
//   button are queued as mouse events every 37 ms; the latency runs from a click's queuing to the
//   cut of the sound. Counters: pause_worst_ms, pause_mean_ms, stop_ms.
// Counters: onset_worst_ms and onset_mean_ms (distance from the schedule), onset_signed_mean_ms
// (positive when late), onsets_over_5ms (how many of the 1,000), end_late_ms (the stop of the last
// note after its nominal end). On a loaded machine the thread's wake-ups dominate; `chrt -f 10`
// shows the loop itself. Argument: the
// shortest duration in ms.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <thread>

#include "bench_setup.h"
#include "engine/audio_backend.h"
#include "engine/sound_limits.h"
#include "files/record_file.h"
#include "files/record_handlers.h"
#include "shell/main_window.h"
#include "shell/note_timer.h"
#include "sound/sound_service.h"

namespace zembera {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kNotes = 1000;

double msSince(Clock::time_point origin, Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(t - origin).count();
}

// Notes when each replayed sound has been handed to the mixer and when it is stopped.
class TimedReplayOutput : public SoundOutput {
  public:
    explicit TimedReplayOutput(SoundOutput& inner) : inner_(inner) {}
    void PlayImage(const SoundImagePtr& image, std::uint32_t flags) override {
        inner_.PlayImage(image, flags);
    }
    bool MciOpenPlay(const std::string& file, const std::string& alias) override {
        return inner_.MciOpenPlay(file, alias);
    }
    void MciStopClose(const std::string& alias) override { inner_.MciStopClose(alias); }
    void PlayPatchedSample(const PatchedSampleSource& source, int s, int m) override {
        inner_.PlayPatchedSample(source, s, m);
        onsets.push_back(Clock::now());
    }
    PreparedNote PreparePatchedSample(const PatchedSampleSource& source, int s, int m) override {
        return inner_.PreparePatchedSample(source, s, m);
    }
    void PlayPrepared(const PatchedSampleSource& source, const PreparedNote& note) override {
        inner_.PlayPrepared(source, note);
        onsets.push_back(Clock::now());
    }
    void StopAllSound() override {
        inner_.StopAllSound();
        stops.push_back(Clock::now());
    }
    std::vector<Clock::time_point> onsets, stops;

  private:
    SoundOutput& inner_;
};

// The real sound service over a null backend that a thread pulls at the pace of a device.
class PacedSound {
  public:
    PacedSound() {
        auto backend = std::make_unique<NullBackend>();
        backend_ = backend.get();
        service = std::make_unique<SoundService>(std::move(backend));
        device_ = std::thread([this] {
            std::vector<std::int16_t> buffer(kDeviceBufferFrames);
            const auto period = std::chrono::duration_cast<Clock::duration>(
                std::chrono::duration<double>(double(kDeviceBufferFrames) / kOutputRate));
            auto next = Clock::now();
            while (running_) {
                backend_->render(buffer);
                next += period;
                std::this_thread::sleep_until(next);
            }
        });
    }
    ~PacedSound() {
        running_ = false;
        device_.join();
    }
    std::unique_ptr<SoundService> service;

  private:
    NullBackend* backend_ = nullptr;
    std::atomic<bool> running_{true};
    std::thread device_;
};

class NoControls : public FilesView {
  public:
    std::string makamName() const override { return {}; }
    void setMakamName(const std::string&) override {}
    void showMakamList() override {}
    void hideMakamList() override {}
    void refreshMakamList() override {}
    bool settingSwitchSelected(int) const override { return false; }
    void selectSetting(int) override {}
    bool pitchLevelSelected(int) const override { return false; }
    void selectPitchLevel(int) override {}
    void setDegreeShift(int) override {}
    void setButtonEnabled(RecordButton, bool) override {}
    void setRecordLamp(bool) override {}
    void setReplayLamp(bool) override {}
    int replayModeIndex() const override { return 1; }
    std::string melodyName() const override { return {}; }
    void setMelodyName(const std::string&) override {}
    void showMelodyList() override {}
    void hideMelodyList() override {}
    void setStartStopCaption(const std::string&) override {}
    void showCounter(const std::string&) override {}
    void blankCounter() override {}
    int melodyModeIndex() const override { return 1; }
    int tempo() const override { return 40; } // the tempo bar's starting value
    void setFrameEnabled(WindowFrame, bool) override {}
    void focusInstrument() override {}
};

// Durations from `shortestMs` to twice that, on strings 8..19 at mandal 0.
std::vector<int> writeRecording(const std::filesystem::path& file, int shortestMs) {
    std::ofstream out(file, std::ios::binary);
    std::vector<int> durations;
    for (int k = 0; k < kNotes; ++k) {
        durations.push_back(shortestMs + (k * 7) % (shortestMs + 1));
        out << recordLine(8 + k % 12, 0, durations.back());
    }
    return durations;
}

// Sets the counters from the timestamps of one replay.
void report(benchmark::State& state, const TimedReplayOutput& out,
            const std::vector<int>& durations) {
    if (out.onsets.size() != durations.size() || out.stops.empty()) {
        state.SkipWithError("the replay did not sound every note");
        return;
    }
    double nominal = 0, worst = 0, sum = 0;
    int over5 = 0;
    double signedSum = 0;
    for (std::size_t k = 0; k < durations.size(); ++k) {
        const double signedError = msSince(out.onsets[0], out.onsets[k]) - nominal;
        const double error = std::abs(signedError);
        signedSum += signedError;
        worst = std::max(worst, error);
        sum += error;
        over5 += error > 5.0;
        nominal += durations[k];
    }
    state.counters["onset_worst_ms"] = worst;
    state.counters["onset_mean_ms"] = sum / static_cast<double>(durations.size());
    state.counters["onsets_over_5ms"] = over5;
    state.counters["onset_signed_mean_ms"] = signedSum / static_cast<double>(durations.size());
    state.counters["end_late_ms"] = msSince(out.onsets[0], out.stops.back()) - nominal;
}

// A copy of the bundled program folder, so that the replay's kayıt.txt stays out of it.
std::filesystem::path copyProgramFolder(const char* name) {
    const auto to = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(to);
    std::filesystem::create_directories(to);
    const std::filesystem::path from = ZEMBERA_PROGRAM_DIR;
    std::filesystem::copy_file(from / "Dizek.txt", to / "Dizek.txt");
    if (std::filesystem::exists(from / "glyphs.png"))
        std::filesystem::copy_file(from / "glyphs.png", to / "glyphs.png");
    std::filesystem::copy(from / "wavs", to / "wavs", std::filesystem::copy_options::recursive);
    std::filesystem::remove(to / "wavs" / "kayıt.txt");
    return to;
}

// Lets the event loop run until `done`.
template <typename Done> void runUntil(Done done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void BM_ReplayNoteTiming(benchmark::State& state) {
    bench::ensureOffscreenApplication();
    const auto folder = copyProgramFolder("zembera_replay_bench");
    RecordedMessages messages;
    const auto loaded = bench::loadOrSkip(state, folder, messages);
    if (!loaded) return;
    LoadedProgram& program = *loaded;
    PacedSound paced;
    TimedReplayOutput out(*paced.service);
    SilentInstrumentView view;
    NoControls controls;
    std::unique_ptr<NotePlayer> player;
    NoteTimer timer([&] { player->tick(); });
    player = std::make_unique<NotePlayer>(timer.source(), 20);
    FilesParts parts{program.instrument,
                     program.tuning,
                     program.recording,
                     view,
                     controls,
                     out,
                     PatchedSampleSource{program.sampleFolder, program.samples.sampleFileName,
                                         program.tables, program.tuning.tuningOffset},
                     messages,
                     program.programFolder,
                     program.sampleFolder,
                     *player};
    RecordHandlers handlers(parts);
    const auto durations =
        writeRecording(handlers.recordFilePath(), static_cast<int>(state.range(0)));
    for (auto _ : state) {
        out.onsets.clear();
        out.stops.clear();
        handlers.Play_buton_Click();
        runUntil([&] { return !program.instrument.playingBack; });
    }
    report(state, out, durations);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ReplayNoteTiming)->Arg(5)->Arg(20)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_WindowReplayNoteTiming(benchmark::State& state) {
    bench::ensureOffscreenApplication();
    const auto folder = copyProgramFolder("zembera_replay_window_bench");
    RecordedMessages messages;
    auto result = loadProgram(folder, messages);
    if (result.fatal) {
        state.SkipWithError("the bundled program folder did not load");
        return;
    }
    PacedSound paced;
    TimedReplayOutput out(*paced.service);
    std::vector<int> durations;
    {
        MainWindow window(*result.program, out, messages);
        window.show();
        QApplication::processEvents();
        durations = writeRecording(result.program->sampleFolder / "kayıt.txt",
                                   static_cast<int>(state.range(0)));
        for (auto _ : state) {
            out.onsets.clear();
            out.stops.clear();
            QTest::mouseClick(window.Play_buton, Qt::LeftButton);
            runUntil([&] { return !result.program->instrument.playingBack; });
        }
    }
    report(state, out, durations);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_WindowReplayNoteTiming)->Arg(5)->Arg(20)->Iterations(1)->Unit(benchmark::kMillisecond);

// Queues a left click on `button` as the window system would deliver it.
void queueClick(QPushButton* button) {
    const QPointF at(6, 8);
    const QPointF global = button->mapToGlobal(at);
    QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonPress, at, global,
                                                        Qt::LeftButton, Qt::LeftButton, {}));
    QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonRelease, at, global,
                                                        Qt::LeftButton, Qt::NoButton, {}));
}

// Notes when the pause's message is shown: the sound is cut just before it.
class TimedMessages : public RecordedMessages {
  public:
    void show(const std::string& text) override {
        RecordedMessages::show(text);
        if (text == kPaused) pausedAt.push_back(Clock::now());
    }
    std::vector<Clock::time_point> pausedAt;
};

void BM_WindowStopPauseLatency(benchmark::State& state) {
    bench::ensureOffscreenApplication();
    const auto folder = copyProgramFolder("zembera_stop_pause_bench");
    TimedMessages messages;
    auto result = loadProgram(folder, messages);
    if (result.fatal) {
        state.SkipWithError("the bundled program folder did not load");
        return;
    }
    PacedSound paced;
    TimedReplayOutput out(*paced.service);
    double pauseWorst = 0, pauseSum = 0, stopWorst = 0;
    int pauses = 0;
    {
        MainWindow window(*result.program, out, messages);
        window.show();
        QApplication::processEvents();
        {
            std::ofstream rec(result.program->sampleFolder / "kayıt.txt", std::ios::binary);
            for (int k = 0; k < 2000; ++k)
                rec << recordLine(8 + k % 12, 0, 20 + (k * 7) % 30);
        }
        // A melody of sixteenths, about 50 ms each at the fastest tempo.
        {
            std::ofstream melody(folder / "hizli.ses", std::ios::binary);
            for (int k = 0; k < 600; ++k)
                melody << "0," << 7 + k % 12 << ",5,0,0,0,0,0,0,0\r\n";
        }
        window.tempoBar->setValue(30);
        window.melodyNameBox->setText(QStringLiteral("hizli"));
        for (auto _ : state) {
            // A replay paused 20 times and stopped, then a melody stopped by its start/stop
            // button.
            for (QPushButton* start : {window.Play_buton, window.aç_kapa_buton}) {
                QPushButton* stop = start == window.Play_buton ? window.stop_buton : start;
                const int pauseClicks = start == window.Play_buton ? 20 : 0;
                QTest::mouseClick(start, Qt::LeftButton);
                QTimer clicker;
                clicker.setInterval(37);
                int clicks = 0;
                Clock::time_point stopQueued;
                QObject::connect(&clicker, &QTimer::timeout, [&] {
                    if (++clicks <= pauseClicks) {
                        const auto queued = Clock::now();
                        messages.pausedAt.clear();
                        queueClick(window.pause_buton);
                        // Timed as the next click comes: the message is shown by then.
                        QTimer::singleShot(30, &clicker, [&, queued] {
                            if (messages.pausedAt.empty()) return;
                            const double latency = msSince(queued, messages.pausedAt.front());
                            pauseWorst = std::max(pauseWorst, latency);
                            pauseSum += latency;
                            ++pauses;
                        });
                    } else {
                        stopQueued = Clock::now();
                        queueClick(stop);
                        clicker.stop();
                    }
                });
                clicker.start();
                runUntil([&] { return !result.program->instrument.playingBack; });
                clicker.stop();
                if (out.stops.empty() || stopQueued == Clock::time_point{}) {
                    state.SkipWithError("the piece ended before its stop");
                    break;
                }
                stopWorst = std::max(stopWorst, msSince(stopQueued, out.stops.back()));
            }
        }
    }
    state.counters["pause_worst_ms"] = pauseWorst;
    state.counters["pause_mean_ms"] = pauses ? pauseSum / pauses : 0;
    state.counters["pauses_timed"] = pauses;
    state.counters["stop_worst_ms"] = stopWorst;
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_WindowStopPauseLatency)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace zembera
