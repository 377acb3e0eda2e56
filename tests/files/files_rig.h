#pragma once
// A program folder, the shared state and recording fakes for the makam, recording and melody
// handlers. Time is a fake clock that only the fakes move: sleeping, redrawing and handling events
// each cost what the test sets.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "files/files_parts.h"
#include "shell/startup_loader.h"
#include "support/program_folder.h"
#include "support/view_calls.h"

namespace zembera::test {

using Calls = std::vector<std::string>;
using Plays = std::vector<std::pair<int, int>>; // string, mandal

struct FakeClock {
    double now = 1000.0;
    double sleepSlack = 0.0;    // added to every sleep
    double eventCost = 0.0;     // each round of event handling
    double redrawCost = 0.0;    // each redraw of the instrument views
    std::vector<double> sleeps; // every sleep asked for
};

// A sample started on a string at a mandal, or (stop) every sound stopped; `at` on the fake clock.
struct SoundEvent {
    bool stop = false;
    int string = 0;
    int mandal = 0;
    double at = 0;
};

class ClockedSound : public SoundOutput {
  public:
    explicit ClockedSound(FakeClock& clock) : clock_(clock) {}
    void PlayImage(const SoundImagePtr&, std::uint32_t) override { ++images; }
    bool MciOpenPlay(const std::string&, const std::string&) override { return true; }
    void MciStopClose(const std::string& alias) override { closed.push_back(alias); }
    void PlayPatchedSample(const PatchedSampleSource&, int s, int m) override {
        events.push_back({false, s, m, clock_.now});
    }
    void PlayPreparedBeside(const PatchedSampleSource&, const PreparedNote& note,
                            const std::string& alias) override {
        beside.push_back({alias, note.s, note.m, clock_.now});
    }
    void StopAllSound() override { events.push_back({true, 0, 0, clock_.now}); }

    Plays plays() const {
        Plays out;
        for (const auto& e : events) {
            if (!e.stop) out.emplace_back(e.string, e.mandal);
        }
        return out;
    }
    int stops() const {
        int n = 0;
        for (const auto& e : events)
            n += e.stop;
        return n;
    }
    // From the start of each sound to the stop that ends it.
    std::vector<double> lengths() const {
        std::vector<double> out;
        double start = 0;
        for (const auto& e : events) {
            if (e.stop) out.push_back(e.at - start);
            if (!e.stop) start = e.at;
        }
        return out;
    }
    std::vector<SoundEvent> events;
    int images = 0;
    // Notes sounded beside the memory channel (a chord's further notes) and aliases closed.
    struct Beside {
        std::string alias;
        int string = 0;
        int mandal = 0;
        double at = 0;
    };
    std::vector<Beside> beside;
    std::vector<std::string> closed;

  private:
    FakeClock& clock_;
};

// Each redraw costs the clock its redraw time; the key letters are not logged. Each staff drawn
// is kept as the string and mandal position it showed.
class LoggedView : public ViewCalls {
  public:
    explicit LoggedView(FakeClock& clock) : clock_(clock) {}
    void keyLetter(int, bool) override {}
    const InstrumentState* state = nullptr;
    Plays staff;

  private:
    void record(std::string call) override {
        if (call == "porte" && state != nullptr)
            staff.emplace_back(state->currentString, state->mandalPos[state->currentString]);
        calls.push_back(std::move(call));
        clock_.now += clock_.redrawCost;
    }
    FakeClock& clock_;
};

// The window's controls as plain state; selecting an option button that is not selected logs it,
// where the window would run its click handler.
class FakeFilesView : public FilesView {
  public:
    std::string makamName() const override { return makamNameBox; }
    void setMakamName(const std::string& t) override { makamNameBox = t; }
    void showMakamList() override { makamListShown = true; }
    void hideMakamList() override { makamListShown = false; }
    void refreshMakamList() override { ++makamListRefreshes; }
    bool settingSwitchSelected(int index) const override { return settingSwitch == index; }
    void selectSetting(int index) override { select(settingSwitch, index, "settingSwitch "); }
    bool pitchLevelSelected(int index) const override { return pitchLevel == index; }
    void selectPitchLevel(int index) override { select(pitchLevel, index, "pitchLevelButtons "); }
    void setDegreeShift(int value) override { select(hscroll, value, "degreeShiftBar "); }
    void setButtonEnabled(RecordButton b, bool on) override { buttons[static_cast<int>(b)] = on; }
    void setRecordLamp(bool on) override { recordLamp = on; }
    void setReplayLamp(bool on) override { replayLamp = on; }
    int replayModeIndex() const override { return replayMode; }
    std::string melodyName() const override { return melodyNameBox; }
    void setMelodyName(const std::string& t) override { melodyNameBox = t; }
    void showMelodyList() override { melodyListShown = true; }
    void hideMelodyList() override { melodyListShown = false; }
    void setStartStopCaption(const std::string& c) override { caption = c; }
    void showCounter(const std::string& text) override { counters.push_back(text); }
    void blankCounter() override { counters.push_back("blank"); }
    int melodyModeIndex() const override { return melodyMode; }
    void setFrameEnabled(WindowFrame frame, bool on) override { frames[index(frame)] = on; }
    void focusInstrument() override { ++focusGiven; }

