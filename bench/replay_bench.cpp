// How long a replayed note really sounds on the real clock, against the duration recorded for it:
// the error of the sound's length (start of the sound to its stop) and the extra time from one
// note's start to the next (the redraw and the event round between notes).
//   BM_ReplayNoteTiming: the replay loop alone, with the thread sleep of the program.
//   BM_WindowReplayNoteTiming: the real window (offscreen), drawing every note and repainting
//   while it sounds, over the real sound service with a silent backend.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "files/record_file.h"
#include "files/record_handlers.h"
#include "shell/main_window.h"
#include "shell/sound_output_adapter.h"
#include "sound/audio_backend.h"
#include "sound/sound_service.h"

namespace zembera {
namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point origin, Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(t - origin).count();
}

// Notes when each replayed sound starts and stops; forwards to `inner` when there is one.
class TimedReplayOutput : public SoundOutput {
  public:
    explicit TimedReplayOutput(SoundOutput* inner = nullptr) : inner_(inner) {}
    void PlayImage(const SoundImagePtr& image, std::uint32_t flags) override {
        if (inner_) inner_->PlayImage(image, flags);
    }
    bool MciOpenPlay(const std::string& file, const std::string& alias) override {
        return inner_ ? inner_->MciOpenPlay(file, alias) : true;
    }
    void MciStopClose(const std::string& alias) override {
        if (inner_) inner_->MciStopClose(alias);
    }
    void PlayPatchedSample(const PatchedSampleSource& source, int s, int m) override {
        starts.push_back(Clock::now());
        if (inner_) inner_->PlayPatchedSample(source, s, m);
    }
    void StopAllSound() override {
        if (inner_) inner_->StopAllSound();
        stops.push_back(Clock::now());
    }
    std::vector<Clock::time_point> starts, stops;

  private:
    SoundOutput* inner_;
};

class SilentView : public InstrumentView {
  public:
    void tel_çiz() override {}
    void mandal_at() override {}
    void porte() override {}
    void etiket() override {}
    void arıza_yaz(int) override {}
    void keyLetter(int, bool) override {}
};

class NoControls : public FilesView {
  public:
    std::string Text1() const override { return {}; }
    void setText1(const std::string&) override {}
    void showFile2() override {}
    void hideFile2() override {}
    void refreshFile2() override {}
    bool option5Selected(int) const override { return false; }
    void selectOption5(int) override {}
    bool option1Selected(int) const override { return false; }
    void selectOption1(int) override {}
    void setHScroll1Value(int) override {}
    void setButtonEnabled(RecordButton, bool) override {}
    void setRecordLamp(bool) override {}
    void setReplayLamp(bool) override {}
    int option3Index() const override { return 1; }
    std::string Text2() const override { return {}; }
    void setText2(const std::string&) override {}
    void showFile3() override {}
    void hideFile3() override {}
    void setStartStopCaption(const std::string&) override {}
    void showCounter(const std::string&) override {}
    void blankCounter() override {}
    int option2Index() const override { return 1; }
    void setFrameEnabled(int, bool) override {}
    void focusInstrument() override {}
};

constexpr int kNotes = 20;

void writeRecording(const std::filesystem::path& file, int durationMs) {
    std::ofstream out(file, std::ios::binary);
    for (int i = 0; i < kNotes; ++i)
        out << recordLine(8 + i % 12, 0, durationMs);
}

// Sets the counters from the timestamps of one replay of kNotes notes of `durationMs`.
void report(benchmark::State& state, const TimedReplayOutput& out, int durationMs) {
    if (out.starts.size() != kNotes || out.stops.size() != kNotes) {
        state.SkipWithError("the replay did not sound every note");
        return;
    }
    double sum = 0, worst = 0, least = 1e9, gapSum = 0, gapWorst = 0;
    for (int i = 0; i < kNotes; ++i) {
        const double err = msSince(out.starts[i], out.stops[i]) - durationMs;
        sum += err;
        worst = std::max(worst, err);
        least = std::min(least, err);
        if (i + 1 < kNotes) {
            const double gap = msSince(out.starts[i], out.starts[i + 1]) - durationMs;
            gapSum += gap;
            gapWorst = std::max(gapWorst, gap);
        }
    }
    state.counters["err_mean_ms"] = sum / kNotes;
    state.counters["err_min_ms"] = least;
    state.counters["err_max_ms"] = worst;
    state.counters["gap_mean_ms"] = gapSum / (kNotes - 1);
    state.counters["gap_max_ms"] = gapWorst;
}

void BM_ReplayNoteTiming(benchmark::State& state) {
    const int durationMs = static_cast<int>(state.range(0));
    const auto folder = std::filesystem::temp_directory_path() / "zembera_replay_bench";
    std::filesystem::create_directories(folder);
    InstrumentState instrument;
    setMandalRanges(instrument);
    TuningState tuning;
    RecordingState recording;
    SilentView view;
    NoControls controls;
    RecordedMessages messages;
    PitchTables tables;
    std::array<std::string, 27> names;
    TimedReplayOutput out;
    FilesParts parts{instrument,
                     tuning,
                     recording,
                     view,
                     controls,
                     out,
                     PatchedSampleSource{folder, names, tables, tuning.tuningOffset},
                     messages,
                     folder,
                     folder,
                     systemLoopHooks([] {}, [] {})};
    RecordHandlers handlers(parts);
    writeRecording(handlers.recordFilePath(), durationMs);
    for (auto _ : state) {
        out.starts.clear();
        out.stops.clear();
        handlers.Play_buton_Click();
    }
    report(state, out, durationMs);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ReplayNoteTiming)
    ->Arg(5)
    ->Arg(20)
    ->Arg(100)
    ->Arg(250)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// A copy of the bundled program folder, so that the replay's kayıt.txt stays out of it.
std::filesystem::path copyProgramFolder() {
    const auto to = std::filesystem::temp_directory_path() / "zembera_replay_window_bench";
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

void BM_WindowReplayNoteTiming(benchmark::State& state) {
    const int durationMs = static_cast<int>(state.range(0));
    static int argc = 1;
    static char name[] = "zembera_bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!QApplication::instance()) new QApplication(argc, argv);
    const auto folder = copyProgramFolder();
    RecordedMessages messages;
    auto result = loadProgram(folder, messages);
    if (result.fatal) {
        state.SkipWithError("the bundled program folder did not load");
        return;
    }
    SoundService service{std::make_unique<NullBackend>()};
    SoundOutputAdapter adapter(service);
    TimedReplayOutput out(&adapter);
    {
        MainWindow window(*result.program, out, messages);
        window.show();
        QApplication::processEvents();
        writeRecording(result.program->sampleFolder / "kayıt.txt", durationMs);
        for (auto _ : state) {
            out.starts.clear();
            out.stops.clear();
            QTest::mouseClick(window.Play_buton, Qt::LeftButton);
        }
    }
    report(state, out, durationMs);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_WindowReplayNoteTiming)
    ->Arg(5)
    ->Arg(20)
    ->Arg(100)
    ->Arg(250)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace zembera