    static std::size_t index(WindowFrame frame) { return static_cast<std::size_t>(frame); }
    bool frameOn(WindowFrame frame) const { return frames[index(frame)]; }
    bool allFrames(std::initializer_list<WindowFrame> which, bool on) const {
        for (WindowFrame f : which) {
            if (frameOn(f) != on) return false;
        }
        return true;
    }
    // Nothing recorded or replayed: rec and Play enabled, pause and stop not, both lamps white
    // and every frame enabled.
    bool idle() const {
        return buttons == std::array{true, true, false, false} && !recordLamp && !replayLamp &&
               allFrames({WindowFrame::record, WindowFrame::pitchLevel, WindowFrame::reset,
                          WindowFrame::makam, WindowFrame::melody, WindowFrame::empty,
                          WindowFrame::octave},
                         true);
    }
    // Recording or replaying: only stop enabled (and pause in a replay), the recording frame
    // the only frame enabled.
    bool busy(bool replaying) const {
        return buttons == std::array{false, false, replaying, true} &&
               frameOn(WindowFrame::record) &&
               allFrames({WindowFrame::pitchLevel, WindowFrame::reset, WindowFrame::makam,
                          WindowFrame::melody, WindowFrame::empty, WindowFrame::octave},
                         false);
    }

    std::string makamNameBox, melodyNameBox, caption = ">";
    bool makamListShown = false, melodyListShown = false;
    int makamListRefreshes = 0;
    int pitchLevel = 5, melodyMode = 2, replayMode = 1, settingSwitch = 1, hscroll = 0;
    // rec, Play, pause, stop as the window starts.
    std::array<bool, 4> buttons = {true, true, false, false};
    bool recordLamp = false, replayLamp = false;
    std::array<bool, kWindowFrames> frames = {true, true, true, true, true, true, true};
    Calls counters;
    Calls calls;
    int focusGiven = 0;

  private:
    void select(int& option, int index, const std::string& name) {
        if (option == index) return;
        option = index;
        calls.push_back(name + std::to_string(index));
    }
};

inline std::string fileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

// A loaded program folder and the parts of the handlers over fakes.
class FilesRig : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("zembera_files_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        makeProgramFolder(dir, 400);
        auto result = loadProgram(dir, messages);
        ASSERT_FALSE(result.fatal) << *result.fatal;
        program = std::move(result.program);
        view.state = &program->instrument;
        LoopHooks hooks;
        hooks.processEvents = [this] {
            ++eventRounds;
            clock.now += clock.eventCost;
            if (onEvents) onEvents(eventRounds);
        };
        hooks.sleepMs = [this](double ms) {
            clock.sleeps.push_back(ms);
            clock.now += ms + clock.sleepSlack;
        };
        hooks.nowMs = [this] { return clock.now; };
        parts = std::make_unique<FilesParts>(FilesParts{
            program->instrument, program->tuning, program->recording, view, controls, sound,
            PatchedSampleSource{program->sampleFolder, program->samples.sampleFileName,
                                program->tables, program->tuning.tuningOffset},
            messages, program->programFolder, program->sampleFolder, hooks});
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    InstrumentState& st() { return program->instrument; }

    std::filesystem::path dir;
    FakeClock clock;
    ClockedSound sound{clock};
    LoggedView view{clock};
    FakeFilesView controls;
    RecordedMessages messages;
    std::unique_ptr<LoadedProgram> program;
    std::unique_ptr<FilesParts> parts;
    int eventRounds = 0;
    std::function<void(int round)> onEvents; // runs inside each processEvents
};

} // namespace zembera::test
